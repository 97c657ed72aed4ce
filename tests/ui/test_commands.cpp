// Commands reached from the menus: Invert and Undo, BackColor, About and Exit,
// and the wiring of the two dialogs.
#include <gtest/gtest.h>

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>

#include "app/About.h"
#include "app/ProgressBar.h"
#include "app/PictureBox.h"
#include "colour/colourops.h"
#include "filters/filters.h"
#include "geometry/geometry.h"
#include "geometry/ui/Form2.h"
#include "test_windowsupport.h"

namespace pixpad {
namespace {

void settle()
{
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(MenuCommands, InvertThenUndoFromTheMenu)
{
    uitest::Editor ed;
    ed.frame->show();
    const Surface picture = uitest::randomPicture(31, 17, 21);
    ASSERT_TRUE(ed.open(picture));

    ed.action("inve")->trigger();
    for (int y = 0; y < 17; ++y)
        for (int x = 0; x < 31; ++x) {
            const uint32_t p = picture.row(y)[x];
            const uint32_t want = (255 - (p & 0xFF)) | (255 - (p >> 8 & 0xFF)) << 8 | (255 - (p >> 16 & 0xFF)) << 16;
            ASSERT_EQ(ed.doc().Picture1.row(y)[x], want);
        }
    EXPECT_TRUE(ed.doc().Picture2.samePixels(picture));
    // What is on screen follows.
    const QImage shown = ed.form().Picture1->grab().toImage();
    const Colour c = ed.doc().Picture1.row(5)[7];
    EXPECT_EQ(shown.pixelColor(7, 5), QColor(getred(c), getgreen(c), getblue(c)));

    ed.action("undoe")->trigger();
    EXPECT_TRUE(ed.doc().Picture1.samePixels(picture));
    ed.action("undoe")->trigger();
    EXPECT_TRUE(ed.doc().Picture1.samePixels(picture));
    EXPECT_EQ(ed.doc().ImageWidth, 31);
    EXPECT_EQ(ed.form().Picture1->size(), QSize(31, 17));
}

// Each item runs its own command: the window's result equals the core
// function's on a document of its own, picture and undo copy alike (a swapped
// pair such as Green/Blue shows at once on a random picture).
TEST(MenuCommands, EachItemRunsItsOwnCommand)
{
    const Surface picture = uitest::randomPicture(23, 19, 26);
    struct Item {
        const char* name;
        std::function<void(Document&)> core;
    };
    const std::vector<Item> items = {
        {"inve", [](Document& d) { invert(d); }},
        {"dsf", [](Document& d) { flipHorizontal(d); }},
        {"sdfd", [](Document& d) { flipVertical(d); }},
        {"rer", [](Document& d) { keepRed(d); }},
        {"gree", [](Document& d) { keepGreen(d); }},
        {"gh", [](Document& d) { keepBlue(d); }},
        {"gray", [](Document& d) { grayScale(d); }},
        {"mas", [](Document& d) { mask(d); }},
        {"embos", [](Document& d) { emboss(d); }},
        {"diffus", [](Document& d) { diffuse(d); }},
        {"sharp", [](Document& d) { sharpen(d); }},
        {"smoth", [](Document& d) { smooth(d); }},
        {"sola", [](Document& d) { solarize(d); }},
        {"edged", [](Document& d) { edge(d); }},
    };
    for (const Item& item : items) {
        uitest::Editor ed;
        ASSERT_TRUE(ed.open(picture));
        ed.action(item.name)->trigger();

        Document model;
        Surface copy = picture;
        model.setOpenedPicture(std::move(copy));
        item.core(model);

        EXPECT_TRUE(ed.messages.empty()) << item.name << ": " << ed.messages.front().toStdString();
        EXPECT_TRUE(ed.doc().Picture1.samePixels(model.Picture1)) << item.name;
        EXPECT_TRUE(ed.doc().Picture2.samePixels(picture)) << item.name;
        EXPECT_FALSE(ed.doc().Picture1.samePixels(picture)) << item.name;
        EXPECT_TRUE(ed.form().ProgressBar1->isHidden()) << item.name;
        EXPECT_EQ(ed.form().Picture1->size(), QSize(23, 19)) << item.name;
    }
}

TEST(MenuCommands, BackColorPaintsTheMarginsOnly)
{
    uitest::Editor ed;
    Form1& f = ed.form();
    ed.frame->show();
    const Surface picture = uitest::randomPicture(40, 30, 22);
    ASSERT_TRUE(ed.open(picture));
    f.inve_Click();
    const Surface shown = ed.doc().Picture1;

    std::vector<QColor> initials;
    std::optional<QColor> answer;
    f.chooseColour = [&](const QColor& initial) {
        initials.push_back(initial);
        return answer;
    };
    auto marginColour = [&] { return f.grab(QRect(f.ImageLeft - 5, f.ImageTop + 5, 1, 1)).toImage().pixelColor(0, 0); };

    // Cancelled before any choice: the dialog's starting colour, black.
    ed.action("bkcolors")->trigger();
    EXPECT_EQ(f.backColor(), QColor(Qt::black));
    answer = QColor(255, 0, 0);
    ed.action("bkcolors")->trigger();
    EXPECT_EQ(f.backColor(), QColor(255, 0, 0));
    EXPECT_EQ(marginColour(), QColor(255, 0, 0));
    // Cancelled after red was chosen: red again, even if the window was
    // coloured otherwise meanwhile.
    f.setBackColor(QColor(0, 0, 255));
    answer.reset();
    ed.action("bkcolors")->trigger();
    EXPECT_EQ(f.backColor(), QColor(255, 0, 0));
    EXPECT_EQ(initials.back(), QColor(255, 0, 0));

    // The picture, its undo copy and the picture box's own background stay.
    EXPECT_TRUE(ed.doc().Picture1.samePixels(shown));
    EXPECT_TRUE(ed.doc().Picture2.samePixels(picture));
    EXPECT_EQ(ed.doc().Picture1.backColor(), kPictureBackColor);
    // Undo doesn't bring the old colour back.
    f.undoe_Click();
    EXPECT_EQ(f.backColor(), QColor(255, 0, 0));
}

TEST(AboutAndExit, OneAboutBoxThatOutlivesTheFrame)
{
    uitest::Editor ed;
    ed.frame->show();
    ASSERT_EQ(About::instance(), nullptr);
    ed.action("mnuabout")->trigger();
    About* about = About::instance();
    ASSERT_NE(about, nullptr);
    ed.action("mnuabout")->trigger();
    EXPECT_EQ(About::instance(), about);
    int shownAbouts = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowTitle() == QStringLiteral("About"))
            ++shownAbouts;
    EXPECT_EQ(shownAbouts, 1);

    // No owner; a fixed place on the screen; dark blue text on yellow.
    EXPECT_EQ(about->parentWidget(), nullptr);
    EXPECT_EQ(about->geometry(), QRect(307, 258, 278, 206));
    EXPECT_EQ(about->palette().color(QPalette::Window), QColor(255, 255, 0));
    EXPECT_EQ(about->Label1->palette().color(QPalette::WindowText), QColor(0, 0, 0x40));
    EXPECT_TRUE(about->Label1->wordWrap());
    EXPECT_EQ(about->Label1->geometry(), QRect(16, 72, 257, 81));
    const qsizetype len = about->Label1->text().size();
    EXPECT_GE(len, 140);
    EXPECT_LE(len, 180);

    // Exit closes the frame without a question; the About box keeps the
    // program alive until it is closed too.
    int lastClosed = 0;
    QObject::connect(qApp, &QGuiApplication::lastWindowClosed, ed.frame.get(), [&] { ++lastClosed; });
    const bool quitOnLast = QGuiApplication::quitOnLastWindowClosed();
    QGuiApplication::setQuitOnLastWindowClosed(false); // the test runner has no loop to end
    ed.action("exity")->trigger();
    settle();
    EXPECT_FALSE(ed.frame->isVisible());
    EXPECT_TRUE(about->isVisible());
    EXPECT_EQ(lastClosed, 0);
    about->close();
    settle();
    EXPECT_EQ(About::instance(), nullptr);
    QGuiApplication::setQuitOnLastWindowClosed(quitOnLast);

    // A new "About" after closing makes a fresh box.
    ed.form().mnuabout_Click();
    ASSERT_NE(About::instance(), nullptr);
    EXPECT_TRUE(About::instance()->isVisible());
    About::instance()->close();
    settle();
}

TEST(AboutAndExit, TheImageWindowsCloseButtonClosesTheFrameNotTheWindow)
{
    uitest::Editor ed;
    ed.frame->show();
    const Surface picture = uitest::randomPicture(12, 8, 27);
    ASSERT_TRUE(ed.open(picture));
    QMdiSubWindow* sub = ed.form().subWindow();
    EXPECT_FALSE(sub->close());
    settle();
    EXPECT_FALSE(ed.frame->isVisible());
    // The image window and its document are still there with the frame.
    EXPECT_EQ(ed.frame->workspace()->subWindowList().size(), 1);
    EXPECT_FALSE(sub->isHidden());
    EXPECT_TRUE(ed.doc().Picture1.samePixels(picture));
}

TEST(Dialogs, ResizeIsRefusedWithoutAPictureAndOpensOnce)
{
    uitest::Editor ed;
    Form1& f = ed.form();
    ed.action("erdf")->trigger();
    EXPECT_EQ(f.resizeDialogWindow(), nullptr);
    ASSERT_EQ(ed.messages.size(), 1u);
    EXPECT_EQ(ed.messages[0], QStringLiteral("Open a picture first."));

    const Surface picture = uitest::randomPicture(64, 48, 23);
    ASSERT_TRUE(ed.open(picture));
    ed.messages.clear();
    ed.action("erdf")->trigger();
    resizeDialog* dlg = f.resizeDialogWindow();
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(dlg->parentWidget(), ed.frame.get());
    ed.action("erdf")->trigger();
    EXPECT_EQ(f.resizeDialogWindow(), dlg);

    // "Ok" resizes and lays out anew; the fresh layout takes the undo copy.
    emit dlg->okRequested(32, 24);
    EXPECT_TRUE(ed.messages.empty());
    Document model;
    Surface copy = picture;
    model.setOpenedPicture(std::move(copy));
    resizePicture(model, 32, 24);
    EXPECT_EQ(ed.doc().ImageWidth, 32);
    EXPECT_EQ(ed.doc().ImageHeight, 24);
    EXPECT_TRUE(ed.doc().Picture1.samePixels(model.Picture1));
    EXPECT_TRUE(ed.doc().Picture2.samePixels(model.Picture1));
    EXPECT_EQ(f.ImageLeft, (1024 - 32 - 8) / 2);
    EXPECT_EQ(f.ImageTop, (768 - 24 - 85 + 1) / 2);
    EXPECT_EQ(f.Picture1->geometry(), QRect(f.ImageLeft, f.ImageTop, 32, 24));
    EXPECT_EQ(f.subWindow()->size(), QSize(2 * f.ImageLeft + 32, 2 * f.ImageTop + 24));
    settle();
}

TEST(Dialogs, CustomFilterOpensOnceAndHandsItsSettingsToTheDocument)
{
    uitest::Editor ed;
    Form1& f = ed.form();
    const Surface picture = uitest::randomPicture(20, 20, 24);
    ASSERT_TRUE(ed.open(picture));
    ed.action("custom")->trigger();
    Form3* dlg = f.customDialog();
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(dlg->parentWidget(), ed.frame.get());
    ed.action("custom")->trigger();
    EXPECT_EQ(f.customDialog(), dlg);

    FilterSettings s;
    s.Matrix[2][2] = 3;
    s.Matrix[1][3] = -2;
    s.Divide = 5;
    s.Bias = 17;
    s.HalfSize = 1;
    emit dlg->processRequested(s);
    EXPECT_EQ(ed.doc().filter.Matrix, s.Matrix);
    EXPECT_EQ(ed.doc().filter.Divide, 5);
    EXPECT_EQ(ed.doc().filter.Bias, 17);
    EXPECT_EQ(ed.doc().filter.HalfSize, 1);
    // The convolution ran with them, after the settings were copied.
    EXPECT_TRUE(ed.messages.empty());
    Document model;
    Surface copy = picture;
    model.setOpenedPicture(std::move(copy));
    model.filter = s;
    dofiltering(model);
    EXPECT_TRUE(ed.doc().Picture1.samePixels(model.Picture1));
    EXPECT_TRUE(ed.doc().Picture2.samePixels(picture));
    EXPECT_FALSE(f.passRunning());
}

TEST(Dialogs, AngleDialogHasItsControls)
{
    Form2 form;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Form2"));
    EXPECT_EQ(form.Label1->text(), QStringLiteral("Angle"));
    EXPECT_EQ(form.Command1->text(), QStringLiteral("OK"));
    EXPECT_EQ(form.Command2->text(), QStringLiteral("Cancel"));
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(form.isVisible());
}

} // namespace
} // namespace pixpad
