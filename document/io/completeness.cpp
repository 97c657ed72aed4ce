#include "document/io/completeness.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include <QObject>

namespace pixpad {

namespace {

// Sequential reading in 64 KiB pieces: the checks look at every byte of a
// JPEG's scans but never need more than a few bytes at once.
class ByteReader {
public:
    explicit ByteReader(QIODevice& device) : device_(device)
    {
        if (!device_.isSequential())
            device_.seek(0);
    }

    // The next byte, or -1 at the end of the file.
    int get()
    {
        if (pos_ == buffer_.size() && !fill())
            return -1;
        return static_cast<uint8_t>(buffer_[pos_++]);
    }

    bool read(uint8_t* out, qsizetype n)
    {
        for (qsizetype i = 0; i < n; ++i) {
            const int c = get();
            if (c < 0)
                return false;
            out[i] = static_cast<uint8_t>(c);
        }
        return true;
    }

    // Skips n bytes; false when the file ends first.
    bool skip(qint64 n)
    {
        while (n > 0) {
            if (pos_ == buffer_.size() && !fill())
                return false;
            const qint64 step = std::min<qint64>(n, buffer_.size() - pos_);
            pos_ += step;
            n -= step;
        }
        return true;
    }

    // Moves just past the next byte equal to `value`; false when there is none.
    bool skipPast(uint8_t value)
    {
        for (;;) {
            if (pos_ == buffer_.size() && !fill())
                return false;
            const void* hit = std::memchr(buffer_.constData() + pos_, value,
                                          static_cast<std::size_t>(buffer_.size() - pos_));
            if (hit) {
                pos_ = static_cast<const char*>(hit) - buffer_.constData() + 1;
                return true;
            }
            pos_ = buffer_.size();
        }
    }

private:
    bool fill()
    {
        buffer_ = device_.read(1 << 16);
        pos_ = 0;
        return !buffer_.isEmpty();
    }

    QIODevice& device_;
    QByteArray buffer_;
    qsizetype pos_ = 0;
};

uint32_t le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
uint16_t le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

QString cutShort() { return QObject::tr("the file is cut short (its picture data is incomplete)."); }
QString damaged(const QString& what) { return QObject::tr("the file is damaged (%1).").arg(what); }

// JPEG: markers from SOI to EOI. Each segment carries its length; after a
// start-of-scan the entropy-coded data runs until a marker that is neither a
// stuffed 0xFF00 nor a restart marker. A file that ends before EOI has lost
// part of its picture (the decoder would paint the rest grey). An EXIF
// thumbnail's own EOI sits inside its APP1 segment and is skipped with it;
// bytes after the EOI are never looked at, so trailing junk is harmless.
QString checkJpeg(QIODevice& device)
{
    ByteReader in(device);
    if (in.get() != 0xFF || in.get() != 0xD8)
        return damaged(QObject::tr("it does not start with a JPEG start-of-image marker"));
    int pending = -1; // a marker already read while scanning entropy-coded data
    for (;;) {
        int marker = pending;
        pending = -1;
        if (marker < 0) {
            // Stray bytes between segments are tolerated, as decoders do.
            if (!in.skipPast(0xFF))
                return cutShort();
            do {
                marker = in.get();
            } while (marker == 0xFF);
            if (marker < 0)
                return cutShort();
        }
        if (marker == 0xD9)
            return {};
        if (marker == 0x00 || marker == 0x01 || marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7))
            continue; // no length follows these
        uint8_t lengthBytes[2];
        if (!in.read(lengthBytes, 2))
            return cutShort();
        const int length = lengthBytes[0] << 8 | lengthBytes[1];
        if (length < 2)
            return damaged(QObject::tr("a segment has an impossible length"));
        if (!in.skip(length - 2))
            return cutShort();
        if (marker != 0xDA)
            continue;
        for (;;) {
            if (!in.skipPast(0xFF))
                return cutShort();
            int next;
            do {
                next = in.get();
            } while (next == 0xFF);
            if (next < 0)
                return cutShort();
            if (next == 0x00 || (next >= 0xD0 && next <= 0xD7))
                continue;
            pending = next;
            break;
        }
    }
}

// GIF: header, screen descriptor, colour table, then blocks up to the end of
// the first image's data. Later frames are never shown, so their state does
// not matter.
QString checkGif(QIODevice& device)
{
    ByteReader in(device);
    uint8_t header[13];
    if (!in.read(header, 13))
        return cutShort();
    if (header[10] & 0x80) {
        if (!in.skip(3LL << ((header[10] & 7) + 1)))
            return cutShort();
    }
    auto skipSubBlocks = [&in]() {
        for (;;) {
            const int n = in.get();
            if (n < 0)
                return false;
            if (n == 0)
                return true;
            if (!in.skip(n))
                return false;
        }
    };
    for (;;) {
        const int block = in.get();
        if (block < 0)
            return cutShort();
        if (block == 0x21) {
            if (in.get() < 0 || !skipSubBlocks())
                return cutShort();
        } else if (block == 0x2C) {
            uint8_t descriptor[9];
            if (!in.read(descriptor, 9))
                return cutShort();
            if (descriptor[8] & 0x80) {
                if (!in.skip(3LL << ((descriptor[8] & 7) + 1)))
                    return cutShort();
            }
            if (in.get() < 0 || !skipSubBlocks())
                return cutShort();
            return {};
        } else if (block == 0x3B) {
            return damaged(QObject::tr("it ends before its first picture"));
        } else {
            return damaged(QObject::tr("an unknown block 0x%1 where a picture or extension should start")
                               .arg(block, 2, 16, QLatin1Char('0')));
        }
    }
}

// BMP: uncompressed rows must all be present (Qt's reader silently returns a
// full-size picture from half a file). Run-length data must reach its
// end-of-bitmap code or cover every row.
QString checkBmp(QIODevice& device)
{
    const qint64 fileSize = device.size();
    ByteReader in(device);
    uint8_t head[54];
    if (!in.read(head, 18))
        return cutShort();
    const qint64 offBits = le32(head + 10);
    const uint32_t headerSize = le32(head + 14);
    qint64 width = 0, height = 0;
    int bpp = 0;
    uint32_t compression = 0;
    if (headerSize == 12) {
        if (!in.read(head + 18, 8))
            return cutShort();
        width = le16(head + 18);
        height = le16(head + 20);
        bpp = le16(head + 24);
    } else if (headerSize >= 40) {
        if (!in.read(head + 18, 36))
            return cutShort();
        width = static_cast<int32_t>(le32(head + 18));
        height = static_cast<int32_t>(le32(head + 22));
        bpp = le16(head + 28);
        compression = le32(head + 30);
    } else {
        return {}; // not a layout we know; the reader decides
    }
    const qint64 rows = height < 0 ? -height : height;
    if (width <= 0 || rows == 0 || bpp <= 0 || bpp > 64)
        return {}; // the size checks and the reader refuse these with better words

    constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;
    if (compression == kRgb || compression == kBitFields || compression == kAlphaBitFields) {
        const qint64 rowBits = width * bpp;
        const qint64 stride = (rowBits + 31) / 32 * 4;
        // Qt's reader reads whole padded rows; a file that lacks even the
        // last row's padding leaves that row undecoded.
        const qint64 needed = offBits + stride * rows;
        return fileSize < needed ? cutShort() : QString();
    }
    if (compression != kRle8 && compression != kRle4)
        return {};

    const qint64 consumed = headerSize == 12 ? 26 : 54;
    if (offBits < consumed)
        return {}; // overlapping the header: the reader decides
    if (!in.skip(offBits - consumed))
        return cutShort();
    qint64 line = 0;
    auto endOfData = [&]() { return line >= rows - 1 ? QString() : cutShort(); };
    for (;;) {
        const int count = in.get();
        const int value = in.get();
        if (value < 0)
            return endOfData();
        if (count > 0)
            continue; // a run of `count` pixels
        if (value == 0) {
            ++line;
        } else if (value == 1) {
            return {};
        } else if (value == 2) {
            in.get();
            const int dy = in.get();
            if (dy < 0)
                return endOfData();
            line += dy;
        } else {
            qint64 bytes = compression == kRle8 ? value : (value + 1) / 2;
            if (!in.skip((bytes + 1) & ~qint64(1)))
                return endOfData();
        }
        if (line >= rows)
            return {};
    }
}

StatedSize stated(long long w, long long h) { return {true, w, h}; }

StatedSize bmpSize(QIODevice& device)
{
    ByteReader in(device);
    uint8_t head[26];
    if (!in.read(head, 18) || head[0] != 'B' || head[1] != 'M')
        return {};
    const uint32_t headerSize = le32(head + 14);
    if (headerSize == 12)
        return in.read(head + 18, 4) ? stated(le16(head + 18), le16(head + 20)) : StatedSize();
    if (headerSize < 40 || !in.read(head + 18, 8))
        return {};
    const long long w = static_cast<int32_t>(le32(head + 18));
    const long long h = static_cast<int32_t>(le32(head + 22));
    // A negative height is a top-down file of |h| rows.
    return stated(w, h < 0 ? -h : h);
}

StatedSize gifSize(QIODevice& device)
{
    ByteReader in(device);
    uint8_t head[10];
    if (!in.read(head, 10) || std::memcmp(head, "GIF", 3) != 0)
        return {};
    const int w = le16(head + 6), h = le16(head + 8);
    // A screen of no size leaves the size to the frames: the reader decides.
    if (w == 0 || h == 0)
        return {};
    return stated(w, h);
}

StatedSize jpegSize(QIODevice& device)
{
    ByteReader in(device);
    if (in.get() != 0xFF || in.get() != 0xD8)
        return {};
    for (;;) {
        if (!in.skipPast(0xFF))
            return {};
        int marker;
        do {
            marker = in.get();
        } while (marker == 0xFF);
        if (marker < 0 || marker == 0xD9 || marker == 0xDA)
            return {};
        if (marker == 0x00 || marker == 0x01 || marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7))
            continue;
        uint8_t seg[7];
        if (!in.read(seg, 2))
            return {};
        const int length = seg[0] << 8 | seg[1];
        const bool frameHeader = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8
                                 && marker != 0xCC;
        if (frameHeader) {
            if (length < 7 || !in.read(seg + 2, 5))
                return {};
            return stated(seg[5] << 8 | seg[6], seg[3] << 8 | seg[4]);
        }
        if (length < 2 || !in.skip(length - 2))
            return {};
    }
}

} // namespace

BmpChannelBits bmpNarrowChannels(QIODevice& file, const QByteArray& format)
{
    const QByteArray f = format.toLower();
    if (f != "bmp" && f != "dib")
        return {};
    ByteReader in(file);
    uint8_t head[70];
    if (!in.read(head, 54) || head[0] != 'B' || head[1] != 'M' || le32(head + 14) < 40)
        return {};
    if (le16(head + 28) != 16)
        return {}; // 32-bit fields are 8 bits wide in every file seen in practice
    constexpr uint32_t kRgb = 0, kBitFields = 3, kAlphaBitFields = 6;
    const uint32_t compression = le32(head + 30);
    uint32_t masks[4] = {0x7C00, 0x03E0, 0x001F, 0}; // 16-bit without fields is 5-5-5
    if (compression == kBitFields || compression == kAlphaBitFields) {
        // The fields follow the 40-byte header, or are its continuation in
        // the longer headers: at offset 54 either way.
        const int count = compression == kAlphaBitFields || le32(head + 14) >= 56 ? 4 : 3;
        if (!in.read(head + 54, 4 * count))
            return {};
        for (int i = 0; i < count; ++i)
            masks[i] = le32(head + 54 + 4 * i);
    } else if (compression != kRgb) {
        return {};
    }
    if (masks[3] != 0)
        return {}; // an alpha field: the picture is blended, not widened
    BmpChannelBits result;
    for (int c = 0; c < 3; ++c) {
        const int bits = __builtin_popcount(masks[c]);
        if (bits == 0 || bits > 8)
            return {};
        result.bits[c] = bits;
        result.narrow = result.narrow || bits < 8;
    }
    return result;
}

StatedSize statedPictureSize(QIODevice& file, const QByteArray& format)
{
    const QByteArray f = format.toLower();
    if (f == "jpeg" || f == "jpg")
        return jpegSize(file);
    if (f == "gif")
        return gifSize(file);
    if (f == "bmp" || f == "dib")
        return bmpSize(file);
    return {};
}

QString checkPictureComplete(QIODevice& file, const QByteArray& format)
{
    const QByteArray f = format.toLower();
    if (f == "jpeg" || f == "jpg")
        return checkJpeg(file);
    if (f == "gif")
        return checkGif(file);
    if (f == "bmp" || f == "dib")
        return checkBmp(file);
    return {};
}

} // namespace pixpad
