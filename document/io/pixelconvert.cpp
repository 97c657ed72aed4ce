#include "document/io/pixelconvert.h"

#include <algorithm>
#include <array>
#include <new>

namespace pixpad {

namespace {

// 0xAARRGGBB (QRgb) over the background, to 0x00BBGGRR. The mix is exact at
// both ends: a = 255 gives (c * 255 + 127) / 255 = c, a = 0 gives the
// background. Branch-free so the row loop vectorises.
inline uint32_t overBackground(uint32_t argb, uint32_t backR, uint32_t backG, uint32_t backB)
{
    const uint32_t a = argb >> 24;
    const uint32_t na = 255 - a;
    const uint32_t r = ((argb >> 16 & 0xFF) * a + backR * na + 127) / 255;
    const uint32_t g = ((argb >> 8 & 0xFF) * a + backG * na + 127) / 255;
    const uint32_t b = ((argb & 0xFF) * a + backB * na + 127) / 255;
    return r | g << 8 | b << 16;
}

inline uint32_t swapRedBlue(uint32_t rgb) { return (rgb >> 16 & 0xFF) | (rgb & 0xFF00) | (rgb & 0xFF) << 16; }

void opaqueRow(const uint32_t* src, uint32_t* dst, int n)
{
    for (int x = 0; x < n; ++x)
        dst[x] = swapRedBlue(src[x]);
}

void blendRow(const uint32_t* src, uint32_t* dst, int n, Colour back)
{
    const uint32_t br = static_cast<uint32_t>(back) & 0xFF;
    const uint32_t bg = static_cast<uint32_t>(back) >> 8 & 0xFF;
    const uint32_t bb = static_cast<uint32_t>(back) >> 16 & 0xFF;
    for (int x = 0; x < n; ++x)
        dst[x] = overBackground(src[x], br, bg, bb);
}

} // namespace

void imageToSurface(const QImage& image, Colour background, Surface& out)
{
    const int w = image.width(), h = image.height();
    Surface s(0, 0, background);
    s.setSizeUninitialised(w, h);
    if (s.isEmpty()) {
        out = std::move(s);
        return;
    }

    switch (image.format()) {
    case QImage::Format_RGB32:
        for (int y = 0; y < h; ++y)
            opaqueRow(reinterpret_cast<const uint32_t*>(image.constScanLine(y)), s.row(y), w);
        break;
    case QImage::Format_ARGB32:
        for (int y = 0; y < h; ++y)
            blendRow(reinterpret_cast<const uint32_t*>(image.constScanLine(y)), s.row(y), w, background);
        break;
    case QImage::Format_Indexed8: {
        // Every index gets an entry: one outside the colour table reads as
        // black rather than as whatever lies past the table.
        std::array<uint32_t, 256> lut{};
        const QList<QRgb> table = image.colorTable();
        const uint32_t br = static_cast<uint32_t>(background) & 0xFF;
        const uint32_t bg = static_cast<uint32_t>(background) >> 8 & 0xFF;
        const uint32_t bb = static_cast<uint32_t>(background) >> 16 & 0xFF;
        for (int i = 0; i < std::min<int>(256, table.size()); ++i)
            lut[i] = overBackground(table[i], br, bg, bb);
        for (int y = 0; y < h; ++y) {
            const uchar* src = image.constScanLine(y);
            uint32_t* dst = s.row(y);
            for (int x = 0; x < w; ++x)
                dst[x] = lut[src[x]];
        }
        break;
    }
    case QImage::Format_Grayscale8:
        for (int y = 0; y < h; ++y) {
            const uchar* src = image.constScanLine(y);
            uint32_t* dst = s.row(y);
            for (int x = 0; x < w; ++x)
                dst[x] = src[x] * 0x010101u;
        }
        break;
    case QImage::Format_RGB888:
        for (int y = 0; y < h; ++y) {
            const uchar* src = image.constScanLine(y);
            uint32_t* dst = s.row(y);
            for (int x = 0; x < w; ++x)
                dst[x] = src[3 * x] | src[3 * x + 1] << 8 | static_cast<uint32_t>(src[3 * x + 2]) << 16;
        }
        break;
    default: {
        // Everything else (1-bit, 16-bit, premultiplied...) goes through Qt's
        // own conversion a band at a time, so no second full-size copy exists.
        const int band = std::max(1, (1 << 20) / w);
        for (int y0 = 0; y0 < h; y0 += band) {
            const int n = std::min(band, h - y0);
            const QImage part = image.copy(0, y0, w, n).convertToFormat(QImage::Format_ARGB32);
            if (part.isNull())
                throw std::bad_alloc();
            for (int y = 0; y < n; ++y)
                blendRow(reinterpret_cast<const uint32_t*>(part.constScanLine(y)), s.row(y0 + y), w,
                         background);
        }
        break;
    }
    }
    out = std::move(s);
}

void rowToBgr(const uint32_t* src, uint8_t* dst, int n)
{
    for (int x = 0; x < n; ++x) {
        const uint32_t p = src[x];
        dst[3 * x] = static_cast<uint8_t>(p >> 16);
        dst[3 * x + 1] = static_cast<uint8_t>(p >> 8);
        dst[3 * x + 2] = static_cast<uint8_t>(p);
    }
}

QImage surfaceToImage(const Surface& picture)
{
    QImage image(picture.width(), picture.height(), QImage::Format_RGB32);
    if (image.isNull())
        return image;
    for (int y = 0; y < picture.height(); ++y) {
        const uint32_t* src = picture.row(y);
        uint32_t* dst = reinterpret_cast<uint32_t*>(image.scanLine(y));
        for (int x = 0; x < picture.width(); ++x)
            dst[x] = 0xFF000000u | swapRedBlue(src[x]);
    }
    return image;
}

void widenNarrowChannels(Surface& picture, const int bits[3])
{
    uint32_t table[3][256];
    for (int c = 0; c < 3; ++c) {
        const int b = bits[c];
        for (uint32_t v = 0; v < 256; ++v) {
            // Bit replication: the field's bits repeated downwards, so 0
            // stays 0, the top value becomes 255 and steps stay even.
            const uint32_t raw = b >= 8 ? v : v >> (8 - b);
            uint32_t wide = 0;
            for (int shift = 8 - b; shift > -b; shift -= b)
                wide |= shift >= 0 ? raw << shift : raw >> -shift;
            table[c][v] = wide << (8 * c);
        }
    }
    for (int y = 0; y < picture.height(); ++y) {
        uint32_t* row = picture.row(y);
        for (int x = 0; x < picture.width(); ++x) {
            const uint32_t p = row[x];
            row[x] = table[0][p & 0xFF] | table[1][(p >> 8) & 0xFF] | table[2][(p >> 16) & 0xFF];
        }
    }
}

} // namespace pixpad
