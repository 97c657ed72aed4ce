// The pixel pass as the window runs it: the progress values, what Picture1
// shows while other threads still write, the commands that are switched off
// meanwhile, and closing the frame in the middle of a pass.
#include <gtest/gtest.h>

#include <QMenu>

#include "app/PictureBox.h"
#include "app/ProgressBar.h"
#include "document/pixelpass.h"
#include "test_windowsupport.h"

namespace pixpad {
namespace {

// A pass that writes the complement of every pixel: easy to model.
bool complementPass(Document& d, PassInputs in = {})
{
    auto fn = [](const uint32_t* s, uint32_t* o, int n) {
        for (int i = 0; i < n; ++i)
            o[i] = s[i] ^ 0x00FFFFFFu;
    };
    RowMapRule<decltype(fn)> rule(fn);
    return dopixelpass(d, rule, in);
}

struct Recorder {
    std::vector<float> values;
    std::vector<bool> barVisible;
    std::function<void(int index)> onRow;
    explicit Recorder(Form1& f)
    {
        QObject::connect(f.ProgressBar1, &ProgressBar::passValueSet, f.ProgressBar1, [this, &f](float v) {
            values.push_back(v);
            barVisible.push_back(f.ProgressBar1->isVisibleTo(&f));
            if (onRow)
                onRow(static_cast<int>(values.size()) - 1);
        });
    }
};

TEST(PassProgress, ValuesPerRowThroughTheWindow)
{
    uitest::Editor ed;
    Form1& f = ed.form();
    ASSERT_TRUE(ed.open(uitest::randomPicture(5, 4, 1)));
    Recorder rec(f);

    EXPECT_TRUE(f.runPass([](Document& d) { return complementPass(d); }));
    EXPECT_EQ(rec.values, (std::vector<float>{0.0f, 25.0f, 50.0f, 75.0f}));
    EXPECT_EQ(rec.barVisible, std::vector<bool>(4, true));
    EXPECT_TRUE(f.ProgressBar1->isHidden());
    // The bar keeps its last value until the next pass sets one.
    EXPECT_EQ(f.ProgressBar1->Value(), 75.0f);

    // Asked to start at 0, the bar is set to 0 before the first row.
    rec.values.clear();
    PassInputs zero;
    zero.startBarAtZero = true;
    f.runPass([zero](Document& d) { return complementPass(d, zero); });
    EXPECT_EQ(rec.values, (std::vector<float>{0.0f, 0.0f, 25.0f, 50.0f, 75.0f}));

    // One row: 0 only.
    ASSERT_TRUE(ed.open(uitest::randomPicture(9, 1, 2), QStringLiteral("row.bmp")));
    rec.values.clear();
    f.runPass([](Document& d) { return complementPass(d); });
    EXPECT_EQ(rec.values, std::vector<float>{0.0f});
}

TEST(PassProgress, TallPictureReportsEveryRowInOrderAndGivesTheModelResult)
{
    uitest::Editor ed;
    Form1& f = ed.form();
    const int h = 1999;
    const Surface picture = uitest::randomPicture(61, h, 3);
    ASSERT_TRUE(ed.open(picture));
    Recorder rec(f);
    ASSERT_TRUE(f.runPass([](Document& d) { return complementPass(d); }));
    ASSERT_EQ(rec.values.size(), static_cast<size_t>(h));
    for (int y = 0; y < h; ++y)
        ASSERT_EQ(rec.values[y], static_cast<float>(static_cast<double>(y) / h * 100.0)) << y;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < 61; ++x)
            ASSERT_EQ(ed.doc().Picture1.row(y)[x], picture.row(y)[x] ^ 0x00FFFFFFu);
    EXPECT_TRUE(ed.doc().Picture2.samePixels(picture));
    EXPECT_EQ(f.Picture1->paintedRows(), INT_MAX);
}

TEST(PassProgress, OnlyFinishedRowsAreShownWhileThePassRuns)
{
    uitest::Editor ed;
    Form1& f = ed.form();
    f.setMessageInterval(0);
    const int w = 40, h = 64;
    const Surface picture = uitest::randomPicture(w, h, 4);
    ASSERT_TRUE(ed.open(picture));
    ed.frame->show();
    Recorder rec(f);
    const QColor back = toQColor(ed.doc().Picture1.backColor());
    int checked = 0;
    rec.onRow = [&](int y) {
        if (y % 9 != 0)
            return;
        // Reported at row y: rows before y have been handed to the screen.
        const int ready = f.Picture1->paintedRows();
        EXPECT_EQ(ready, y);
        const QImage shown = f.Picture1->grab().toImage();
        for (int yy = 0; yy < h; ++yy)
            for (int x = 0; x < w; x += 7) {
                const Colour c = picture.row(yy)[x] ^ 0x00FFFFFF;
                const QColor want = yy < ready ? QColor(getred(c), getgreen(c), getblue(c)) : back;
                ASSERT_EQ(shown.pixelColor(x, yy), want) << "row " << yy << " at report " << y;
            }
        ++checked;
    };
    ASSERT_TRUE(f.runPass([](Document& d) { return complementPass(d); }));
    EXPECT_GT(checked, 5);
    // Afterwards the whole result shows.
    const QImage after = f.Picture1->grab().toImage();
    const Colour c = picture.row(h - 1)[w - 1] ^ 0x00FFFFFF;
    EXPECT_EQ(after.pixelColor(w - 1, h - 1), QColor(getred(c), getgreen(c), getblue(c)));
}

TEST(PassBlocking, CommandsThatChangeTheDocumentAreOffDuringAPass)
{
    uitest::Editor ed;
    Form1& f = ed.form();
    f.setMessageInterval(0);
    const Surface picture = uitest::randomPicture(30, 12, 5);
    ASSERT_TRUE(ed.open(picture));
    f.custom_Click();
    ASSERT_NE(f.customDialog(), nullptr);
    EXPECT_TRUE(f.customDialog()->isEnabled());

    Recorder rec(f);
    const std::vector<const char*> off = {"oph", "Ssna", "undoe", "erdf", "inve", "dsf", "sdfd", "rer", "gree",
                                          "gh", "gray", "mas", "embos", "diffus", "sharp", "smoth", "sola",
                                          "edged", "custom", "setas", "rot", "histo"};
    const std::vector<const char*> on = {"exity", "bkcolors", "mnuabout", "sf", "sd", "op", "esf", "redd"};
    int nestedPasses = 0;
    rec.onRow = [&](int y) {
        if (y != 2)
            return;
        for (const char* n : off)
            EXPECT_FALSE(ed.action(n)->isEnabled()) << n;
        for (const char* n : on)
            EXPECT_TRUE(ed.action(n)->isEnabled()) << n;
        EXPECT_FALSE(f.customDialog()->isEnabled());
        EXPECT_TRUE(f.passRunning());
        // Even called directly, nothing nested gets through.
        f.undoe_Click();
        f.inve_Click();
        FilterSettings s;
        s.Divide = 7;
        emit f.customDialog()->processRequested(s);
        if (f.runPass([&](Document&) { ++nestedPasses; return true; }))
            ++nestedPasses;
        f.oph_Click();
    };
    f.chooseOpenFile = [&] {
        ADD_FAILURE() << "Open ran during a pass";
        return QString();
    };
    ASSERT_TRUE(f.runPass([](Document& d) { return complementPass(d); }));
    EXPECT_EQ(nestedPasses, 0);
    EXPECT_EQ(ed.doc().filter.Divide, 0);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 30; ++x)
            ASSERT_EQ(ed.doc().Picture1.row(y)[x], picture.row(y)[x] ^ 0x00FFFFFFu);
    EXPECT_TRUE(ed.doc().Picture2.samePixels(picture));

    // All back on afterwards, the switched-off items excepted.
    for (const char* n : off)
        EXPECT_EQ(ed.action(n)->isEnabled(), std::string(n) != "setas" && std::string(n) != "rot"
                                                 && std::string(n) != "histo")
            << n;
    EXPECT_TRUE(f.customDialog()->isEnabled());
}

TEST(PassBlocking, ClosingTheFrameStopsThePassAndThenCloses)
{
    for (const bool viaExit : {false, true}) {
        uitest::Editor ed;
        Form1& f = ed.form();
        ed.frame->show();
        ASSERT_TRUE(ed.open(uitest::randomPicture(8, 40, 6)));
        Recorder rec(f);
        rec.onRow = [&](int y) {
            if (y == 3) {
                if (viaExit)
                    ed.action("exity")->trigger();
                else
                    EXPECT_FALSE(ed.frame->close()); // refused until the pass has stopped
                EXPECT_TRUE(ed.frame->isVisible());
            }
        };
        EXPECT_FALSE(f.runPass([](Document& d) { return complementPass(d); }));
        EXPECT_EQ(rec.values.size(), 4u) << viaExit;
        EXPECT_FALSE(ed.frame->isVisible()) << viaExit;
        EXPECT_FALSE(f.passRunning());
        EXPECT_TRUE(f.ProgressBar1->isHidden());
    }
}

} // namespace
} // namespace pixpad
