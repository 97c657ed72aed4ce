// Open: what each reader gives, the 0x00BBGGRR conversion, transparency,
// orientation, and the refusals of files that are not pictures at all.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include "document/io/imageio.h"
#include "iosupport.h"

using namespace pixpad;
using namespace pixpad::iotest;

namespace {

Colour rgb(int r, int g, int b) { return r + 256 * g + 65536 * b; }

::testing::AssertionResult samePicture(const Surface& got, const Surface& want)
{
    if (got.width() != want.width() || got.height() != want.height())
        return ::testing::AssertionFailure() << "size " << got.width() << "x" << got.height() << ", want "
                                             << want.width() << "x" << want.height();
    for (int y = 0; y < want.height(); ++y)
        for (int x = 0; x < want.width(); ++x)
            if (got.row(y)[x] != want.row(y)[x])
                return ::testing::AssertionFailure() << "pixel (" << x << "," << y << ") is " << std::hex
                                                     << got.row(y)[x] << ", want " << want.row(y)[x];
    return ::testing::AssertionSuccess();
}

// Largest difference of any component, for lossy JPEG comparisons.
int componentDistance(Colour a, Colour b)
{
    int d = 0;
    for (int shift = 0; shift < 24; shift += 8)
        d = std::max(d, std::abs((a >> shift & 0xFF) - (b >> shift & 0xFF)));
    return d;
}

class OpenTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString write(const QString& name, const QByteArray& bytes) { return writeFile(dir.path(), name, bytes); }
};

TEST_F(OpenTest, Bmp24RoundTripsExactlyForEveryRowPadding)
{
    // Widths 1..5 and 37 cover every padding of a 24-bit row; the channel
    // values are random, so a red/blue swap or an off-by-one row shows.
    for (int w : {1, 2, 3, 4, 5, 37}) {
        for (bool topDown : {false, true}) {
            const Surface want = randomPicture(w, 7, static_cast<uint32_t>(w * 2 + topDown));
            const QString path = write(QStringLiteral("p%1.bmp").arg(w), bmp24(want, topDown));
            Surface got;
            QString error;
            ASSERT_TRUE(loadPictureFile(path, kPictureBackColor, got, error)) << error.toStdString();
            EXPECT_TRUE(samePicture(got, want)) << "width " << w << (topDown ? " top-down" : " bottom-up");
        }
    }
}

TEST_F(OpenTest, PaletteBmpAndGifTakeTheirTableColours)
{
    std::vector<uint32_t> palette;
    for (int i = 0; i < 256; ++i)
        palette.push_back(qRgb(i, (i * 7) & 255, 255 - i));
    const int w = 13, h = 9;
    std::vector<uint8_t> indices(w * h);
    std::mt19937 gen(5);
    for (auto& v : indices)
        v = static_cast<uint8_t>(gen());
    Surface want(w, h, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t c = palette[indices[y * w + x]];
            want.row(y)[x] = static_cast<uint32_t>(rgb(qRed(c), qGreen(c), qBlue(c)));
        }

    Surface got;
    QString error;
    ASSERT_TRUE(loadPictureFile(write("p8.bmp", bmp8(w, h, indices, palette)), 0, got, error))
        << error.toStdString();
    EXPECT_TRUE(samePicture(got, want));

    GifFrame frame{0, 0, w, h, indices, -1};
    ASSERT_TRUE(loadPictureFile(write("p.gif", gif(w, h, palette, {frame})), 0, got, error))
        << error.toStdString();
    EXPECT_TRUE(samePicture(got, want));
}

namespace {

// A bottom-up 16-bit BMP: 5-5-5 without fields, or with the three masks given.
QByteArray bmp16(int w, int h, const std::vector<uint16_t>& pixels, const uint32_t* masks)
{
    const int stride = (w * 2 + 3) / 4 * 4;
    const int fields = masks ? 12 : 0;
    const int offBits = 14 + 40 + fields;
    QByteArray b;
    auto put16 = [&](uint32_t v) { b.append(char(v & 0xFF)).append(char(v >> 8 & 0xFF)); };
    auto put32 = [&](uint32_t v) { put16(v & 0xFFFF); put16(v >> 16); };
    b.append("BM");
    put32(static_cast<uint32_t>(offBits + stride * h));
    put32(0);
    put32(static_cast<uint32_t>(offBits));
    put32(40);
    put32(static_cast<uint32_t>(w));
    put32(static_cast<uint32_t>(h));
    put16(1);
    put16(16);
    put32(masks ? 3 : 0);
    put32(static_cast<uint32_t>(stride * h));
    put32(2835);
    put32(2835);
    put32(0);
    put32(0);
    for (int i = 0; i < 3 && masks; ++i)
        put32(masks[i]);
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x)
            put16(pixels[static_cast<size_t>(y * w + x)]);
        b.append(QByteArray(stride - 2 * w, '\0'));
    }
    return b;
}

// What a b-bit field means in 8 bits: 0 is black, the top value full, and
// the steps in between as even as 8 bits allow.
int widened(int v, int bits) { return static_cast<int>(std::lround(v * 255.0 / ((1 << bits) - 1))); }

} // namespace

// Other readers show a 16-bit BMP's white as white; Qt's reader alone left
// it light grey (a 5-bit field shifted up tops out at 248).
TEST_F(OpenTest, SixteenBitBmpFieldsWidenToTheFullRange)
{
    const int w = 32, h = 3;
    const uint32_t masks565[3] = {0xF800, 0x07E0, 0x001F};
    struct Case {
        const char* name;
        const uint32_t* masks;
        int bits[3];
        int shift[3];
    } cases[] = {{"555.bmp", nullptr, {5, 5, 5}, {10, 5, 0}}, {"565.bmp", masks565, {5, 6, 5}, {11, 5, 0}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint16_t> pixels(w * h);
        // Row 0 every level of each field, row 1 white and black, row 2 mixed.
        for (int x = 0; x < w; ++x) {
            uint16_t v = 0;
            for (int ch = 0; ch < 3; ++ch)
                v |= static_cast<uint16_t>((x % (1 << c.bits[ch])) << c.shift[ch]);
            pixels[x] = v;
            pixels[w + x] = x % 2 ? 0 : static_cast<uint16_t>(c.masks ? 0xFFFF : 0x7FFF);
            pixels[2 * w + x] = static_cast<uint16_t>((x * 2654435761u) >> 7);
        }
        Surface got;
        QString error;
        ASSERT_TRUE(loadPictureFile(write(c.name, bmp16(w, h, pixels, c.masks)), 0, got, error))
            << error.toStdString();
        ASSERT_EQ(got.width(), w);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const uint16_t v = pixels[static_cast<size_t>(y * w + x)];
                int want[3];
                for (int ch = 0; ch < 3; ++ch) {
                    const int field = v >> c.shift[ch] & ((1 << c.bits[ch]) - 1);
                    want[ch] = widened(field, c.bits[ch]);
                }
                const Colour px = got.GetPixel(x, y);
                for (int ch = 0; ch < 3; ++ch)
                    EXPECT_LE(std::abs((px >> (8 * ch) & 0xFF) - want[ch]), 1)
                        << "pixel " << x << "," << y << " channel " << ch;
            }
        EXPECT_EQ(got.GetPixel(0, 1), rgb(255, 255, 255));
        EXPECT_EQ(got.GetPixel(1, 1), rgb(0, 0, 0));
    }
}

TEST_F(OpenTest, AnimatedGifGivesItsFirstFrame)
{
    std::vector<uint32_t> palette = {qRgb(10, 20, 30), qRgb(200, 100, 50)};
    const int w = 300, h = 4; // long enough for several clear codes per frame
    GifFrame first{0, 0, w, h, std::vector<uint8_t>(w * h), -1};
    for (int i = 0; i < w * h; ++i)
        first.indices[i] = static_cast<uint8_t>((i / 3) % 2);
    GifFrame second{0, 0, w, h, std::vector<uint8_t>(w * h, 1), -1};

    Surface got;
    QString error;
    ASSERT_TRUE(loadPictureFile(write("anim.gif", gif(w, h, palette, {first, second})), 0, got, error))
        << error.toStdString();
    ASSERT_EQ(got.width(), w);
    ASSERT_EQ(got.height(), h);
    for (int i = 0; i < w * h; ++i)
        ASSERT_EQ(got.row(i / w)[i % w], static_cast<uint32_t>(i / 3 % 2 ? rgb(200, 100, 50) : rgb(10, 20, 30)))
            << "pixel " << i;
}

TEST_F(OpenTest, TransparentPixelsTakeTheBackgroundPassedIn)
{
    std::vector<uint32_t> palette = {qRgb(10, 20, 30), qRgb(1, 2, 3), qRgb(250, 240, 230)};
    GifFrame frame{0, 0, 3, 1, {0, 1, 2}, 1};
    const QString gifPath = write("t.gif", gif(3, 1, palette, {frame}));

    QImage alpha(3, 1, QImage::Format_ARGB32);
    alpha.setPixel(0, 0, qRgba(10, 20, 30, 255));
    alpha.setPixel(1, 0, qRgba(99, 98, 97, 0));
    alpha.setPixel(2, 0, qRgba(200, 100, 0, 128));
    const QString pngPath = write("t.png", png(alpha));

    for (Colour back : {rgb(0x12, 0x34, 0x56), rgb(255, 255, 255), rgb(0, 0, 0)}) {
        Surface got;
        QString error;
        ASSERT_TRUE(loadPictureFile(gifPath, back, got, error)) << error.toStdString();
        EXPECT_EQ(got.row(0)[0], static_cast<uint32_t>(rgb(10, 20, 30)));
        EXPECT_EQ(got.row(0)[1], static_cast<uint32_t>(back));
        EXPECT_EQ(got.row(0)[2], static_cast<uint32_t>(rgb(250, 240, 230)));

        ASSERT_TRUE(loadPictureFile(pngPath, back, got, error)) << error.toStdString();
        EXPECT_EQ(got.row(0)[0], static_cast<uint32_t>(rgb(10, 20, 30)));
        EXPECT_EQ(got.row(0)[1], static_cast<uint32_t>(back));
        // Half transparent: mixed with the background, each component rounded.
        auto mix = [](int c, int b) { return (c * 128 + b * 127 + 127) / 255; };
        EXPECT_EQ(got.row(0)[2], static_cast<uint32_t>(rgb(mix(200, back & 0xFF), mix(100, back >> 8 & 0xFF),
                                                           mix(0, back >> 16 & 0xFF))));
    }
}

TEST_F(OpenTest, OpenTakesTheBackgroundOfPicture1)
{
    GifFrame frame{0, 0, 2, 1, {0, 1}, 1};
    const QString path = write("bg.gif", gif(2, 1, {qRgb(1, 2, 3), qRgb(4, 5, 6)}, {frame}));
    Document doc;
    doc.setPictureBackColor(rgb(7, 8, 9));
    QString error;
    ASSERT_TRUE(openPicture(doc, path, error)) << error.toStdString();
    EXPECT_EQ(doc.Picture1.row(0)[1], static_cast<uint32_t>(rgb(7, 8, 9)));
    EXPECT_EQ(doc.Picture1.backColor(), rgb(7, 8, 9));
}

// Four flat quadrants survive JPEG almost unchanged, so where each one lands
// after the orientation tag is unambiguous.
QImage quadrants(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    const QRgb c[4] = {qRgb(220, 30, 30), qRgb(30, 200, 30), qRgb(30, 30, 220), qRgb(230, 230, 40)};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, c[(y >= h / 2) * 2 + (x >= w / 2)]);
    return img;
}

TEST_F(OpenTest, JpegOrientationTagTurnsThePictureUpright)
{
    const int w = 64, h = 32;
    const QImage stored = quadrants(w, h);
    const QByteArray plain = jpeg(stored);
    // Where the stored quadrant q (0 TL, 1 TR, 2 BL, 3 BR) shows up, and the
    // shown size, for the tags a camera writes.
    struct Case { int tag; bool swapsSides; int shown[4]; };
    const Case cases[] = {
        {1, false, {0, 1, 2, 3}},
        {2, false, {1, 0, 3, 2}}, // mirrored left to right
        {3, false, {3, 2, 1, 0}}, // turned 180 degrees
        {6, true, {1, 3, 0, 2}},  // stored picture turned 90 degrees clockwise
        {8, true, {2, 0, 3, 1}},  // turned 90 degrees anticlockwise
    };
    for (const Case& c : cases) {
        Surface got;
        QString error;
        const QString path = write(QStringLiteral("o%1.jpg").arg(c.tag), withExifOrientation(plain, c.tag));
        ASSERT_TRUE(loadPictureFile(path, 0, got, error)) << error.toStdString();
        const int gw = c.swapsSides ? h : w, gh = c.swapsSides ? w : h;
        ASSERT_EQ(got.width(), gw) << "tag " << c.tag;
        ASSERT_EQ(got.height(), gh) << "tag " << c.tag;
        const int probeX[4] = {gw / 4, 3 * gw / 4, gw / 4, 3 * gw / 4};
        const int probeY[4] = {gh / 4, gh / 4, 3 * gh / 4, 3 * gh / 4};
        for (int q = 0; q < 4; ++q) {
            const QRgb s = stored.pixel(q % 2 ? 3 * w / 4 : w / 4, q / 2 ? 3 * h / 4 : h / 4);
            const Colour want = rgb(qRed(s), qGreen(s), qBlue(s));
            const int at = c.shown[q];
            EXPECT_LE(componentDistance(static_cast<Colour>(got.row(probeY[at])[probeX[at]]), want), 12)
                << "tag " << c.tag << " stored quadrant " << q;
        }
    }
}

TEST_F(OpenTest, JpegDecodesCloseToItsSourceAndGreyStaysGrey)
{
    QImage src(40, 30, QImage::Format_RGB32);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            src.setPixel(x, y, qRgb(x * 6, y * 8, 128));
    Surface got;
    QString error;
    ASSERT_TRUE(loadPictureFile(write("c.jpg", jpeg(src, 100)), 0, got, error)) << error.toStdString();
    ASSERT_EQ(got.width(), 40);
    ASSERT_EQ(got.height(), 30);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_LE(componentDistance(static_cast<Colour>(got.row(y)[x]), rgb(x * 6, y * 8, 128)), 8)
                << x << "," << y;

    const QImage grey = src.convertToFormat(QImage::Format_Grayscale8);
    ASSERT_TRUE(loadPictureFile(write("g.jpg", jpeg(grey, 100)), 0, got, error)) << error.toStdString();
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            const uint32_t p = got.row(y)[x];
            ASSERT_EQ(p & 0xFF, p >> 8 & 0xFF);
            ASSERT_EQ(p & 0xFF, p >> 16);
        }
}

TEST_F(OpenTest, ContentDecidesNotTheFileNameEnding)
{
    const Surface want = randomPicture(5, 4, 3);
    Surface got;
    QString error;
    ASSERT_TRUE(loadPictureFile(write("really-a-bmp.jpg", bmp24(want)), 0, got, error)) << error.toStdString();
    EXPECT_TRUE(samePicture(got, want));
    ASSERT_TRUE(loadPictureFile(write("really-a-jpeg.bmp", jpeg(quadrants(16, 16))), 0, got, error))
        << error.toStdString();
    EXPECT_EQ(got.width(), 16);
}

TEST_F(OpenTest, FilesThatAreNotPicturesAreRefusedWithTheirNameAndReason)
{
    struct Case { QString path; QString reasonFragment; };
    QDir(dir.path()).mkdir("folder.bmp");
    const Case cases[] = {
        {dir.path() + "/missing.bmp", "does not exist"},
        {dir.path() + "/folder.bmp", "folder"},
        {write("empty.bmp", {}), "empty"},
        {write("notes.bmp", "These are my notes, not a picture.\n"), "not a picture"},
        {write("zeros.gif", QByteArray(300, '\0')), "not a picture"},
        {"/dev/null", "not an ordinary file"},
    };
    for (const Case& c : cases) {
        Surface untouched = randomPicture(3, 2, 9);
        const Surface before = untouched;
        QString error;
        EXPECT_FALSE(loadPictureFile(c.path, 0, untouched, error)) << c.path.toStdString();
        EXPECT_TRUE(error.contains(QDir::toNativeSeparators(c.path))) << error.toStdString();
        EXPECT_TRUE(error.contains(c.reasonFragment)) << error.toStdString();
        EXPECT_TRUE(samePicture(untouched, before)) << "a refused load must leave its output alone";
    }
}

TEST_F(OpenTest, OpenSetsTheSizesAndTakesTheUndoCopy)
{
    const Surface want = randomPicture(30, 20, 11);
    Document doc = documentWith(randomPicture(4, 4, 1));
    QString error;
    ASSERT_TRUE(openPicture(doc, write("p.bmp", bmp24(want)), error)) << error.toStdString();
    EXPECT_EQ(doc.ImageWidth, 30);
    EXPECT_EQ(doc.ImageHeight, 20);
    EXPECT_TRUE(samePicture(doc.Picture1, want));
    EXPECT_TRUE(samePicture(doc.Picture2, want)) << "Undo right after Open must change nothing";
}

} // namespace
