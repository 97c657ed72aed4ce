// "Sharpen" against the double formula it is defined by.
#include <gtest/gtest.h>

#include <vector>

#include "document/colourhelpers.h"
#include "document/int16.h"
#include "filters/filterrows.h"
#include "filters/filters.h"
#include "testsupport.h"

using namespace pixpad;
using namespace pixpad::test;

namespace {

int sharpened(int c, int cu)
{
    const int16_t d = sub16(c, cu);
    const int v = toInt16(d * 0.8 + c);
    return v < 0 ? 0 : (v > 255 ? 255 : v);
}

Surface modelSharpen(const Surface& pic)
{
    Surface out(pic.width(), pic.height(), pic.backColor());
    out.clear();
    for (int y = 1; y <= pic.height() - 2; ++y)
        for (int x = 1; x <= pic.width() - 2; ++x) {
            const Colour a = pic.GetPixel(x, y), u = pic.GetPixel(x - 1, y - 1);
            out.SetPixelV(x, y, composeColour(sharpened(getred(a), getred(u)), sharpened(getgreen(a), getgreen(u)),
                                              sharpened(getblue(a), getblue(u))));
        }
    return out;
}

} // namespace

TEST(Sharpen, RowKernelMatchesTheDoubleFormulaForEveryPair)
{
    // Every (c, cu) pair once in each channel, the channels permuted so a
    // swapped lane shows.
    const int n = 65536;
    std::vector<uint32_t> cur(n), upLeft(n), out(n, 0xFFFFFFFFu);
    for (int i = 0; i < n; ++i) {
        const int c = i & 255, cu = i >> 8;
        cur[i] = static_cast<uint32_t>(rgb(c, cu, 255 - c));
        upLeft[i] = static_cast<uint32_t>(rgb(cu, c, cu));
    }
    sharpenRow(cur.data(), upLeft.data(), out.data(), n);
    for (int i = 0; i < n; ++i) {
        const int c = i & 255, cu = i >> 8;
        ASSERT_EQ(static_cast<Colour>(out[i]), rgb(sharpened(c, cu), sharpened(cu, c), sharpened(255 - c, cu)))
            << "c " << c << " cu " << cu;
    }
}

TEST(Sharpen, StatedValues)
{
    auto one = [](Colour upperLeft, Colour pixel) {
        Surface pic = uniformSurface(3, 3, 0);
        pic.row(0)[0] = upperLeft;
        pic.row(1)[1] = pixel;
        Document doc = openedDocument(pic);
        EXPECT_TRUE(sharpen(doc));
        return doc.Picture1.GetPixel(1, 1);
    };
    EXPECT_EQ(one(rgb(50, 12, 12), rgb(100, 10, 11)), rgb(140, 8, 10));
    EXPECT_EQ(one(0x00FFFFFF, 0), 0);
    EXPECT_EQ(one(0, 0x00FFFFFF), 0x00FFFFFF);
    EXPECT_EQ(one(rgb(100, 100, 100), rgb(200, 100, 0)), rgb(255, 100, 0));
}

TEST(Sharpen, MatchesModelWithABorderOnAllFourSides)
{
    for (uint32_t seed = 0; seed < 5; ++seed) {
        const Surface pic = randomSurface(3 + seed * 11, 3 + seed * 5, 200 + seed);
        RecordingObserver obs;
        Document doc = openedDocument(pic);
        doc.observer = &obs;
        ASSERT_TRUE(sharpen(doc));
        EXPECT_TRUE(doc.Picture1.samePixels(modelSharpen(pic))) << seed;
        EXPECT_TRUE(doc.Picture2.samePixels(pic));
        EXPECT_TRUE(obs.lastBarAtZero);
        ASSERT_FALSE(obs.rows.empty());
        EXPECT_EQ(obs.rows.front(), 1);
        EXPECT_EQ(obs.rows.back(), pic.height() - 2);
    }
    const Colour c = rgb(33, 66, 99);
    Document uniform = openedDocument(uniformSurface(6, 4, c));
    ASSERT_TRUE(sharpen(uniform));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(uniform.Picture1.GetPixel(x, y),
                      x == 0 || y == 0 || x == 5 || y == 3 ? kPictureBackColor : c);
}

TEST(Sharpen, PicturesTwoPixelsAcrossHaveNothingInside)
{
    for (auto [w, h] : {std::pair{2, 9}, std::pair{9, 2}, std::pair{1, 1}}) {
        Document doc = openedDocument(randomSurface(w, h, 5));
        ASSERT_TRUE(sharpen(doc));
        EXPECT_TRUE(doc.Picture1.samePixels(uniformSurface(w, h, kPictureBackColor)));
    }
}
