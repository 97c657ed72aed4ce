// Every command word gives the same picture on one thread and on several, big
// copies are exact wherever their bands fall, and the pool stays sound when a
// drawing call is made from work that already runs on it.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "colour/colourops.h"
#include "document/workers.h"
#include "filters/filters.h"
#include "geometry/geometry.h"
#include "testsupport.h"

using namespace pixpad;
using namespace pixpad::test;

namespace {

struct ThreadCount {
    int saved;
    explicit ThreadCount(int n) : saved(Workers::shared().threads()) { Workers::shared().setThreads(n); }
    ~ThreadCount() { Workers::shared().setThreads(saved); }
};

void custom5x5(Document& doc)
{
    clearmatrix(doc.filter);
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 5; ++c)
            doc.filter.Matrix[r][c] = static_cast<int16_t>((r * 5 + c) % 5 - 1);
    doc.filter.Divide = 3;
    doc.filter.Bias = 17;
    doc.filter.HalfSize = 2;
}

using Step = std::pair<std::string, std::function<void(Document&)>>;

// Every word pixpad-batch knows, each undone once along the way so that the
// undo copy itself is compared too.
std::vector<Step> everyCommand()
{
    return {
        {"invert", [](Document& d) { invert(d); }},
        {"grayscale", [](Document& d) { grayScale(d); }},
        {"undo", [](Document& d) { d.undo(); }},
        {"red", [](Document& d) { keepRed(d); }},
        {"undo", [](Document& d) { d.undo(); }},
        {"green", [](Document& d) { keepGreen(d); }},
        {"undo", [](Document& d) { d.undo(); }},
        {"blue", [](Document& d) { keepBlue(d); }},
        {"undo", [](Document& d) { d.undo(); }},
        {"mask", [](Document& d) { mask(d); }},
        {"undo", [](Document& d) { d.undo(); }},
        {"solarize", [](Document& d) { solarize(d); }},
        {"smooth", [](Document& d) { smooth(d); }},
        {"edge", [](Document& d) { edge(d); }},
        {"undo", [](Document& d) { d.undo(); }},
        {"sharpen", [](Document& d) { sharpen(d); }},
        {"emboss", [](Document& d) { emboss(d); }},
        {"diffuse", [](Document& d) { diffuse(d); }},
        {"flip-horizontal", [](Document& d) { flipHorizontal(d); }},
        {"flip-vertical", [](Document& d) { flipVertical(d); }},
        {"custom", [](Document& d) { custom5x5(d); dofiltering(d); }},
        {"undo", [](Document& d) { d.undo(); }},
        {"resize", [](Document& d) { resizePicture(d, 2 * d.ImageWidth + 1, d.ImageHeight * 3 / 2); }},
        {"diffuse", [](Document& d) { diffuse(d); }},
        {"resize", [](Document& d) { resizePicture(d, 997, 613); }},
        {"rotate", [](Document& d) { rotateEntry(d); }},
        {"undo", [](Document& d) { d.undo(); }},
    };
}

} // namespace

TEST(CommandThreads, EveryCommandWordAgreesOnOneAndThreeThreads)
{
    // Over 8 MiB, so the copies take the big-buffer path and split into many
    // bands, with an odd width so no band ends on a row boundary. The two
    // documents go step by step, each on its own thread count.
    const Surface pic = randomSurface(1531, 1433, 2024);
    const int saved = Workers::shared().threads();
    Document one = openedDocument(pic), three = openedDocument(pic);
    one.diffuseRandom.advance(777);
    three.diffuseRandom.advance(777);
    Surface beforeGray, beforeEdge;
    for (const Step& step : everyCommand()) {
        SCOPED_TRACE(step.first);
        if (step.first == "grayscale")
            beforeGray = three.Picture1;
        if (step.first == "edge")
            beforeEdge = three.Picture1;
        Workers::shared().setThreads(1);
        EXPECT_NO_THROW(step.second(one));
        Workers::shared().setThreads(3);
        EXPECT_NO_THROW(step.second(three));
        EXPECT_TRUE(one.Picture1.samePixels(three.Picture1));
        EXPECT_TRUE(one.Picture2.samePixels(three.Picture2));
        EXPECT_EQ(one.ImageWidth, three.ImageWidth);
        EXPECT_EQ(one.ImageHeight, three.ImageHeight);
        EXPECT_EQ(one.diffuseRandom, three.diffuseRandom);
        // Undo right after a pass brings back exactly the picture before it.
        if (step.first == "undo" && !beforeGray.isEmpty()) {
            EXPECT_TRUE(three.Picture1.samePixels(beforeGray));
            beforeGray = Surface();
        }
        if (step.first == "undo" && !beforeEdge.isEmpty()) {
            EXPECT_TRUE(three.Picture1.samePixels(beforeEdge));
            beforeEdge = Surface();
        }
    }
    Workers::shared().setThreads(saved);
}

TEST(CommandThreads, CopiesAreExactWhereverTheBandsEnd)
{
    ThreadCount count(3);
    // Single pixels, a band and one, rows that straddle bands, big buffers.
    // The last two are past the size that streams its stores, copied once into
    // fresh memory and once into the buffer already there.
    const std::vector<std::pair<int, int>> sizes = {{1, 1},       {32767, 3},  {257, 255},  {1, 30001},
                                                    {2049, 1031}, {2901, 2897}, {2903, 2893}};
    Surface target; // reused: shrinking and growing keep its buffer honest
    for (auto [w, h] : sizes) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        const Surface pic = randomSurface(w, h, static_cast<uint32_t>(w * 31 + h));
        target.setPicture(pic);
        ASSERT_EQ(target.width(), w);
        ASSERT_EQ(target.height(), h);
        bool same = true;
        for (int y = 0; y < h && same; ++y)
            for (int x = 0; x < w && same; ++x)
                same = target.GetPixel(x, y) == pic.GetPixel(x, y);
        EXPECT_TRUE(same);

        Document doc = openedDocument(pic);
        invert(doc);
        doc.undo();
        EXPECT_TRUE(doc.Picture1.samePixels(pic));
    }
}

TEST(CommandThreads, PoolWorkStartedFromPoolWorkRunsInline)
{
    Workers pool(3);
    std::vector<std::atomic<int>> hits(12 * 50);
    for (int round = 1; round <= 100; ++round) {
        pool.parallelFor(12, [&](int i) {
            pool.parallelFor(50, [&](int j) { hits[i * 50 + j].fetch_add(1); });
        });
        for (std::size_t k = 0; k < hits.size(); ++k)
            ASSERT_EQ(hits[k].load(), round) << k;
    }

    // A pass whose rows copy a big surface: the copy reaches for the shared
    // pool while the pass is running on it.
    ThreadCount count(3);
    const Surface big = randomSurface(700, 400, 5);
    struct CopyingRule final : PassRule {
        const Surface* big;
        std::atomic<int>* wrong;
        void rows(const Surface& src, Surface& dst, const PassRange& r, int rowBegin, int rowEnd) const override
        {
            const Surface copy = *big;
            if (!copy.samePixels(*big))
                wrong->fetch_add(1);
            for (int y = rowBegin; y < rowEnd; ++y)
                for (int x = r.x0; x <= r.x1; ++x)
                    dst.row(y)[x] = src.row(y)[x] ^ 0x00FFFFFFu;
        }
    };
    std::atomic<int> wrong{0};
    CopyingRule rule;
    rule.big = &big;
    rule.wrong = &wrong;
    const Surface pic = randomSurface(300, 200, 6);
    Document doc = openedDocument(pic);
    ASSERT_TRUE(dopixelpass(doc, rule, PassInputs{}));
    EXPECT_EQ(wrong.load(), 0);
    Document inverted = openedDocument(pic);
    invert(inverted);
    EXPECT_TRUE(doc.Picture1.samePixels(inverted.Picture1));
}

// Enlargements past the streaming size take other paths into memory the
// document already owns than into fresh memory; both must give the nearest
// pixel by centres, on one thread and on several.
TEST(BigPictures, EnlargementsIntoOwnedAndFreshMemoryMatchTheModel)
{
    struct Case {
        int sw, sh, dw, dh;
    };
    // Twice as wide with rows on 16-byte boundaries, twice as wide with every
    // other row 8 bytes off, and a factor that is no whole number.
    const std::vector<Case> cases = {{1500, 1400, 3000, 2800}, {1451, 1501, 2902, 3002}, {1201, 999, 3001, 2998}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.dw) + "x" + std::to_string(c.dh));
        const Surface pic = randomSurface(c.sw, c.sh, static_cast<uint32_t>(c.sw + c.dh));
        for (int threads : {1, 3}) {
            ThreadCount count(threads);
            Document doc = openedDocument(pic);
            resizePicture(doc, c.dw, c.dh); // fresh memory
            const Surface first = doc.Picture1;
            doc.Picture1.setPicture(pic);
            doc.ImageWidth = static_cast<int16_t>(c.sw);
            doc.ImageHeight = static_cast<int16_t>(c.sh);
            doc.takeUndoCopy();
            resizePicture(doc, c.dw, c.dh); // into the buffers from the first time
            EXPECT_TRUE(doc.Picture1.samePixels(first));
            EXPECT_TRUE(doc.Picture2.samePixels(first)); // the undo copy after the layout
            bool same = true;
            for (int y = 0; y < c.dh && same; ++y) {
                // The source pixel whose area holds the destination pixel's centre.
                const int sy = static_cast<int>((y + 0.5) * c.sh / c.dh);
                for (int x = 0; x < c.dw && same; ++x) {
                    const int sx = static_cast<int>((x + 0.5) * c.sw / c.dw);
                    same = doc.Picture1.GetPixel(x, y) == pic.GetPixel(sx, sy);
                    if (!same)
                        ADD_FAILURE() << "threads " << threads << " at " << x << "," << y;
                }
            }
        }
    }
}

TEST(BigPictures, FlipsPastTheStreamingSizeMatchTheModel)
{
    // An odd width, so rows start off the 16-byte boundaries as well as on them.
    const Surface pic = randomSurface(2901, 2895, 77);
    const int w = pic.width(), h = pic.height();
    for (int threads : {1, 3}) {
        ThreadCount count(threads);
        Document doc = openedDocument(pic);
        flipVertical(doc);
        bool same = true;
        for (int y = 0; y < h && same; ++y)
            for (int x = 0; x < w && same; ++x)
                same = doc.Picture1.GetPixel(x, y) == pic.GetPixel(x, h - 1 - y);
        EXPECT_TRUE(same) << "vertical, threads " << threads;
        EXPECT_TRUE(doc.Picture2.samePixels(pic));
        flipHorizontal(doc);
        for (int y = 0; y < h && same; ++y)
            for (int x = 0; x < w && same; ++x)
                same = doc.Picture1.GetPixel(x, y) == pic.GetPixel(w - 1 - x, h - 1 - y);
        EXPECT_TRUE(same) << "both, threads " << threads;
    }
}
