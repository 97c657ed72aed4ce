// The window under every sequence a user can click: every menu item before
// any Open and on the smallest pictures, long random sequences through the
// handlers and the two dialogs' signals, and closing the frame in the middle
// of a pass over a big picture. Message boxes are captured, never shown.
#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <random>
#include <string>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QTimer>

#include "app/PictureBox.h"
#include "app/ProgressBar.h"
#include "app/menutable.h"
#include "document/io/imageio.h"
#include "filters/filters.h"
#include "test_windowsupport.h"

namespace pixpad {
namespace {

int pick(std::mt19937& gen, int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(gen); }

struct Before {
    Surface p1, p2;
    int16_t w, h;
    size_t messages;
    explicit Before(uitest::Editor& ed)
        : p1(ed.doc().Picture1), p2(ed.doc().Picture2), w(ed.doc().ImageWidth), h(ed.doc().ImageHeight),
          messages(ed.messages.size())
    {
    }
    bool unchanged(const Document& d) const
    {
        return d.Picture1.samePixels(p1) && d.Picture2.samePixels(p2) && d.ImageWidth == w && d.ImageHeight == h;
    }
};

// Empty when the document and what the window shows agree.
std::string soundness(uitest::Editor& ed)
{
    const Document& d = ed.doc();
    std::string s;
    if (d.Picture1.width() != d.ImageWidth || d.Picture1.height() != d.ImageHeight)
        s += "Picture1 " + std::to_string(d.Picture1.width()) + "x" + std::to_string(d.Picture1.height()) +
             " but the document " + std::to_string(d.ImageWidth) + "x" + std::to_string(d.ImageHeight) + "; ";
    if (!d.Picture1.isEmpty() && ed.form().Picture1->size() != QSize(d.Picture1.width(), d.Picture1.height()))
        s += "the picture box is not the picture's size; ";
    if (ed.form().passRunning())
        s += "a pass is still marked running; ";
    if (!ed.form().ProgressBar1->isHidden())
        s += "the progress bar is left showing; ";
    return s;
}

// Files the Open dialog may hand over: sound pictures of the awkward sizes,
// and a few that must be refused.
struct Files {
    std::vector<QString> good, bad;
    explicit Files(uitest::Editor& ed)
    {
        const std::pair<int, int> sizes[] = {{1, 1}, {1, 6}, {6, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {9, 4}};
        int i = 0;
        for (auto [w, h] : sizes) {
            QString error;
            const QString p = ed.path(QStringLiteral("good%1.bmp").arg(i++));
            if (savePictureBmp(uitest::randomPicture(w, h, 31 * w + h), p, error))
                good.push_back(p);
        }
        QFile cut(good.back());
        cut.open(QIODevice::ReadOnly);
        const QByteArray bytes = cut.readAll();
        auto write = [&](const QString& name, const QByteArray& b) {
            QFile f(ed.path(name));
            f.open(QIODevice::WriteOnly);
            f.write(b);
            bad.push_back(f.fileName());
        };
        write(QStringLiteral("cut.bmp"), bytes.left(bytes.size() / 2));
        write(QStringLiteral("text.bmp"), QByteArray("not a picture at all\n"));
        write(QStringLiteral("empty.gif"), QByteArray());
        bad.push_back(ed.path(QStringLiteral("missing.jpg")));
    }
};

// One random click. Returns its name for the trail.
std::string randomClick(uitest::Editor& ed, Files& files, std::mt19937& gen, bool& changesSize,
                        bool& mayRefuse)
{
    Form1& f = ed.form();
    changesSize = false;
    mayRefuse = false;
    switch (pick(gen, 0, 9)) {
    case 0: {
        // Open: cancelled, a sound file or one that is refused.
        const int kind = pick(gen, 0, 3);
        const QString p = kind == 0 ? QString()
                          : kind == 1 ? files.bad[pick(gen, 0, static_cast<int>(files.bad.size()) - 1)]
                                      : files.good[pick(gen, 0, static_cast<int>(files.good.size()) - 1)];
        f.chooseOpenFile = [p] { return p; };
        changesSize = kind >= 2;
        mayRefuse = kind == 1;
        f.oph_Click();
        return "open " + p.section('/', -1).toStdString();
    }
    case 1: {
        // Resize through the dialog's own signal, sizes it would refuse included.
        mayRefuse = true;
        f.erdf_Click();
        if (!f.resizeDialogWindow())
            return "resize (no picture)";
        const int w = pick(gen, 0, 12) == 0 ? pick(gen, -5, 0) : pick(gen, 1, 8);
        const int h = pick(gen, 0, 12) == 0 ? 40000 : pick(gen, 1, 8);
        changesSize = true;
        emit f.resizeDialogWindow()->okRequested(w, h);
        if (pick(gen, 0, 1))
            f.resizeDialogWindow()->close();
        return "resize " + std::to_string(w) + "x" + std::to_string(h);
    }
    case 2: {
        // "Process" of the custom filter dialog with settings it could send.
        f.custom_Click();
        FilterSettings s;
        const int scale = pick(gen, 0, 2) == 0 ? 9999 : 5;
        for (auto& row : s.Matrix)
            for (auto& w : row)
                w = static_cast<int16_t>(pick(gen, -scale, scale));
        s.Divide = static_cast<int16_t>(pick(gen, 1, 20));
        s.Bias = static_cast<int16_t>(pick(gen, -300, 300));
        s.HalfSize = static_cast<int16_t>(pick(gen, 1, 2));
        mayRefuse = true;
        emit f.customDialog()->processRequested(s);
        if (pick(gen, 0, 1))
            f.customDialog()->close();
        return "custom";
    }
    case 3: {
        const QString p = pick(gen, 0, 1) ? ed.path(QStringLiteral("saved")) : QString();
        f.chooseSaveFile = [p] { return p; };
        f.confirmReplace = [](const QString&) { return true; };
        mayRefuse = true; // a picture that can't be written is reported, not a fault here
        f.Ssna_Click();
        return "save";
    }
    case 4: {
        f.chooseColour = [c = QColor::fromRgb(pick(gen, 0, 0xFFFFFF))](const QColor&) {
            return std::optional<QColor>(c);
        };
        f.bkcolors_Click();
        return "backcolor";
    }
    default: {
        // Any other item of the menu that works on the picture.
        static const char* const names[] = {"undoe", "inve", "dsf", "sdfd", "rer", "gree", "gh", "gray",
                                            "mas", "embos", "diffus", "sharp", "smoth", "sola", "edged", "rot"};
        const char* n = names[pick(gen, 0, static_cast<int>(std::size(names)) - 1)];
        for (const MenuItemDef& item : menuTable())
            if (std::string(item.name) == n)
                (f.*item.handler)();
        return n;
    }
    }
}

uint32_t baseSeed()
{
    if (const char* s = std::getenv("PIXPAD_SEED"))
        return static_cast<uint32_t>(std::strtoul(s, nullptr, 10));
    return std::random_device{}();
}

TEST(RobustWindow, EveryItemBeforeAnyOpenAndOnTheSmallestPictures)
{
    const std::pair<int, int> sizes[] = {{0, 0}, {1, 1}, {1, 5}, {5, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}};
    for (auto [w, h] : sizes) {
        for (const MenuItemDef& item : menuTable()) {
            const std::string name = item.name;
            if (!item.handler || name == "exity" || name == "mnuabout" || name == "oph")
                continue;
            SCOPED_TRACE(name + " on " + std::to_string(w) + "x" + std::to_string(h));
            uitest::Editor ed;
            ed.form().setMessageInterval(0);
            const Surface pic = uitest::randomPicture(w, h, 7 * w + h);
            if (w > 0) {
                ASSERT_TRUE(ed.open(pic));
            }
            (ed.form().*item.handler)();
            // The dialogs' buttons: the current size for Resize, the untouched
            // dialog for Custom Filter.
            if (auto* r = ed.form().resizeDialogWindow())
                emit r->okRequested(std::max(1, w), std::max(1, h));
            if (auto* c = ed.form().customDialog()) {
                FilterSettings s;
                s.Matrix[2][2] = 1;
                s.Divide = 1;
                s.HalfSize = 1;
                emit c->processRequested(s);
            }
            EXPECT_EQ(soundness(ed), "");
            if (w == 0) {
                // Resize is refused with a message; nothing gives the document a size.
                EXPECT_TRUE(ed.doc().Picture1.isEmpty());
                EXPECT_EQ(ed.messages.size(), name == "erdf" ? 1u : 0u);
                continue;
            }
            EXPECT_TRUE(ed.messages.empty()) << ed.messages.front().toStdString();
            ed.form().undoe_Click();
            // Resize at the same size redraws the same picture; everything
            // else is undone; BackColor and Save never touch the pixels.
            EXPECT_TRUE(ed.doc().Picture1.samePixels(pic));
        }
    }
}

TEST(RobustWindow, RandomClickSequencesKeepThePictureAndItsUndo)
{
    const uint32_t seed0 = baseSeed();
    std::cout << "[ robust  ] window seeds start at " << seed0 << " (PIXPAD_SEED replays)\n";
    for (uint32_t run = 0; run < 6; ++run) {
        const uint32_t seed = seed0 + run;
        uitest::Editor ed;
        ed.form().setMessageInterval(0);
        Files files(ed);
        std::mt19937 gen(seed);
        std::string trail;
        for (int step = 0; step < 150; ++step) {
            const Before before(ed);
            bool changesSize = false, mayRefuse = false;
            const std::string what = randomClick(ed, files, gen, changesSize, mayRefuse);
            QCoreApplication::processEvents(); // deferred deletes of closed dialogs
            trail += " " + what;
            if (trail.size() > 500)
                trail.erase(0, trail.size() - 500);
            const std::string where = "seed " + std::to_string(seed) + " step " + std::to_string(step) + ":" + trail;
            ASSERT_EQ(soundness(ed), "") << where;
            const Document& d = ed.doc();
            if (ed.messages.size() != before.messages) {
                // Something was refused and said so: nothing may have changed.
                ASSERT_TRUE(mayRefuse) << where << " said " << ed.messages.back().toStdString();
                ASSERT_TRUE(before.unchanged(d)) << where;
                continue;
            }
            if (!changesSize) {
                ASSERT_EQ(d.ImageWidth, before.w) << where;
                ASSERT_EQ(d.ImageHeight, before.h) << where;
            }
            if (what == "undoe") {
                ASSERT_TRUE(d.Picture1.samePixels(before.p2)) << where;
            } else if (d.Picture2.samePixels(before.p2) && d.Picture1.samePixels(before.p1)) {
                // Nothing ran (a cancelled dialog, Save, BackColor, no picture).
            } else if (changesSize) {
                ASSERT_TRUE(d.Picture2.samePixels(d.Picture1)) << where << ": the layout takes a fresh copy";
            } else {
                ASSERT_TRUE(d.Picture2.samePixels(before.p1)) << where << ": Undo would not restore";
                if (pick(gen, 0, 2) == 0) {
                    ed.form().undoe_Click();
                    trail += " undo";
                    ASSERT_TRUE(d.Picture1.samePixels(before.p1)) << where << " undo";
                }
            }
        }
    }
}

// Closing the frame while a pass runs over a big picture with a message step
// after every row: the pass stops, the frame closes, the picture from before
// the pass is still there for Undo, and tearing everything down is clean.
TEST(RobustWindow, ClosingTheFrameDuringABigPassQuitsCleanly)
{
    const Surface big = uitest::randomPicture(4000, 3000, 99);
    int round = 0;
    for (const int closeAtRow : {0, 40, 1200}) {
        SCOPED_TRACE("close at row " + std::to_string(closeAtRow));
        uitest::Editor ed;
        Form1& f = ed.form();
        f.setMessageInterval(0);
        ed.frame->show();
        {
            Surface copy = big;
            ed.doc().setOpenedPicture(std::move(copy));
        }
        int rows = 0;
        QObject::connect(f.ProgressBar1, &ProgressBar::passValueSet, f.ProgressBar1, [&](float) {
            // The close arrives as a window system event, like the close button.
            if (rows++ == closeAtRow)
                QCoreApplication::postEvent(ed.frame.get(), new QCloseEvent);
        });
        const bool completed = (round++ % 2 == 0) ? f.runPass(pixpad::smooth) : f.runPass(pixpad::diffuse);
        EXPECT_FALSE(completed);
        EXPECT_LE(rows, closeAtRow + 2);
        EXPECT_FALSE(ed.frame->isVisible());
        EXPECT_FALSE(f.passRunning());
        EXPECT_TRUE(ed.messages.empty());
        EXPECT_EQ(ed.doc().Picture1.width(), 4000);
        EXPECT_EQ(ed.doc().Picture1.height(), 3000);
        EXPECT_TRUE(ed.doc().Picture2.samePixels(big)) << "the picture before the pass was lost";
        // Events still queued for the closed frame must find nothing dangling.
        QCoreApplication::processEvents();
        ed.frame.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
}

} // namespace
} // namespace pixpad
