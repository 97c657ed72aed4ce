#include <gtest/gtest.h>

#include "colour/colourops.h"
#include "document/colourhelpers.h"
#include "document/int16.h"
#include "document/pixelpass.h"
#include "document/workers.h"
#include "testsupport.h"

using namespace pixpad;
using namespace pixpad::test;

TEST(Int16, CheckedArithmeticAtTheLimits)
{
    EXPECT_EQ(add16(32766, 1), 32767);
    EXPECT_THROW(add16(32767, 1), Overflow16);
    EXPECT_EQ(sub16(-32767, 1), -32768);
    EXPECT_THROW(sub16(-32768, 1), Overflow16);
    EXPECT_EQ(mul16(-128, 256), -32768);
    EXPECT_THROW(mul16(128, 256), Overflow16);
    EXPECT_THROW(mul16(-32768, -1), Overflow16);
    EXPECT_EQ(mul16(99, 255), 25245);
}

TEST(Int16, RoundsHalfToEvenAndChecksRange)
{
    EXPECT_EQ(toInt16(2.5), 2);
    EXPECT_EQ(toInt16(3.5), 4);
    EXPECT_EQ(toInt16(-2.5), -2);
    EXPECT_EQ(toInt16(-3.5), -4);
    EXPECT_EQ(toInt16(0.49999999999999994), 0);
    EXPECT_EQ(toInt16(241.5), 242);
    EXPECT_EQ(toInt16(-0.5), 0);
    EXPECT_EQ(toInt16(32767.4), 32767);
    EXPECT_THROW(toInt16(32767.5), Overflow16); // rounds to 32768
    EXPECT_EQ(toInt16(-32768.5), -32768);       // rounds to the even -32768
    EXPECT_THROW(toInt16(-32769.5), Overflow16);
    EXPECT_THROW(toInt16(std::nan("")), Overflow16);
    EXPECT_THROW(toInt16(1e300), Overflow16);
}

TEST(ColourHelpers, SplitPlainColours)
{
    const Colour c = rgb(0x20, 0x40, 0x80);
    EXPECT_EQ(getred(c), 0x20);
    EXPECT_EQ(getgreen(c), 0x40);
    EXPECT_EQ(getblue(c), 0x80);
    int16_t r = 0, g = 0, b = 0;
    splitcolor(c, r, g, b);
    EXPECT_EQ(r, 0x20);
    EXPECT_EQ(g, 0x40);
    EXPECT_EQ(b, 0x80);
    for (Colour v : {0, 0x00FFFFFF, 0x00123456, 0x00FF00FF})
        EXPECT_EQ(composeColour(getred(v), getgreen(v), getblue(v)), v);
}

TEST(ColourHelpers, SignedQuirksOfUnreadableAndTopByteValues)
{
    EXPECT_EQ(getred(-1), -1);
    EXPECT_EQ(getred(-256), 0);
    EXPECT_EQ(getgreen(-1), -65281);
    EXPECT_EQ(getblue(-1), -1);
    EXPECT_EQ(getred(0x7F000001), 1);
    EXPECT_EQ(getgreen(0x01000000), 65536); // the top byte survives the green mask
    EXPECT_EQ(getblue(0x01000000), 256);

    int16_t r = 7, g = 7, b = 7;
    EXPECT_THROW(splitcolor(-1, r, g, b), Overflow16);
    EXPECT_EQ(r, -1); // stored before green failed
    EXPECT_EQ(g, 7);
    EXPECT_EQ(b, 7);
}

TEST(ColourHelpers, ComposerSaturatesAt255)
{
    EXPECT_EQ(composeColour(255, 0, 0), 0x000000FF);
    EXPECT_EQ(composeColour(0, 0, 255), 0x00FF0000);
    EXPECT_EQ(composeColour(300, 256, 1000), 0x00FFFFFF);
    EXPECT_EQ(composeColour(10, 20, 30), rgb(10, 20, 30));
}

TEST(Surface, PixelReadWriteContract)
{
    Surface s(3, 2, 0x00112233);
    EXPECT_EQ(s.GetPixel(2, 1), 0x00112233);
    EXPECT_EQ(s.GetPixel(3, 0), -1);
    EXPECT_EQ(s.GetPixel(0, -1), -1);
    EXPECT_TRUE(s.SetPixelV(1, 1, static_cast<Colour>(0xFF445566)));
    EXPECT_EQ(s.GetPixel(1, 1), 0x00445566); // only the colour bytes are kept
    EXPECT_FALSE(s.SetPixelV(-1, 0, 0));
    s.clear();
    EXPECT_EQ(s.GetPixel(1, 1), 0x00112233);
    EXPECT_EQ(s.width(), 3);
}

TEST(Invert, StatedValuesWholeAreaTwiceAndUndo)
{
    Surface pic(4, 3, kPictureBackColor);
    pic.fill(rgb(12, 34, 56));
    pic.SetPixelV(0, 0, rgb(0, 0, 0));
    pic.SetPixelV(1, 0, rgb(255, 255, 255));
    pic.SetPixelV(2, 0, rgb(128, 128, 128));
    Document doc = openedDocument(pic);
    invert(doc);
    EXPECT_EQ(doc.Picture1.GetPixel(0, 0), rgb(255, 255, 255));
    EXPECT_EQ(doc.Picture1.GetPixel(1, 0), rgb(0, 0, 0));
    EXPECT_EQ(doc.Picture1.GetPixel(2, 0), rgb(127, 127, 127));
    EXPECT_EQ(doc.Picture1.GetPixel(3, 2), rgb(243, 221, 199));
    EXPECT_TRUE(doc.Picture2.samePixels(pic));

    invert(doc);
    EXPECT_TRUE(doc.Picture1.samePixels(pic));
    doc.undo();
    EXPECT_EQ(doc.Picture1.GetPixel(3, 2), rgb(243, 221, 199));
    doc.undo(); // Undo twice is Undo once: no redo, no copy taken
    EXPECT_EQ(doc.Picture1.GetPixel(3, 2), rgb(243, 221, 199));
    EXPECT_EQ(doc.ImageWidth, 4);
    EXPECT_EQ(doc.ImageHeight, 3);
}

TEST(Document, UndoBeforeAnyPictureAndAfterOpen)
{
    Document doc;
    EXPECT_EQ(doc.ImageWidth, 0);
    doc.undo();
    EXPECT_TRUE(doc.Picture1.isEmpty());
    invert(doc); // an empty picture inverts to an empty picture
    EXPECT_TRUE(doc.Picture1.isEmpty());

    const Surface pic = randomSurface(5, 4, 1);
    doc = openedDocument(pic);
    doc.undo();
    EXPECT_TRUE(doc.Picture1.samePixels(pic));
}

namespace {
struct AddOneRule final : PassRule {
    void rows(const Surface& src, Surface& dst, const PassRange& r, int b, int e) const override
    {
        for (int y = b; y < e; ++y)
            for (int x = r.x0; x <= r.x1; ++x)
                dst.row(y)[x] = (src.row(y)[x] + 1) & 0x00FFFFFFu;
    }
};
} // namespace

TEST(PixelPass, ProgressSequenceAndBar)
{
    RecordingObserver obs;
    Document doc = openedDocument(randomSurface(3, 4, 2));
    doc.observer = &obs;
    AddOneRule rule;
    EXPECT_TRUE(dopixelpass(doc, rule, {0, 0, true}));
    EXPECT_EQ(obs.values, (std::vector<float>{0.f, 25.f, 50.f, 75.f}));
    EXPECT_EQ(obs.started, 1);
    EXPECT_EQ(obs.finished, 1);
    EXPECT_TRUE(obs.lastBarAtZero);

    RecordingObserver one;
    Document single = openedDocument(randomSurface(5, 1, 3));
    single.observer = &one;
    dopixelpass(single, rule, {});
    EXPECT_EQ(one.values, std::vector<float>{0.f});

    // First index 1: the first value is 100 / height; row 0 and column 0 keep the background.
    RecordingObserver masked;
    Document m = openedDocument(randomSurface(3, 3, 4));
    m.observer = &masked;
    dopixelpass(m, rule, {1, 0, false});
    EXPECT_EQ(masked.values, (std::vector<float>{static_cast<float>(1 / 3.0 * 100), static_cast<float>(2 / 3.0 * 100)}));
    EXPECT_EQ(m.Picture1.GetPixel(0, 2), kPictureBackColor);
    EXPECT_EQ(m.Picture1.GetPixel(2, 0), kPictureBackColor);
    EXPECT_EQ(m.Picture1.GetPixel(1, 1), (m.Picture2.GetPixel(1, 1) + 1) & 0xFFFFFF);
}

TEST(PixelPass, EmptyDocumentStillCopiesClearsShowsAndHides)
{
    RecordingObserver obs;
    Document doc;
    doc.observer = &obs;
    AddOneRule rule;
    EXPECT_TRUE(dopixelpass(doc, rule, {}));
    EXPECT_TRUE(obs.values.empty());
    EXPECT_EQ(obs.started, 1);
    EXPECT_EQ(obs.finished, 1);
}

TEST(PixelPass, UndoRestoresAndBandsMatchOneThread)
{
    const Surface pic = randomSurface(301, 517, 5);
    AddOneRule rule;
    Workers::shared().setThreads(1);
    Document one = openedDocument(pic);
    dopixelpass(one, rule, {2, 3, false});
    Workers::shared().setThreads(3);
    RecordingObserver obs;
    Document many = openedDocument(pic);
    many.observer = &obs;
    dopixelpass(many, rule, {2, 3, false});
    Workers::shared().setThreads(2);
    EXPECT_TRUE(one.Picture1.samePixels(many.Picture1));
    ASSERT_EQ(obs.rows.size(), 517u - 5u);
    for (size_t i = 0; i < obs.rows.size(); ++i)
        ASSERT_EQ(obs.rows[i], static_cast<int>(i) + 2);
    many.undo();
    EXPECT_TRUE(many.Picture1.samePixels(pic));
}

TEST(PixelPass, AbandonedPassStopsReporting)
{
    Document doc = openedDocument(randomSurface(64, 2000, 6));
    RecordingObserver obs;
    obs.abandonAfter = 10;
    doc.observer = &obs;
    AddOneRule rule;
    EXPECT_FALSE(dopixelpass(doc, rule, {}));
    EXPECT_EQ(obs.rows.size(), 10u);
    EXPECT_EQ(obs.finished, 1);
}
