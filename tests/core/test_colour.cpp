#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "colour/colourops.h"
#include "document/colourhelpers.h"
#include "document/int16.h"
#include "document/rowstream.h"
#include "document/workers.h"
#include "testsupport.h"

using namespace pixpad;
using namespace pixpad::test;

namespace {

using Model = std::function<Colour(Colour)>;
using Command = bool (*)(Document&);

// What a pass with first index `first` must leave: the background colour
// outside the loop ranges, the model's colour of the same source pixel inside.
Surface modelPass(const Surface& src, int first, const Model& model)
{
    Surface out(src.width(), src.height(), src.backColor());
    for (int y = first; y < src.height(); ++y)
        for (int x = first; x < src.width(); ++x)
            out.SetPixelV(x, y, model(src.GetPixel(x, y)));
    return out;
}

// The rules as stated, one pixel at a time through the colour helpers.
Colour redModel(Colour s) { return toByte(getred(s)); }
Colour greenModel(Colour s) { return 256 * toByte(getgreen(s)); }
Colour blueModel(Colour s) { return 65536 * toByte(getblue(s)); }

Colour maskModel(Colour s)
{
    const int r = toByte(getred(s)), g = toByte(getgreen(s)), b = toByte(getblue(s));
    return (r >= 128 || g >= 128 || b >= 128) ? rgb(0, 0, 0) : rgb(255, 255, 255);
}

Colour solarizeModel(Colour s)
{
    int16_t c[3];
    splitcolor(s, c[0], c[1], c[2]);
    for (int16_t& v : c)
        if (v < 128 || v > 255)
            v = sub16(255, v);
    return c[0] + 256 * c[1] + 65536 * c[2];
}

struct Case {
    const char* name;
    Command command;
    Model model;
    int first;
    bool barAtZero;
};

const std::vector<Case>& cases()
{
    static const std::vector<Case> all = {
        {"Red", keepRed, redModel, 0, true},
        {"Green", keepGreen, greenModel, 0, true},
        {"Blue", keepBlue, blueModel, 0, true},
        {"Mask", mask, maskModel, 1, false},
        {"Solarize", solarize, solarizeModel, 0, false},
    };
    return all;
}

// Every value 0..255 in every channel, the three channels of a pixel always
// different (a swap of two channels shows), in three rows that rotate them.
Surface everyChannelValue()
{
    Surface s(256, 3, kPictureBackColor);
    for (int v = 0; v < 256; ++v) {
        const int a = v, b = (v + 85) % 256, c = (v + 170) % 256;
        s.SetPixelV(v, 0, rgb(a, b, c));
        s.SetPixelV(v, 1, rgb(c, a, b));
        s.SetPixelV(v, 2, rgb(b, c, a));
    }
    return s;
}

Colour applyOne(Command command, Colour c)
{
    Document doc = openedDocument(uniformSurface(2, 2, c));
    command(doc);
    return doc.Picture1.GetPixel(1, 1);
}

} // namespace

TEST(ColourPasses, MatchTheStatedRulesOnEveryChannelValueAndRandomPictures)
{
    const std::vector<Surface> pictures = {everyChannelValue(), randomSurface(37, 23, 11),
                                           randomSurface(1001, 67, 12)};
    for (const Case& c : cases()) {
        for (const Surface& pic : pictures) {
            SCOPED_TRACE(c.name);
            Document doc = openedDocument(pic);
            EXPECT_TRUE(c.command(doc));
            EXPECT_TRUE(doc.Picture1.samePixels(modelPass(pic, c.first, c.model)));
            EXPECT_TRUE(doc.Picture2.samePixels(pic)); // the undo copy
            doc.undo();
            EXPECT_TRUE(doc.Picture1.samePixels(pic));
            EXPECT_EQ(doc.ImageWidth, pic.width());
            EXPECT_EQ(doc.ImageHeight, pic.height());
        }
    }
}

TEST(ColourPasses, ProgressBarStartAndRows)
{
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.name);
        Document doc = openedDocument(randomSurface(5, 4, 13));
        RecordingObserver obs;
        doc.observer = &obs;
        c.command(doc);
        EXPECT_EQ(obs.started, 1);
        EXPECT_EQ(obs.finished, 1);
        EXPECT_EQ(obs.lastBarAtZero, c.barAtZero);
        ASSERT_FALSE(obs.rows.empty());
        EXPECT_EQ(obs.rows.front(), c.first);
        EXPECT_EQ(obs.rows.back(), 3);
        EXPECT_FLOAT_EQ(obs.values.front(), c.first * 25.f);
    }
}

TEST(ColourPasses, SameResultOnOneAndThreeThreads)
{
    const Surface pic = randomSurface(613, 389, 14);
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.name);
        Workers::shared().setThreads(1);
        Document one = openedDocument(pic);
        c.command(one);
        Workers::shared().setThreads(3);
        Document three = openedDocument(pic);
        c.command(three);
        Workers::shared().setThreads(2);
        EXPECT_TRUE(one.Picture1.samePixels(three.Picture1));
    }
}

TEST(SingleChannel, StatedValuesTwiceAndRedThenGreen)
{
    const Colour c = rgb(12, 34, 56);
    EXPECT_EQ(applyOne(keepRed, c), rgb(12, 0, 0));
    EXPECT_EQ(applyOne(keepGreen, c), rgb(0, 34, 0));
    EXPECT_EQ(applyOne(keepBlue, c), rgb(0, 0, 56));
    const Colour white = rgb(255, 255, 255), black = 0;
    EXPECT_EQ(applyOne(keepRed, white), rgb(255, 0, 0));
    EXPECT_EQ(applyOne(keepGreen, white), rgb(0, 255, 0));
    EXPECT_EQ(applyOne(keepBlue, white), rgb(0, 0, 255));
    for (Command k : {keepRed, keepGreen, keepBlue})
        EXPECT_EQ(applyOne(k, black), black);

    const Surface pic = randomSurface(19, 7, 15);
    for (Command k : {keepRed, keepGreen, keepBlue}) {
        Document doc = openedDocument(pic);
        k(doc);
        const Surface once = doc.Picture1;
        k(doc);
        EXPECT_TRUE(doc.Picture1.samePixels(once));
    }
    Document doc = openedDocument(pic);
    keepRed(doc);
    keepGreen(doc);
    EXPECT_TRUE(doc.Picture1.samePixels(uniformSurface(19, 7, black)));
}

TEST(Mask, StatedValuesAndTheBackgroundEdges)
{
    EXPECT_EQ(applyOne(mask, rgb(127, 127, 127)), rgb(255, 255, 255));
    EXPECT_EQ(applyOne(mask, rgb(128, 0, 0)), 0);
    EXPECT_EQ(applyOne(mask, rgb(0, 128, 0)), 0);
    EXPECT_EQ(applyOne(mask, rgb(0, 0, 128)), 0);
    EXPECT_EQ(applyOne(mask, rgb(0, 0, 0)), rgb(255, 255, 255));
    EXPECT_EQ(applyOne(mask, rgb(255, 255, 255)), 0);

    // Row 0 and column 0 take Picture1's own background colour, whatever the
    // picture held there; a second Mask swaps black and white inside.
    const Colour back = rgb(1, 2, 3);
    Document doc = openedDocument(randomSurface(9, 6, 16));
    doc.setPictureBackColor(back);
    mask(doc);
    const Surface once = doc.Picture1;
    for (int x = 0; x < 9; ++x)
        EXPECT_EQ(once.GetPixel(x, 0), back);
    for (int y = 0; y < 6; ++y)
        EXPECT_EQ(once.GetPixel(0, y), back);
    mask(doc);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 9; ++x) {
            const Colour expected = (x == 0 || y == 0) ? back : (once.GetPixel(x, y) ^ 0x00FFFFFF);
            EXPECT_EQ(doc.Picture1.GetPixel(x, y), expected) << x << "," << y;
        }
}

TEST(Mask, OnePixelWideOrHighPicturesShowOnlyTheBackground)
{
    for (auto [w, h] : {std::pair{1, 5}, std::pair{7, 1}, std::pair{1, 1}}) {
        const Surface pic = randomSurface(w, h, 17);
        Document doc = openedDocument(pic);
        RecordingObserver obs;
        doc.observer = &obs;
        EXPECT_TRUE(mask(doc));
        EXPECT_TRUE(doc.Picture1.samePixels(uniformSurface(w, h, kPictureBackColor)));
        EXPECT_TRUE(doc.Picture2.samePixels(pic));
        EXPECT_EQ(obs.started, 1);
    }
}

TEST(Solarize, StatedValuesAndTwiceIsOnce)
{
    EXPECT_EQ(applyOne(solarize, rgb(0, 0, 0)), rgb(255, 255, 255));
    EXPECT_EQ(applyOne(solarize, rgb(255, 255, 255)), rgb(255, 255, 255));
    EXPECT_EQ(applyOne(solarize, rgb(127, 127, 127)), rgb(128, 128, 128));
    EXPECT_EQ(applyOne(solarize, rgb(128, 128, 128)), rgb(128, 128, 128));
    EXPECT_EQ(applyOne(solarize, rgb(200, 50, 0)), rgb(200, 205, 255));

    Document doc = openedDocument(randomSurface(23, 11, 18));
    solarize(doc);
    const Surface once = doc.Picture1;
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 23; ++x) {
            const Colour c = once.GetPixel(x, y);
            EXPECT_GE(getred(c), 128);
            EXPECT_GE(getgreen(c), 128);
            EXPECT_GE(getblue(c), 128);
        }
    solarize(doc);
    EXPECT_TRUE(doc.Picture1.samePixels(once));
}

// Rows of big pictures are written with streaming stores through a small
// buffer; every start alignment and length must come out as a plain write.
TEST(RowStreaming, WritesEveryPixelOnceAtAnyAlignmentAndLength)
{
    std::vector<uint32_t> storage(2000 + 8);
    for (size_t offset = 0; offset < 4; ++offset)
        for (size_t n : {0u, 1u, 3u, 7u, 8u, 9u, 15u, 511u, 512u, 513u, 1029u, 2000u}) {
            std::fill(storage.begin(), storage.end(), 0xDEADBEEFu);
            uint32_t* dst = storage.data() + offset;
            int calls = 0;
            writeRow(dst, n, true, [&](std::size_t begin, uint32_t* out, std::size_t count) {
                ++calls;
                for (std::size_t i = 0; i < count; ++i)
                    out[i] = static_cast<uint32_t>(begin + i) * 7u;
            });
            for (size_t i = 0; i < storage.size(); ++i) {
                const bool inside = i >= offset && i < offset + n;
                ASSERT_EQ(storage[i], inside ? static_cast<uint32_t>(i - offset) * 7u : 0xDEADBEEFu)
                    << "offset " << offset << " n " << n << " at " << i;
            }
            EXPECT_LE(calls, static_cast<int>(n / 512 + 3));
        }
}

// A picture above the streaming threshold takes the streaming path.
TEST(ColourPasses, BigPicturesMatchTheRulesToo)
{
    const Surface pic = randomSurface(4099, 2053, 20);
    ASSERT_TRUE(streamingPays(pic.pixelCount()));
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.name);
        Document doc = openedDocument(pic);
        c.command(doc);
        Surface expected = pic;
        for (int y = 0; y < pic.height(); ++y) {
            const uint32_t* s = pic.row(y);
            uint32_t* e = expected.row(y);
            for (int x = 0; x < pic.width(); ++x)
                e[x] = (x < c.first || y < c.first) ? static_cast<uint32_t>(kPictureBackColor)
                                                    : static_cast<uint32_t>(c.model(static_cast<Colour>(s[x])));
        }
        EXPECT_TRUE(doc.Picture1.samePixels(expected));
    }
    Document doc = openedDocument(pic);
    invert(doc);
    for (int y = 0; y < pic.height(); y += 97)
        for (int x = 0; x < pic.width(); ++x)
            ASSERT_EQ(doc.Picture1.GetPixel(x, y), pic.GetPixel(x, y) ^ 0x00FFFFFF);
}
