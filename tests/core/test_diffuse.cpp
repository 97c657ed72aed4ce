// "Diffuse" against a straightforward model that walks the pixels in reading
// order with one generator, and its determinism from one run to the next.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "document/int16.h"
#include "filters/diffuserandom.h"
#include "filters/filterrows.h"
#include "filters/filters.h"
#include "testsupport.h"

using namespace pixpad;
using namespace pixpad::test;

namespace {

int modelOffset(float u) { return static_cast<int>(roundHalfEven(4.0 * static_cast<double>(u) - 2.0)); }

Surface modelDiffuse(const Surface& pic, DiffuseRandom& g)
{
    Surface out(pic.width(), pic.height(), pic.backColor());
    out.clear();
    for (int y = 2; y <= pic.height() - 3; ++y)
        for (int x = 2; x <= pic.width() - 3; ++x) {
            const int dx = modelOffset(g.nextFloat());
            const int dy = modelOffset(g.nextFloat());
            out.SetPixelV(x, y, pic.GetPixel(x + dx, y + dy));
        }
    return out;
}

// Every pixel a different colour that names its own position.
Surface numberedSurface(int w, int h)
{
    Surface s(w, h, kPictureBackColor);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            s.row(y)[x] = static_cast<uint32_t>(y * 4096 + x);
    return s;
}

} // namespace

TEST(Diffuse, OffsetMatchesRoundingOfEveryPossibleDraw)
{
    int counts[5] = {0, 0, 0, 0, 0};
    for (uint32_t k = 0; k < (1u << 24); ++k) {
        const float u = static_cast<float>(k) * (1.0f / 16777216.0f);
        const int want = modelOffset(u);
        const int got = diffuseOffset(k);
        if (got != want)
            FAIL() << "k " << k << " gives " << got << ", want " << want;
        ++counts[got + 2];
    }
    // 1/8, 1/4, 1/4, 1/4, 1/8 of the draws, the halves going to the even side.
    EXPECT_EQ(counts[0], (1 << 21) + 1);
    EXPECT_EQ(counts[1], (1 << 22) - 1);
    EXPECT_EQ(counts[2], (1 << 22) + 1);
    EXPECT_EQ(counts[3], (1 << 22) - 1);
    EXPECT_EQ(counts[4], (1 << 21));
}

TEST(Diffuse, MatchesModelAndMovesTheGeneratorTwoDrawsAPixel)
{
    // Widths around the split of a row into stretches, and taller pictures
    // that the pass cuts into bands.
    for (auto [w, h] : {std::pair{5, 5}, std::pair{6, 7}, std::pair{7, 6}, std::pair{8, 9}, std::pair{9, 5},
                        std::pair{13, 40}, std::pair{64, 33}, std::pair{301, 120}}) {
        const Surface pic = randomSurface(w, h, w * 1000 + h);
        Document doc = openedDocument(pic);
        doc.diffuseRandom.advance(w * 7 + h); // not the start: any state must do
        DiffuseRandom model = doc.diffuseRandom;
        ASSERT_TRUE(diffuse(doc));
        EXPECT_TRUE(doc.Picture1.samePixels(modelDiffuse(pic, model))) << w << "x" << h;
        EXPECT_EQ(doc.diffuseRandom, model) << w << "x" << h;
        EXPECT_TRUE(doc.Picture2.samePixels(pic));
    }
}

TEST(Diffuse, SameFirstResultEveryRunAndTheSequenceContinues)
{
    const Surface pic = randomSurface(40, 30, 77);
    Document first = openedDocument(pic), again = openedDocument(pic);
    ASSERT_TRUE(diffuse(first));
    ASSERT_TRUE(diffuse(again));
    EXPECT_TRUE(first.Picture1.samePixels(again.Picture1));
    EXPECT_FALSE(first.Picture1.samePixels(pic));

    // A second Diffuse on the same picture draws new numbers...
    Document twice = openedDocument(pic);
    ASSERT_TRUE(diffuse(twice));
    twice.setOpenedPicture(Surface(pic));
    ASSERT_TRUE(diffuse(twice));
    EXPECT_FALSE(twice.Picture1.samePixels(first.Picture1));
    // ...exactly those that follow the first one's 2 * 36 * 26 draws.
    Document advanced = openedDocument(pic);
    advanced.diffuseRandom.advance(2 * 36 * 26);
    ASSERT_TRUE(diffuse(advanced));
    EXPECT_TRUE(advanced.Picture1.samePixels(twice.Picture1));
}

TEST(Diffuse, NoColourComesFromFurtherThanTwoAway)
{
    const int w = 70, h = 60;
    Document doc = openedDocument(numberedSurface(w, h));
    ASSERT_TRUE(diffuse(doc));
    std::set<std::pair<int, int>> seen;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Colour c = doc.Picture1.GetPixel(x, y);
            if (x < 2 || y < 2 || x >= w - 2 || y >= h - 2) {
                EXPECT_EQ(c, kPictureBackColor);
                continue;
            }
            const int dx = c % 4096 - x, dy = c / 4096 - y;
            ASSERT_LE(std::abs(dx), 2) << x << "," << y;
            ASSERT_LE(std::abs(dy), 2) << x << "," << y;
            seen.insert({dx, dy});
        }
    EXPECT_EQ(seen.size(), 25u) << "every offset occurs on a picture this size";
}

TEST(Diffuse, UniformAndSmallPictures)
{
    const Colour c = rgb(3, 140, 250);
    Document uniform = openedDocument(uniformSurface(9, 8, c));
    ASSERT_TRUE(diffuse(uniform));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 9; ++x)
            EXPECT_EQ(uniform.Picture1.GetPixel(x, y),
                      x < 2 || y < 2 || x > 6 || y > 5 ? kPictureBackColor : c);

    // 5 x 5: one inner pixel, one of the 25, and exactly two draws.
    const Surface five = numberedSurface(5, 5);
    Document one = openedDocument(five);
    DiffuseRandom twoDraws = one.diffuseRandom;
    twoDraws.advance(2);
    ASSERT_TRUE(diffuse(one));
    EXPECT_EQ(one.diffuseRandom, twoDraws);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) {
            const Colour c = one.Picture1.GetPixel(x, y);
            if (x == 2 && y == 2)
                EXPECT_TRUE(c >= 0 && c < 5 * 4096 && c % 4096 < 5) << c;
            else
                EXPECT_EQ(c, kPictureBackColor);
        }

    // Below 5 in either direction nothing is drawn at all.
    for (auto [w, h] : {std::pair{4, 9}, std::pair{9, 4}}) {
        Document none = openedDocument(randomSurface(w, h, 3));
        const DiffuseRandom before = none.diffuseRandom;
        ASSERT_TRUE(diffuse(none));
        EXPECT_TRUE(none.Picture1.samePixels(uniformSurface(w, h, kPictureBackColor)));
        EXPECT_EQ(none.diffuseRandom, before);
    }
}

TEST(Diffuse, AnAbandonedPassLeavesTheGeneratorWhereItWas)
{
    RecordingObserver obs;
    obs.abandonAfter = 3;
    Document doc = openedDocument(randomSurface(20, 20, 4));
    doc.observer = &obs;
    const DiffuseRandom before = doc.diffuseRandom;
    EXPECT_FALSE(diffuse(doc));
    EXPECT_EQ(doc.diffuseRandom, before);
    EXPECT_FALSE(obs.lastBarAtZero);
}
