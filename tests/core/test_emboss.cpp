// "Embose" against a straightforward model of its rule.
#include <gtest/gtest.h>

#include <cstdlib>

#include "document/colourhelpers.h"
#include "filters/filters.h"
#include "testsupport.h"

using namespace pixpad;
using namespace pixpad::test;

namespace {

Surface modelEmboss(const Surface& pic)
{
    Surface out(pic.width(), pic.height(), pic.backColor());
    out.clear();
    for (int y = 1; y <= pic.height() - 2; ++y)
        for (int x = 1; x <= pic.width() - 2; ++x) {
            const Colour a = pic.GetPixel(x, y), b = pic.GetPixel(x + 1, y + 1);
            out.SetPixelV(x, y, composeColour(std::abs(getred(a) - getred(b) + 128),
                                              std::abs(getgreen(a) - getgreen(b) + 128),
                                              std::abs(getblue(a) - getblue(b) + 128)));
        }
    return out;
}

Colour embossedPair(Colour pixel, Colour lowerRight)
{
    Surface pic = uniformSurface(3, 3, 0);
    pic.row(1)[1] = pixel;
    pic.row(2)[2] = lowerRight;
    Document doc = openedDocument(pic);
    EXPECT_TRUE(emboss(doc));
    return doc.Picture1.GetPixel(1, 1);
}

} // namespace

TEST(Emboss, StatedValues)
{
    EXPECT_EQ(embossedPair(0x00FFFFFF, 0), 0x00FFFFFF); // 383 saturates
    EXPECT_EQ(embossedPair(0, 0x00FFFFFF), rgb(127, 127, 127));
    EXPECT_EQ(embossedPair(rgb(0, 1, 127), rgb(128, 130, 0)), rgb(0, 1, 255));
    EXPECT_EQ(embossedPair(rgb(20, 40, 60), rgb(20, 40, 60)), rgb(128, 128, 128));
}

TEST(Emboss, MatchesModelWithAOnePixelFrame)
{
    for (uint32_t seed = 0; seed < 5; ++seed) {
        const Surface pic = randomSurface(3 + seed * 9, 3 + seed * 6, 300 + seed);
        RecordingObserver obs;
        Document doc = openedDocument(pic);
        doc.observer = &obs;
        ASSERT_TRUE(emboss(doc));
        EXPECT_TRUE(doc.Picture1.samePixels(modelEmboss(pic))) << seed;
        EXPECT_TRUE(doc.Picture2.samePixels(pic));
        EXPECT_TRUE(obs.lastBarAtZero);
    }
    Document uniform = openedDocument(uniformSurface(5, 4, rgb(1, 2, 3)));
    ASSERT_TRUE(emboss(uniform));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(uniform.Picture1.GetPixel(x, y),
                      x == 0 || y == 0 || x == 4 || y == 3 ? kPictureBackColor : rgb(128, 128, 128));
    uniform.undo();
    EXPECT_TRUE(uniform.Picture1.samePixels(uniformSurface(5, 4, rgb(1, 2, 3))));
}

TEST(Emboss, TinyPicturesAreAllBackground)
{
    for (auto [w, h] : {std::pair{2, 8}, std::pair{8, 2}, std::pair{1, 1}}) {
        RecordingObserver obs;
        Document doc = openedDocument(randomSurface(w, h, 6));
        doc.observer = &obs;
        ASSERT_TRUE(emboss(doc));
        EXPECT_TRUE(doc.Picture1.samePixels(uniformSurface(w, h, kPictureBackColor)));
        EXPECT_EQ(obs.started, 1);
        EXPECT_EQ(obs.finished, 1);
    }
}

TEST(Emboss, SizesItselfFromTheWorkingPicture)
{
    // Should the document size ever disagree with the picture, Embose still
    // covers the picture and divides its progress by the picture's height.
    const Surface pic = randomSurface(9, 10, 7);
    RecordingObserver obs;
    Document doc = openedDocument(pic);
    doc.ImageWidth = 4;
    doc.ImageHeight = 3;
    doc.observer = &obs;
    ASSERT_TRUE(emboss(doc));
    EXPECT_TRUE(doc.Picture1.samePixels(modelEmboss(pic)));
    ASSERT_EQ(obs.rows.size(), 8u);
    EXPECT_FLOAT_EQ(obs.values.front(), 10.0f);
}
