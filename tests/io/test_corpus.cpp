// The damaged-file corpus, made here from small files the tests write: cut
// copies, flipped bytes, empty and text files, and headers that lie about the
// size. Every one must either open with a sensible size or be refused with a
// message, quickly, leaving the open document exactly as it was.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <functional>

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include "document/io/imageio.h"
#include "iosupport.h"

using namespace pixpad;
using namespace pixpad::iotest;

namespace {

enum class Expect { Open, Refuse, Either };

struct Sample {
    std::string name;
    QByteArray bytes;
    Expect expect = Expect::Either;
    int width = 0, height = 0;            // when opened: 0 means any size
    const Surface* reference = nullptr;   // when opened: must equal this
    QString reasonFragment;               // when refused: must be in the message
};

QImage pattern(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb((x * 9) & 255, (y * 13) & 255, ((x + y) * 5) & 255));
    return img;
}

std::vector<uint32_t> greyPalette()
{
    std::vector<uint32_t> p;
    for (int i = 0; i < 256; ++i)
        p.push_back(qRgb(i, 255 - i, (i * 3) & 255));
    return p;
}

std::vector<uint8_t> someIndices(int n)
{
    std::vector<uint8_t> v(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        v[i] = static_cast<uint8_t>((i * 31 + i / 7) & 255);
    return v;
}

class Corpus : public ::testing::Test {
protected:
    QTemporaryDir dir;

    // The document that was open before each attempt: different pictures in
    // Picture1 and Picture2 and a non-default background, so any change shows.
    Document openDocument()
    {
        Document doc = documentWith(randomPicture(6, 5, 77));
        doc.setPictureBackColor(0x00123456);
        doc.Picture2.setPicture(randomPicture(6, 5, 78));
        return doc;
    }

    void check(const Sample& s)
    {
        SCOPED_TRACE(s.name);
        const QString path = writeFile(dir.path(), QString::fromStdString(s.name), s.bytes);
        Document doc = openDocument();
        const DocumentSnapshot before(doc);
        QString error;
        const auto start = std::chrono::steady_clock::now();
        const bool opened = openPicture(doc, path, error);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        // A guard against hangs, not a speed measurement.
        EXPECT_LT(seconds, 2.0);

        if (s.expect == Expect::Open) {
            ASSERT_TRUE(opened) << error.toStdString();
        }
        if (s.expect == Expect::Refuse) {
            ASSERT_FALSE(opened) << "opened as " << doc.ImageWidth << "x" << doc.ImageHeight;
        }
        if (opened) {
            EXPECT_GE(doc.ImageWidth, 1);
            EXPECT_GE(doc.ImageHeight, 1);
            EXPECT_EQ(doc.Picture1.width(), doc.ImageWidth);
            EXPECT_EQ(doc.Picture1.height(), doc.ImageHeight);
            EXPECT_LE(static_cast<long long>(doc.ImageWidth) * doc.ImageHeight, kMaxPicturePixels);
            EXPECT_TRUE(doc.Picture2.samePixels(doc.Picture1));
            if (s.width) {
                EXPECT_EQ(doc.ImageWidth, s.width);
                EXPECT_EQ(doc.ImageHeight, s.height);
            }
            if (s.reference) {
                EXPECT_TRUE(doc.Picture1.samePixels(*s.reference))
                    << "opened, but not as the complete file does: part of the picture is missing";
            }
        } else {
            EXPECT_EQ(before.differences(doc), "");
            EXPECT_TRUE(error.startsWith("Cannot open " + QDir::toNativeSeparators(path) + ": "))
                << error.toStdString();
            EXPECT_GT(error.size(), QDir::toNativeSeparators(path).size() + 20) << error.toStdString();
            if (!s.reasonFragment.isEmpty()) {
                EXPECT_TRUE(error.contains(s.reasonFragment)) << error.toStdString();
            }
        }
    }

    // The file itself, copies cut at many lengths, and copies with one byte
    // flipped in the header or in the data.
    void damagedVariants(const std::string& base, const std::string& ext, const QByteArray& bytes, int w, int h)
    {
        Surface reference;
        QString error;
        ASSERT_TRUE(loadPictureFile(writeFile(dir.path(), QString::fromStdString(base + "-ref." + ext), bytes),
                                    kPictureBackColor, reference, error))
            << error.toStdString();
        check({base + "." + ext, bytes, Expect::Open, w, h, &reference, {}});

        const qsizetype n = bytes.size();
        for (qsizetype len : {qsizetype(1), qsizetype(2), qsizetype(6), qsizetype(12), qsizetype(20),
                              qsizetype(40), qsizetype(60), n / 4, n / 2, 3 * n / 4, n - 3, n - 2, n - 1}) {
            if (len <= 0 || len >= n)
                continue;
            check({base + "-cut" + std::to_string(len) + "." + ext, bytes.left(len), Expect::Either, w, h,
                   &reference, {}});
        }
        for (qsizetype i = 0; i < std::min<qsizetype>(n, 64); ++i) {
            QByteArray flipped = bytes;
            flipped[i] = static_cast<char>(flipped[i] ^ 0xFF);
            check({base + "-hdr" + std::to_string(i) + "." + ext, flipped, Expect::Either, 0, 0, nullptr, {}});
        }
        for (int k = 1; k <= 8; ++k) {
            const qsizetype i = n / 2 + (n / 2 - 1) * k / 9;
            QByteArray flipped = bytes;
            flipped[i] = static_cast<char>(flipped[i] ^ 0x55);
            check({base + "-data" + std::to_string(i) + "." + ext, flipped, Expect::Either, w, h, nullptr, {}});
        }
    }
};

TEST_F(Corpus, CutAndFlippedBmp)
{
    damagedVariants("rgb", "bmp", bmp24(randomPicture(37, 23, 1)), 37, 23);
    damagedVariants("pal", "bmp", bmp8(13, 9, someIndices(13 * 9), greyPalette()), 13, 9);
}

TEST_F(Corpus, CutAndFlippedGif)
{
    GifFrame frame{0, 0, 37, 23, someIndices(37 * 23), -1};
    damagedVariants("one", "gif", gif(37, 23, greyPalette(), {frame}), 37, 23);
}

TEST_F(Corpus, CutAndFlippedJpeg)
{
    damagedVariants("photo", "jpg", jpeg(pattern(64, 48)), 64, 48);
    damagedVariants("exif", "jpg", withExifOrientation(jpeg(pattern(48, 32)), 6), 32, 48);
    damagedVariants("progressive", "jpg", jpeg(pattern(64, 48), 90, true), 64, 48);
}

TEST_F(Corpus, CutAndFlippedPng)
{
    damagedVariants("p", "png", png(pattern(37, 23)), 37, 23);
}

TEST_F(Corpus, JpegCutAnywhereInItsScansIsRefusedNotGreyed)
{
    // Every cut inside the entropy-coded data loses pixels; none may open.
    // A progressive file has many scans, and a cut after the first few
    // would still decode to a blurred picture.
    for (bool progressive : {false, true}) {
        const QByteArray bytes = jpeg(pattern(64, 48), 90, progressive);
        const qsizetype sos = bytes.indexOf(QByteArray("\xFF\xDA", 2));
        ASSERT_GT(sos, 0);
        for (qsizetype len = sos + 20; len < bytes.size() - 1; len += 37)
            check({"scan-cut" + std::to_string(len) + (progressive ? "p" : "") + ".jpg", bytes.left(len),
                   Expect::Refuse, 0, 0, nullptr, "cut short"});
    }
}

TEST_F(Corpus, JpegWithJunkAfterItsEndOpens)
{
    const QByteArray bytes = jpeg(pattern(64, 48));
    Surface reference;
    QString error;
    ASSERT_TRUE(loadPictureFile(writeFile(dir.path(), "clean.jpg", bytes), kPictureBackColor, reference, error));
    check({"junk.jpg", bytes + QByteArray("\r\n\0\0garbage after the end", 26), Expect::Open, 64, 48,
           &reference, {}});
}

TEST_F(Corpus, EmptyAndTextFiles)
{
    check({"empty.bmp", QByteArray(), Expect::Refuse, 0, 0, nullptr, "empty"});
    check({"empty.jpg", QByteArray(), Expect::Refuse, 0, 0, nullptr, "empty"});
    check({"letter.bmp", "Dear reader,\nthis is plain text with a picture's name.\n", Expect::Refuse, 0, 0,
           nullptr, "not a picture"});
    check({"bm.bmp", "BM", Expect::Refuse, 0, 0, nullptr, {}});
    check({"gif.gif", "GIF89a", Expect::Refuse, 0, 0, nullptr, {}});
    check({"soi.jpg", QByteArray("\xFF\xD8\xFF", 3), Expect::Refuse, 0, 0, nullptr, {}});
}

TEST_F(Corpus, BmpHeadersClaimingEverySize)
{
    const QString budget = QStringLiteral("16384");
    const QString side = QStringLiteral("32767");
    check({"claims-30000.bmp", bmpClaiming(30000, 30000, 64), Expect::Refuse, 0, 0, nullptr, budget});
    check({"claims-100000.bmp", bmpClaiming(100000, 100000, 64), Expect::Refuse, 0, 0, nullptr, side});
    check({"claims-40000x10.bmp", bmp24(randomPicture(40000, 10, 2)), Expect::Refuse, 0, 0, nullptr, side});
    check({"claims-10x40000.bmp", bmpClaiming(10, 40000, 64), Expect::Refuse, 0, 0, nullptr, side});
    // Within every limit but with almost no data: refused by its length
    // before the decoder allocates the gigabyte the header asks for.
    check({"claims-16000.bmp", bmpClaiming(16000, 16000, 64), Expect::Refuse, 0, 0, nullptr, "cut short"});
    check({"zero-width.bmp", bmpClaiming(0, 10, 64), Expect::Refuse, 0, 0, nullptr, {}});
    check({"zero-height.bmp", bmpClaiming(10, 0, 64), Expect::Refuse, 0, 0, nullptr, {}});
    check({"negative-width.bmp", bmpClaiming(-10, 10, 400), Expect::Refuse, 0, 0, nullptr, {}});
    check({"most-negative.bmp", bmpClaiming(10, INT_MIN, 400), Expect::Refuse, 0, 0, nullptr, {}});

    // A negative height is a top-down file, a legitimate layout.
    const Surface tall = randomPicture(10, 10, 3);
    check({"top-down.bmp", bmp24(tall, true), Expect::Open, 10, 10, &tall, {}});
    const Surface one = randomPicture(1, 1, 4);
    check({"1x1.bmp", bmp24(one), Expect::Open, 1, 1, &one, {}});
    const Surface wide = randomPicture(32767, 1, 5);
    check({"32767x1.bmp", bmp24(wide), Expect::Open, 32767, 1, &wide, {}});
    const Surface high = randomPicture(1, 32767, 6);
    check({"1x32767.bmp", bmp24(high), Expect::Open, 1, 32767, &high, {}});
}

TEST_F(Corpus, GifScreensClaimingEverySize)
{
    GifFrame small{0, 0, 4, 4, someIndices(16), -1};
    // GIF sizes are 16-bit, so 65535 stands for "huge" here.
    check({"screen-65535.gif", gif(65535, 65535, greyPalette(), {small}), Expect::Refuse, 0, 0, nullptr, {}});
    check({"screen-30000.gif", gif(30000, 30000, greyPalette(), {small}), Expect::Refuse, 0, 0, nullptr,
           "16384"});
    check({"screen-40000x10.gif", gif(40000, 10, greyPalette(), {small}), Expect::Refuse, 0, 0, nullptr,
           "32767"});
    check({"screen-0x0.gif", gif(0, 0, greyPalette(), {small}), Expect::Either, 0, 0, nullptr, {}});
    check({"frame-outside.gif", gif(4, 4, greyPalette(), {GifFrame{60000, 60000, 4, 4, someIndices(16), -1}}),
           Expect::Either, 0, 0, nullptr, {}});
    GifFrame line{0, 0, 32767, 1, someIndices(32767), -1};
    check({"32767x1.gif", gif(32767, 1, greyPalette(), {line}), Expect::Open, 32767, 1, nullptr, {}});
    GifFrame column{0, 0, 1, 32767, someIndices(32767), -1};
    check({"1x32767.gif", gif(1, 32767, greyPalette(), {column}), Expect::Open, 1, 32767, nullptr, {}});
    check({"1x1.gif", gif(1, 1, greyPalette(), {GifFrame{0, 0, 1, 1, {7}, -1}}), Expect::Open, 1, 1, nullptr, {}});
}

TEST_F(Corpus, JpegFrameHeadersClaimingEverySize)
{
    const QByteArray small = jpeg(pattern(16, 16));
    check({"sof-30000.jpg", withJpegSize(small, 30000, 30000), Expect::Refuse, 0, 0, nullptr, "16384"});
    check({"sof-65535.jpg", withJpegSize(small, 65535, 65535), Expect::Refuse, 0, 0, nullptr, "32767"});
    check({"sof-40000x10.jpg", withJpegSize(small, 40000, 10), Expect::Refuse, 0, 0, nullptr, "32767"});
    check({"sof-0-high.jpg", withJpegSize(small, 16, 0), Expect::Refuse, 0, 0, nullptr, {}});
    check({"sof-0-wide.jpg", withJpegSize(small, 0, 16), Expect::Refuse, 0, 0, nullptr, {}});
    // Bigger than its data: the decoder runs out of scan and must not open.
    check({"sof-bigger.jpg", withJpegSize(small, 2000, 2000), Expect::Refuse, 0, 0, nullptr, {}});
    check({"32767x1.jpg", jpeg(pattern(32767, 1)), Expect::Open, 32767, 1, nullptr, {}});
    check({"1x32767.jpg", jpeg(pattern(1, 32767)), Expect::Open, 1, 32767, nullptr, {}});
    check({"1x1.jpg", jpeg(pattern(1, 1)), Expect::Open, 1, 1, nullptr, {}});
}

// PNG keeps its size in the IHDR chunk, guarded by a CRC; the copy gets a
// new size and a matching CRC so the reader believes it.
QByteArray pngClaiming(uint32_t w, uint32_t h)
{
    QByteArray b = png(pattern(8, 8));
    for (int i = 0; i < 4; ++i) {
        b[16 + i] = static_cast<char>(w >> (24 - 8 * i));
        b[20 + i] = static_cast<char>(h >> (24 - 8 * i));
    }
    uint32_t crc = 0xFFFFFFFFu;
    for (int i = 12; i < 12 + 4 + 13; ++i) {
        crc ^= static_cast<uint8_t>(b[i]);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    crc ^= 0xFFFFFFFFu;
    for (int i = 0; i < 4; ++i)
        b[29 + i] = static_cast<char>(crc >> (24 - 8 * i));
    return b;
}

TEST_F(Corpus, PngHeadersClaimingEverySize)
{
    check({"png-30000.png", pngClaiming(30000, 30000), Expect::Refuse, 0, 0, nullptr, "16384"});
    check({"png-40000x10.png", pngClaiming(40000, 10), Expect::Refuse, 0, 0, nullptr, "32767"});
    check({"png-16000.png", pngClaiming(16000, 16000), Expect::Refuse, 0, 0, nullptr, {}});
    check({"png-8x8.png", pngClaiming(8, 8), Expect::Open, 8, 8, nullptr, {}});
}

// Run-length BMPs: a file that reaches its end-of-bitmap code opens with its
// pixels; one that stops before its last rows is refused.
QByteArray rle8Bmp(bool complete)
{
    const int w = 6, h = 3;
    QByteArray data;
    // Bottom row first: each row as runs of (count, palette index), then the
    // end-of-line code; the last row ends with end-of-bitmap instead.
    const int runs[h][2][2] = {{{4, 1}, {2, 2}}, {{6, 3}, {0, 0}}, {{1, 4}, {5, 5}}};
    for (int r = 0; r < h; ++r) {
        for (const auto& run : runs[r])
            if (run[0]) {
                data.append(static_cast<char>(run[0]));
                data.append(static_cast<char>(run[1]));
            }
        data.append('\0');
        data.append(r == h - 1 ? '\1' : '\0');
    }
    if (!complete)
        data.truncate(4);
    QByteArray b = bmp8(w, h, std::vector<uint8_t>(w * h, 0), greyPalette());
    b.truncate(54 + 1024);
    b[30] = 1; // BI_RLE8
    b[34] = static_cast<char>(data.size());
    b.append(data);
    return b;
}

TEST_F(Corpus, RunLengthBmp)
{
    Surface want(6, 3, 0);
    const auto colour = [](int i) {
        const uint32_t c = greyPalette()[i];
        return static_cast<uint32_t>(qRed(c) | qGreen(c) << 8 | qBlue(c) << 16);
    };
    for (int x = 0; x < 6; ++x) {
        want.row(2)[x] = colour(x < 4 ? 1 : 2);
        want.row(1)[x] = colour(3);
        want.row(0)[x] = colour(x < 1 ? 4 : 5);
    }
    check({"rle.bmp", rle8Bmp(true), Expect::Open, 6, 3, &want, {}});
    check({"rle-cut.bmp", rle8Bmp(false), Expect::Refuse, 0, 0, nullptr, "cut short"});
}

TEST_F(Corpus, BatchRefusesDamagedInputWithoutWritingAndWithoutTheClaimedMemory)
{
    struct Case { std::string name; QByteArray bytes; };
    const QByteArray photo = jpeg(pattern(64, 48));
    const Case cases[] = {
        {"claims-30000.bmp", bmpClaiming(30000, 30000, 64)},
        {"claims-16000.bmp", bmpClaiming(16000, 16000, 64)},
        {"claims-100000.bmp", bmpClaiming(100000, 100000, 64)},
        {"sof-30000.jpg", withJpegSize(photo, 30000, 30000)},
        {"cut.jpg", photo.left(photo.size() * 2 / 3)},
        {"cut.bmp", bmp24(randomPicture(50, 50, 8)).left(4000)},
        {"text.bmp", "no picture here\n"},
        {"empty.gif", QByteArray()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString in = writeFile(dir.path(), QString::fromStdString(c.name), c.bytes);
        const QString out = dir.path() + "/out-" + QString::fromStdString(c.name) + ".bmp";
        const RunResult r = runBatch({in.toStdString(), out.toStdString(), "invert"});
        EXPECT_EQ(r.exitCode, 1) << r.err;
        EXPECT_NE(r.err.find(QDir::toNativeSeparators(in).toStdString()), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << "one line: " << r.err;
        EXPECT_FALSE(QFileInfo::exists(out));
        // The claimed pictures would take 1 to 40 GB; refusing them costs
        // the program's ordinary footprint.
        EXPECT_LT(r.maxRssKiB, 150 * 1024);
    }
}

} // namespace
