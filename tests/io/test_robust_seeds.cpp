// The fuzzer's seed files: every one kept in tests/fuzz/seeds must still open
// (a seed the reader refuses only teaches the fuzzer the refusal), and the
// mid-sized seeds of each format are made here from patterns, small enough to
// keep in the repository. PIXPAD_WRITE_SEEDS=<folder> writes them out.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <utility>
#include <string>
#include <vector>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include "document/io/imageio.h"
#include "iosupport.h"

using namespace pixpad;
using namespace pixpad::iotest;

namespace {

// The fuzz target reads a command count and four command choices before the
// file: these run Smooth, Emboss, Flip horizont and a resize on what opened.
const QByteArray kCommandPrefix("\x04\x07\x0a\x0c\x0f", 5);
constexpr int kMaxSeedBytes = 4096;

void put16(QByteArray& b, int v)
{
    b.append(static_cast<char>(v & 0xFF));
    b.append(static_cast<char>((v >> 8) & 0xFF));
}
void put32(QByteArray& b, long v)
{
    put16(b, static_cast<int>(v & 0xFFFF));
    put16(b, static_cast<int>((v >> 16) & 0xFFFF));
}

// Palette entries of the seeds, as QRgb.
uint32_t paletteColour(int i) { return qRgb(i * 16 + 15, 255 - i * 16, (i * 97) & 0xFF); }

// A BMP with a 16-colour palette: 4 bits a pixel, or 8-bit run-length coded
// (BI_RLE8) with an absolute run on every 16th row so both RLE modes occur.
QByteArray paletteBmp(int w, int h, bool rle, const std::vector<uint8_t>& idx)
{
    QByteArray data;
    if (rle) {
        for (int y = h - 1; y >= 0; --y) { // bottom-up
            const uint8_t* row = &idx[static_cast<size_t>(y) * w];
            int x = 0;
            if (y % 16 == 0 && w >= 4) {
                data.append('\0');
                data.append('\x04');
                for (int i = 0; i < 4; ++i)
                    data.append(static_cast<char>(row[i]));
                x = 4;
            }
            while (x < w) {
                int n = 1;
                while (x + n < w && n < 255 && row[x + n] == row[x])
                    ++n;
                data.append(static_cast<char>(n));
                data.append(static_cast<char>(row[x]));
                x += n;
            }
            data.append('\0');
            data.append('\0'); // end of line
        }
        data.append('\0');
        data.append('\x01'); // end of bitmap
    } else {
        const int stride = ((w + 1) / 2 + 3) / 4 * 4;
        for (int y = h - 1; y >= 0; --y) {
            QByteArray line(stride, '\0');
            for (int x = 0; x < w; ++x)
                line[x / 2] = static_cast<char>(line[x / 2] | (idx[static_cast<size_t>(y) * w + x] << (x % 2 ? 0 : 4)));
            data.append(line);
        }
    }
    const int colours = 16;
    QByteArray b("BM");
    put32(b, 14 + 40 + 4 * colours + data.size());
    put32(b, 0);
    put32(b, 14 + 40 + 4 * colours);
    put32(b, 40);
    put32(b, w);
    put32(b, h);
    put16(b, 1);
    put16(b, rle ? 8 : 4);
    put32(b, rle ? 1 : 0);
    put32(b, data.size());
    put32(b, 2835);
    put32(b, 2835);
    put32(b, colours);
    put32(b, 0);
    for (int i = 0; i < colours; ++i) {
        const uint32_t c = paletteColour(i);
        b.append(static_cast<char>(qBlue(c)));
        b.append(static_cast<char>(qGreen(c)));
        b.append(static_cast<char>(qRed(c)));
        b.append('\0');
    }
    return b + data;
}

// A GIF89a with a 16-colour global palette, its pixels LZW-coded with a
// growing code size (and a clear code once the table is full), unlike the
// literal-only encoder of iosupport: the decoder's code-size steps get seeds.
QByteArray lzwGif(int w, int h, const std::vector<uint8_t>& idx)
{
    constexpr int kMinCodeSize = 4, kClear = 16, kEnd = 17;
    QByteArray codes;
    uint32_t acc = 0;
    int bits = 0, size = kMinCodeSize + 1, next = kEnd + 1;
    auto put = [&](int code) {
        acc |= static_cast<uint32_t>(code) << bits;
        bits += size;
        while (bits >= 8) {
            codes.append(static_cast<char>(acc & 0xFF));
            acc >>= 8;
            bits -= 8;
        }
    };
    std::map<std::pair<int, int>, int> table; // (prefix code, index) -> code
    put(kClear);
    int prefix = idx[0];
    for (size_t i = 1; i < idx.size(); ++i) {
        const auto found = table.find({prefix, idx[i]});
        if (found != table.end()) {
            prefix = found->second;
            continue;
        }
        put(prefix);
        if (next == 4096) {
            put(kClear);
            table.clear();
            size = kMinCodeSize + 1;
            next = kEnd + 1;
        } else {
            table[{prefix, idx[i]}] = next++;
            // The decoder, one entry behind, widens its codes here.
            if (next - 1 == (1 << size) && size < 12)
                ++size;
        }
        prefix = idx[i];
    }
    put(prefix);
    put(kEnd);
    if (bits > 0)
        codes.append(static_cast<char>(acc & 0xFF));

    QByteArray b("GIF89a");
    put16(b, w);
    put16(b, h);
    b.append('\xF3'); // global palette of 16 entries, 8 bits a colour
    b.append('\0');
    b.append('\0');
    for (int i = 0; i < 16; ++i) {
        const uint32_t c = paletteColour(i);
        b.append(static_cast<char>(qRed(c)));
        b.append(static_cast<char>(qGreen(c)));
        b.append(static_cast<char>(qBlue(c)));
    }
    b.append(',');
    put16(b, 0);
    put16(b, 0);
    put16(b, w);
    put16(b, h);
    b.append('\0');
    b.append(static_cast<char>(kMinCodeSize));
    for (int at = 0; at < codes.size(); at += 255) {
        const QByteArray block = codes.mid(at, 255);
        b.append(static_cast<char>(block.size()));
        b.append(block);
    }
    b.append('\0');
    b.append(';');
    return b;
}

// Blocks of one palette index: compress well in every format.
std::vector<uint8_t> blocks(int w, int h, int block)
{
    std::vector<uint8_t> idx(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            idx[static_cast<size_t>(y) * w + x] = static_cast<uint8_t>((x / block + 3 * (y / block)) % 16);
    return idx;
}

QImage gradient(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb(x * 255 / w, y * 255 / h, (x + y) * 127 / (w + h)));
    return img;
}

struct Seed {
    QString name;
    QByteArray file; // without the command prefix
    int w, h;
    QImage exact;    // what a lossless format must decode to
};

QImage fromIndices(int w, int h, const std::vector<uint8_t>& idx)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, paletteColour(idx[static_cast<size_t>(y) * w + x]));
    return img;
}

std::vector<Seed> madeSeeds()
{
    std::vector<Seed> seeds;
    for (const int side : {64, 256}) {
        const QString s = QString::number(side);
        const auto idx = blocks(side, side, side / 4);
        const QImage exact = fromIndices(side, side, idx);
        if (side == 64)
            seeds.push_back({"pal4-" + s + ".bmp", paletteBmp(side, side, false, idx), side, side, exact});
        seeds.push_back({"rle8-" + s + ".bmp", paletteBmp(side, side, true, idx), side, side, exact});
        seeds.push_back({"blocks-" + s + ".gif", lzwGif(side, side, idx), side, side, exact});
        // The lowest quality that still keeps the file small; progressive at 64.
        QByteArray j;
        for (int q = 60; q >= 5; q -= 5) {
            j = jpeg(gradient(side, side), q, side == 64);
            if (j.size() + kCommandPrefix.size() <= kMaxSeedBytes)
                break;
        }
        seeds.push_back({"gradient-" + s + ".jpg", j, side, side, QImage()});
        seeds.push_back({"gradient-" + s + ".png", png(gradient(side, side)), side, side, gradient(side, side)});
    }
    return seeds;
}

QString seedFolder() { return QFileInfo(QStringLiteral(__FILE__)).dir().filePath(QStringLiteral("../fuzz/seeds")); }

} // namespace

TEST(FuzzSeeds, MadeSeedsAreSmallAndOpenAtTheirSize)
{
    const char* out = std::getenv("PIXPAD_WRITE_SEEDS");
    QTemporaryDir tmp;
    for (const Seed& s : madeSeeds()) {
        SCOPED_TRACE(s.name.toStdString());
        EXPECT_LE(s.file.size() + kCommandPrefix.size(), kMaxSeedBytes);
        Document doc;
        QString error;
        ASSERT_TRUE(openPicture(doc, writeFile(tmp.path(), s.name, s.file), error)) << error.toStdString();
        EXPECT_EQ(doc.ImageWidth, s.w);
        EXPECT_EQ(doc.ImageHeight, s.h);
        if (!s.exact.isNull()) {
            int wrong = 0;
            for (int y = 0; y < s.h; ++y)
                for (int x = 0; x < s.w; ++x) {
                    const QRgb c = s.exact.pixel(x, y);
                    wrong += doc.Picture1.GetPixel(x, y) != (qRed(c) | qGreen(c) << 8 | qBlue(c) << 16);
                }
            EXPECT_EQ(wrong, 0);
        }
        if (out)
            writeFile(QString::fromLocal8Bit(out), s.name, kCommandPrefix + s.file);
    }
}

TEST(FuzzSeeds, EverySeedKeptInTheRepositoryOpens)
{
    const QDir dir(seedFolder());
    const QStringList names = dir.entryList(QDir::Files);
    ASSERT_FALSE(names.isEmpty()) << dir.path().toStdString();
    QTemporaryDir tmp;
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        const QByteArray bytes = readFile(dir.filePath(name));
        ASSERT_GT(bytes.size(), kCommandPrefix.size());
        EXPECT_LE(bytes.size(), kMaxSeedBytes);
        Document doc;
        QString error;
        EXPECT_TRUE(openPicture(doc, writeFile(tmp.path(), name, bytes.mid(5)), error)) << error.toStdString();
        EXPECT_EQ(doc.Picture1.width(), doc.ImageWidth);
    }
}
