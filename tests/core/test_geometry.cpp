#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "colour/colourops.h"
#include "document/limits.h"
#include "document/rowstream.h"
#include "document/surface.h"
#include "document/workers.h"
#include "geometry/geometry.h"
#include "testsupport.h"

using namespace pixpad;
using namespace pixpad::test;

namespace {

Surface mirrored(const Surface& s, bool horizontally, bool vertically)
{
    Surface out(s.width(), s.height(), s.backColor());
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x)
            out.SetPixelV(x, y, s.GetPixel(horizontally ? s.width() - 1 - x : x,
                                           vertically ? s.height() - 1 - y : y));
    return out;
}

// Nearest pixel by pixel centres, worked in doubles: the centre of
// destination pixel x sits at (x + 0.5) * srcW / dstW in the source.
Surface nearestModel(const Surface& s, int w, int h)
{
    Surface out(w, h, s.backColor());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int sx = static_cast<int>(std::floor((x + 0.5) * s.width() / w));
            const int sy = static_cast<int>(std::floor((y + 0.5) * s.height() / h));
            out.SetPixelV(x, y, s.GetPixel(sx, sy));
        }
    return out;
}

const std::pair<int, int> kFlipSizes[] = {{1, 1}, {1, 9}, {9, 1}, {7, 5}, {8, 6}, {613, 389}};

} // namespace

TEST(Flip, MirrorsEveryPixelAndTakesTheUndoCopy)
{
    for (auto [w, h] : kFlipSizes) {
        const Surface pic = randomSurface(w, h, 50 + w);
        for (bool horizontal : {true, false}) {
            SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + (horizontal ? " H" : " V"));
            Document doc = openedDocument(pic);
            RecordingObserver obs;
            doc.observer = &obs;
            horizontal ? flipHorizontal(doc) : flipVertical(doc);
            EXPECT_TRUE(doc.Picture1.samePixels(mirrored(pic, horizontal, !horizontal)));
            EXPECT_TRUE(doc.Picture2.samePixels(pic));
            EXPECT_EQ(obs.started + obs.finished + static_cast<int>(obs.rows.size()), 0);
            EXPECT_EQ(doc.ImageWidth, w);
            EXPECT_EQ(doc.ImageHeight, h);

            // Twice is the identity, and Undo then gives the once-flipped picture.
            horizontal ? flipHorizontal(doc) : flipVertical(doc);
            EXPECT_TRUE(doc.Picture1.samePixels(pic));
            doc.undo();
            EXPECT_TRUE(doc.Picture1.samePixels(mirrored(pic, horizontal, !horizontal)));
        }
    }
}

TEST(Flip, MiddleColumnOnlyForOddWidthsAndBothFlipsTurnHalfway)
{
    Surface odd(7, 3, kPictureBackColor), even(8, 3, kPictureBackColor);
    for (Surface* s : {&odd, &even})
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < s->width(); ++x)
                s->SetPixelV(x, y, rgb(x, y, 10 + x));
    Document d7 = openedDocument(odd);
    flipHorizontal(d7);
    for (int x = 0; x < 7; ++x)
        EXPECT_EQ(d7.Picture1.GetPixel(x, 1) == odd.GetPixel(x, 1), x == 3) << x;
    Document d8 = openedDocument(even);
    flipHorizontal(d8);
    for (int x = 0; x < 8; ++x)
        EXPECT_NE(d8.Picture1.GetPixel(x, 1), even.GetPixel(x, 1)) << x;

    const Surface pic = randomSurface(31, 17, 51);
    Document doc = openedDocument(pic);
    flipHorizontal(doc);
    flipVertical(doc);
    for (int y = 0; y < 17; ++y)
        for (int x = 0; x < 31; ++x)
            ASSERT_EQ(doc.Picture1.GetPixel(x, y), pic.GetPixel(30 - x, 16 - y));
}

TEST(Flip, WithoutAPictureChangesNothing)
{
    Document doc;
    flipHorizontal(doc);
    flipVertical(doc);
    EXPECT_TRUE(doc.Picture1.isEmpty());
    EXPECT_TRUE(doc.Picture2.isEmpty());
}

TEST(Resize, NearestPixelAgainstAnIndependentModel)
{
    const Surface pic = randomSurface(37, 23, 53);
    const std::pair<int, int> sizes[] = {{74, 46}, {37, 23}, {18, 11}, {100, 61}, {5, 97},
                                         {1, 1}, {3, 7}, {37, 1}, {1000, 3}};
    for (auto [w, h] : sizes) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        Document doc = openedDocument(pic);
        resizePicture(doc, w, h);
        EXPECT_TRUE(doc.Picture1.samePixels(nearestModel(pic, w, h)));
    }
}

TEST(Resize, WholeFactorsRepeatAndPickCentres)
{
    const Surface pic = randomSurface(10, 6, 54);
    Document doc = openedDocument(pic);
    resizePicture(doc, 20, 18);
    for (int y = 0; y < 18; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(doc.Picture1.GetPixel(x, y), pic.GetPixel(x / 2, y / 3));

    // Halving keeps the later of each pair, the pixel holding the centre of
    // the destination pixel; a third keeps the middle one.
    Document half = openedDocument(pic);
    resizePicture(half, 5, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 5; ++x)
            ASSERT_EQ(half.Picture1.GetPixel(x, y), pic.GetPixel(2 * x + 1, 3 * y + 1));
}

TEST(Resize, SizesUndoCopyAndLayout)
{
    const Surface pic = randomSurface(12, 9, 55);
    Document doc = openedDocument(pic);
    int layouts = 0;
    int16_t widthSeenByLayout = 0;
    doc.relayout = [&] {
        ++layouts;
        widthSeenByLayout = doc.ImageWidth;
        doc.takeUndoCopy();
    };
    invert(doc);
    resizePicture(doc, 25, 4);
    EXPECT_EQ(layouts, 1);
    EXPECT_EQ(widthSeenByLayout, 25);
    EXPECT_EQ(doc.ImageWidth, 25);
    EXPECT_EQ(doc.ImageHeight, 4);
    EXPECT_EQ(doc.Picture1.width(), 25);
    EXPECT_EQ(doc.Picture1.height(), 4);

    // The resized picture still shows the Invert before it, and Undo keeps it.
    Surface inverted = pic;
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 12; ++x)
            inverted.SetPixelV(x, y, pic.GetPixel(x, y) ^ 0x00FFFFFF);
    const Surface expected = nearestModel(inverted, 25, 4);
    EXPECT_TRUE(doc.Picture1.samePixels(expected));
    EXPECT_TRUE(doc.Picture2.samePixels(expected));
    doc.undo();
    EXPECT_TRUE(doc.Picture1.samePixels(expected));

    // The same size redraws the same picture.
    resizePicture(doc, 25, 4);
    EXPECT_TRUE(doc.Picture1.samePixels(expected));
}

TEST(Resize, RefusesSizesThatWouldDestroyThePictureBeforeChangingAnything)
{
    const Surface pic = randomSurface(6, 5, 56);
    const std::pair<int, int> bad[] = {{0, 5},     {6, 0},     {0, 0},
                                       {-1, 5},    {6, -3},    {kMaxPictureSide + 1, 5},
                                       {6, 40000}, {16385, 16384}, {32767, 32767}};
    for (auto [w, h] : bad) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        Document doc = openedDocument(pic);
        invert(doc); // so Picture1 and Picture2 differ
        const Surface before1 = doc.Picture1, before2 = doc.Picture2;
        int layouts = 0;
        doc.relayout = [&] { ++layouts; };
        try {
            resizePicture(doc, w, h);
            ADD_FAILURE() << "accepted";
        } catch (const std::invalid_argument& e) {
            const std::string what = e.what();
            EXPECT_NE(what.find(w < 1 || w > kMaxPictureSide  ? "width"
                                : h < 1 || h > kMaxPictureSide ? "height"
                                                               : "too large"),
                      std::string::npos)
                << what;
        }
        EXPECT_TRUE(doc.Picture1.samePixels(before1));
        EXPECT_TRUE(doc.Picture2.samePixels(before2));
        EXPECT_EQ(doc.ImageWidth, 6);
        EXPECT_EQ(doc.ImageHeight, 5);
        EXPECT_EQ(layouts, 0);
    }

    // The largest sides are allowed.
    Document wide = openedDocument(pic);
    resizePicture(wide, kMaxPictureSide, 1);
    EXPECT_EQ(wide.ImageWidth, kMaxPictureSide);
    resizePicture(wide, 2, kMaxPictureSide);
    EXPECT_EQ(wide.ImageHeight, kMaxPictureSide);
}

TEST(Resize, WithoutAPictureGivesABackgroundPictureOfTheNewSize)
{
    Document doc;
    doc.setPictureBackColor(rgb(9, 8, 7));
    resizePicture(doc, 5, 4);
    EXPECT_TRUE(doc.Picture1.samePixels(uniformSurface(5, 4, rgb(9, 8, 7))));
    EXPECT_TRUE(doc.Picture2.samePixels(doc.Picture1));
    EXPECT_EQ(doc.ImageWidth, 5);
    EXPECT_EQ(doc.ImageHeight, 4);
}

TEST(Rotate, TakesTheUndoCopyAndEmptiesThePicture)
{
    const Surface pic = randomSurface(8, 5, 57);
    Document doc = openedDocument(pic);
    doc.setPictureBackColor(rgb(40, 50, 60));
    RecordingObserver obs;
    doc.observer = &obs;
    rotateEntry(doc);
    EXPECT_TRUE(doc.Picture1.samePixels(uniformSurface(8, 5, rgb(40, 50, 60))));
    EXPECT_TRUE(doc.Picture2.samePixels(pic));
    EXPECT_EQ(doc.ImageWidth, 8);
    EXPECT_EQ(doc.ImageHeight, 5);
    EXPECT_EQ(obs.started, 0);
    doc.undo();
    EXPECT_TRUE(doc.Picture1.samePixels(pic));
}

TEST(Geometry, SameResultOnOneAndThreeThreads)
{
    const Surface pic = randomSurface(701, 433, 58);
    auto run = [&](int threads) {
        Workers::shared().setThreads(threads);
        std::vector<Surface> results;
        Document doc = openedDocument(pic);
        flipHorizontal(doc);
        results.push_back(doc.Picture1);
        flipVertical(doc);
        results.push_back(doc.Picture1);
        resizePicture(doc, 1303, 977);
        results.push_back(doc.Picture1);
        resizePicture(doc, 389, 211);
        results.push_back(doc.Picture1);
        resizePicture(doc, 778, 422);
        results.push_back(doc.Picture1);
        invert(doc);
        results.push_back(doc.Picture1);
        return results;
    };
    const auto one = run(1), three = run(3);
    Workers::shared().setThreads(2);
    ASSERT_EQ(one.size(), three.size());
    for (size_t i = 0; i < one.size(); ++i)
        EXPECT_TRUE(one[i].samePixels(three[i])) << i;
    // And the threaded resize still matches the model.
    EXPECT_TRUE(three[2].samePixels(nearestModel(mirrored(pic, true, true), 1303, 977)));
}

// Mirrored rows of a picture above the streaming threshold are streamed.
TEST(Geometry, BigPicturesFlipAndResizeLikeSmallOnes)
{
    const Surface pic = randomSurface(4099, 2053, 59);
    ASSERT_TRUE(streamingPays(pic.pixelCount()));
    Document doc = openedDocument(pic);
    flipHorizontal(doc);
    flipVertical(doc);
    for (int y = 0; y < pic.height(); ++y) {
        const uint32_t* s = pic.row(pic.height() - 1 - y);
        const uint32_t* d = doc.Picture1.row(y);
        for (int x = 0; x < pic.width(); ++x)
            ASSERT_EQ(d[x], s[pic.width() - 1 - x]) << x << "," << y;
    }

    const Surface small = randomSurface(1366, 1025, 60);
    for (auto [w, h] : {std::pair{2732, 3075}, std::pair{4099, 2053}}) {
        Document big = openedDocument(small);
        resizePicture(big, w, h);
        EXPECT_TRUE(big.Picture1.samePixels(nearestModel(small, w, h)));
    }
}
