#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "colour/colourops.h"
#include "document/colourhelpers.h"
#include "document/int16.h"
#include "document/workers.h"
#include "testsupport.h"

using namespace pixpad;
using namespace pixpad::test;

namespace {

// The level exactly as stated: splitcolor, then the double sum in this order,
// rounded half to even.
int statedLevel(Colour c)
{
    int16_t r = 0, g = 0, b = 0;
    splitcolor(c, r, g, b);
    return toInt16((r * 0.33 + g * 0.56) + b * 0.11);
}

Colour grey(int v) { return rgb(v, v, v); }

int grayOf(Colour c)
{
    Document doc = openedDocument(uniformSurface(3, 2, c));
    grayScale(doc);
    return getred(doc.Picture1.GetPixel(2, 1));
}

} // namespace

// Every colour once, against the double formula. The picture's width is a
// multiple of the eight pixels the rule handles at a step; a second picture
// with an odd width sends colours through the rows' last pixels as well.
TEST(GrayScale, EveryColourMatchesTheDoubleFormula)
{
    Surface all(4096, 4096, kPictureBackColor);
    for (uint32_t c = 0; c < (1u << 24); ++c)
        all.data()[c] = c;
    Document doc = openedDocument(all);
    ASSERT_TRUE(grayScale(doc));

    long long mismatches = 0, exactHalves = 0;
    for (uint32_t c = 0; c < (1u << 24); ++c) {
        const Colour col = static_cast<Colour>(c);
        int16_t r = 0, g = 0, b = 0;
        splitcolor(col, r, g, b);
        const double sum = (r * 0.33 + g * 0.56) + b * 0.11;
        exactHalves += sum - std::floor(sum) == 0.5;
        mismatches += doc.Picture1.data()[c] != static_cast<uint32_t>(grey(statedLevel(col)));
    }
    EXPECT_EQ(mismatches, 0);
    // Pins the reference itself: a fused multiply-add or another order of
    // additions changes this count.
    EXPECT_EQ(exactHalves, 106837);
    EXPECT_TRUE(doc.Picture2.samePixels(all));
}

TEST(GrayScale, RowEndsOfOddWidths)
{
    for (int w : {1, 3, 7, 9, 15, 17, 1003}) {
        const Surface pic = randomSurface(w, 211, 40 + w);
        Document doc = openedDocument(pic);
        grayScale(doc);
        for (int y = 0; y < pic.height(); ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(doc.Picture1.GetPixel(x, y), grey(statedLevel(pic.GetPixel(x, y))))
                    << w << ": " << x << "," << y;
    }
    // Tie colours at the ends of rows: (0, 0, 150) is exactly 16.5 and goes
    // down, (0, 0, 50) is exactly 5.5 and goes up.
    Surface ties(11, 2, kPictureBackColor);
    ties.fill(rgb(0, 0, 150));
    ties.SetPixelV(10, 1, rgb(0, 0, 50));
    Document doc = openedDocument(ties);
    grayScale(doc);
    EXPECT_EQ(doc.Picture1.GetPixel(10, 0), grey(16));
    EXPECT_EQ(doc.Picture1.GetPixel(10, 1), grey(6));
}

TEST(GrayScale, StatedLevelsTiesAndGreys)
{
    EXPECT_EQ(grayOf(rgb(255, 0, 0)), 84);
    EXPECT_EQ(grayOf(rgb(0, 255, 0)), 143);
    EXPECT_EQ(grayOf(rgb(0, 0, 255)), 28);
    EXPECT_EQ(grayOf(rgb(0, 0, 150)), 16);
    EXPECT_EQ(grayOf(rgb(0, 0, 50)), 6);
    EXPECT_EQ(grayOf(rgb(0, 1, 54)), 6);
    EXPECT_EQ(grayOf(rgb(255, 255, 255)), 255);

    Surface greys(256, 2, kPictureBackColor);
    for (int v = 0; v < 256; ++v) {
        greys.SetPixelV(v, 0, grey(v));
        greys.SetPixelV(255 - v, 1, grey(v));
    }
    Document doc = openedDocument(greys);
    RecordingObserver obs;
    doc.observer = &obs;
    grayScale(doc);
    EXPECT_TRUE(doc.Picture1.samePixels(greys)); // a grey picture is unchanged
    EXPECT_FALSE(obs.lastBarAtZero);
    EXPECT_EQ(obs.rows, (std::vector<int>{0, 1}));
    doc.undo();
    EXPECT_TRUE(doc.Picture1.samePixels(greys));
}

TEST(GrayScale, TwiceIsOnceAndThreadsAgree)
{
    const Surface pic = randomSurface(517, 433, 19);
    Workers::shared().setThreads(1);
    Document one = openedDocument(pic);
    grayScale(one);
    Workers::shared().setThreads(3);
    Document three = openedDocument(pic);
    grayScale(three);
    Workers::shared().setThreads(2);
    EXPECT_TRUE(one.Picture1.samePixels(three.Picture1));

    const Surface once = one.Picture1;
    grayScale(one);
    EXPECT_TRUE(one.Picture1.samePixels(once));
    one.undo();
    EXPECT_TRUE(one.Picture1.samePixels(once));
}
