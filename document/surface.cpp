#include "document/surface.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>
#include <utility>
#include <vector>

#include "document/rowstream.h"
#include "document/workers.h"

namespace pixpad {

namespace {
constexpr std::size_t kAlign = 64;

uint32_t* allocatePixels(std::size_t count)
{
    if (count == 0)
        return nullptr;
    if (count > (SIZE_MAX - kAlign) / sizeof(uint32_t))
        throw std::bad_alloc();
    const std::size_t bytes = (count * sizeof(uint32_t) + kAlign - 1) / kAlign * kAlign;
    void* p = std::aligned_alloc(kAlign, bytes);
    if (!p)
        throw std::bad_alloc();
    return static_cast<uint32_t*>(p);
}
} // namespace

Surface::Surface(int width, int height, Colour background)
{
    backColor_ = background & 0x00FFFFFF;
    setSize(width, height);
}

Surface::Surface(const Surface& other) : backColor_(other.backColor_)
{
    setPicture(other);
}

Surface& Surface::operator=(const Surface& other)
{
    if (this != &other) {
        setPicture(other);
        backColor_ = other.backColor_;
    }
    return *this;
}

Surface::Surface(Surface&& other) noexcept
    : pixels_(std::exchange(other.pixels_, nullptr)),
      capacity_(std::exchange(other.capacity_, 0)),
      width_(std::exchange(other.width_, 0)),
      height_(std::exchange(other.height_, 0)),
      backColor_(other.backColor_)
{
}

Surface& Surface::operator=(Surface&& other) noexcept
{
    if (this != &other) {
        std::free(pixels_);
        pixels_ = std::exchange(other.pixels_, nullptr);
        capacity_ = std::exchange(other.capacity_, 0);
        width_ = std::exchange(other.width_, 0);
        height_ = std::exchange(other.height_, 0);
        backColor_ = other.backColor_;
    }
    return *this;
}

Surface::~Surface() { std::free(pixels_); }

void Surface::reserve(std::size_t pixels)
{
    if (pixels <= capacity_)
        return;
    uint32_t* fresh = allocatePixels(pixels);
    std::free(pixels_);
    pixels_ = fresh;
    capacity_ = pixels;
}

void Surface::setSizeUninitialised(int width, int height)
{
    if (width < 0 || height < 0)
        throw std::invalid_argument("negative surface size");
    if (width == 0 || height == 0)
        width = height = 0;
    reserve(static_cast<std::size_t>(width) * height);
    width_ = width;
    height_ = height;
}

void copyPixels(const uint32_t* from, uint32_t* to, std::size_t count, bool freshPages);

void Surface::setPicture(const Surface& picture)
{
    if (&picture == this)
        return;
    const uint32_t* before = pixels_;
    setSizeUninitialised(picture.width_, picture.height_);
    copyPixels(picture.pixels_, pixels_, pixelCount(), pixels_ != before);
}

void Surface::clear() { fill(backColor_); }

void Surface::setSize(int width, int height)
{
    setSizeUninitialised(width, height);
    clear();
}

void fillPixels(uint32_t* to, std::size_t count, uint32_t value);

void Surface::fill(Colour c) { fillPixels(pixels_, pixelCount(), static_cast<uint32_t>(c) & 0x00FFFFFFu); }

void Surface::fillRect(int x, int y, int w, int h, Colour c)
{
    int x0 = std::max(x, 0), y0 = std::max(y, 0);
    int x1 = std::min(x + w, width_), y1 = std::min(y + h, height_);
    if (x0 >= x1 || y0 >= y1)
        return;
    const uint32_t v = static_cast<uint32_t>(c) & 0x00FFFFFFu;
    for (int yy = y0; yy < y1; ++yy)
        std::fill(row(yy) + x0, row(yy) + x1, v);
}

void Surface::swapPixels(Surface& other) noexcept
{
    std::swap(pixels_, other.pixels_);
    std::swap(capacity_, other.capacity_);
    std::swap(width_, other.width_);
    std::swap(height_, other.height_);
}

Colour Surface::GetPixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return -1;
    return static_cast<Colour>(row(y)[x]);
}

bool Surface::SetPixelV(int x, int y, Colour c)
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return false;
    row(y)[x] = static_cast<uint32_t>(c) & 0x00FFFFFFu;
    return true;
}

bool Surface::samePixels(const Surface& other) const
{
    return width_ == other.width_ && height_ == other.height_ &&
           (pixelCount() == 0 ||
            std::memcmp(pixels_, other.pixels_, pixelCount() * sizeof(uint32_t)) == 0);
}

namespace {

// The drawing calls below split their work into bands of about this many
// pixels and hand the bands to all cores. Each output pixel depends only on
// the source, so the result is the same on any number of threads; a small
// picture is one band and never wakes a helper.
constexpr std::size_t kBandPixels = std::size_t(1) << 16;

template <class Fn>
void forPixelBands(std::size_t count, Fn fn)
{
    const std::size_t bands = (count + kBandPixels - 1) / kBandPixels;
    if (bands <= 1) {
        if (count)
            fn(std::size_t(0), count);
        return;
    }
    Workers::shared().parallelFor(static_cast<int>(bands), [&](int b) {
        const std::size_t begin = static_cast<std::size_t>(b) * kBandPixels;
        fn(begin, std::min(begin + kBandPixels, count));
    });
}

template <class Fn>
void forRowBands(int rows, int width, Fn fn)
{
    if (rows <= 0 || width <= 0)
        return;
    const int perBand = static_cast<int>(std::max<std::size_t>(1, kBandPixels / width));
    const int bands = (rows + perBand - 1) / perBand;
    if (bands == 1) {
        fn(0, rows);
        return;
    }
    Workers::shared().parallelFor(bands, [&](int b) {
        const int begin = b * perBand;
        fn(begin, std::min(begin + perBand, rows));
    });
}

// n pixels from s to d with streaming stores (plain stores without SSE2).
// The caller fences once its rows are done.
void streamCopy(const uint32_t* __restrict s, uint32_t* __restrict d, std::size_t n)
{
    std::size_t i = 0;
#if defined(__SSE2__)
    for (; i < n && reinterpret_cast<std::uintptr_t>(d + i) % 16 != 0; ++i)
        d[i] = s[i];
    for (; i + 16 <= n; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 4));
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 8));
        const __m128i e = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 12));
        _mm_stream_si128(reinterpret_cast<__m128i*>(d + i), a);
        _mm_stream_si128(reinterpret_cast<__m128i*>(d + i + 4), b);
        _mm_stream_si128(reinterpret_cast<__m128i*>(d + i + 8), c);
        _mm_stream_si128(reinterpret_cast<__m128i*>(d + i + 12), e);
    }
#endif
    for (; i < n; ++i)
        d[i] = s[i];
}

void streamFence()
{
#if defined(__SSE2__)
    _mm_sfence();
#endif
}

} // namespace

// The undo copy of a big picture is the largest single piece of work some
// commands do (Resize, Open); one core can't reach the memory's bandwidth, nor
// take a fresh buffer's page faults as fast as two.
//
// A copy far bigger than the caches is streamed past them: the C library only
// does that for a single call above its own threshold, never for the bands,
// and the ordinary stores' read of every destination line costs a fifth of
// the time. Not into a buffer just allocated, though: the kernel has only
// now zeroed its pages through the cache, and plain stores hit those lines.
void copyPixels(const uint32_t* from, uint32_t* to, std::size_t count, bool freshPages)
{
    const bool stream = !freshPages && streamingPays(count);
    forPixelBands(count, [from, to, stream](std::size_t begin, std::size_t end) {
        if (stream) {
            streamCopy(from + begin, to + begin, end - begin);
            streamFence(); // visible like ordinary stores once the band is handed over
            return;
        }
        std::memcpy(to + begin, from + begin, (end - begin) * sizeof(uint32_t));
    });
}

void fillPixels(uint32_t* to, std::size_t count, uint32_t value)
{
    forPixelBands(count, [to, value](std::size_t begin, std::size_t end) { std::fill(to + begin, to + end, value); });
}

void drawInvert(Surface& dst)
{
    uint32_t* p = dst.data();
    forPixelBands(dst.pixelCount(), [p](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i)
            p[i] ^= 0x00FFFFFFu;
    });
}

void invertFrom(const Surface& src, Surface& dst)
{
    dst.setSizeUninitialised(src.width(), src.height());
    const uint32_t* s = src.data();
    uint32_t* d = dst.data();
    const bool stream = streamingPays(src.pixelCount());
    forPixelBands(src.pixelCount(), [s, d, stream](std::size_t begin, std::size_t end) {
        writeRow(d + begin, end - begin, stream, [s, begin](std::size_t b, uint32_t* out, std::size_t n) {
            const uint32_t* __restrict from = s + begin + b;
            uint32_t* __restrict to = out;
            for (std::size_t i = 0; i < n; ++i)
                to[i] = from[i] ^ 0x00FFFFFFu;
        });
    });
}

void drawMirrored(const Surface& src, Surface& dst, int cornerX, int cornerY, int width, int height)
{
    const int w = src.width(), h = src.height();
    const bool mirrorX = width < 0, mirrorY = height < 0;
    if ((mirrorX ? -width : width) != w || (mirrorY ? -height : height) != h ||
        dst.width() != w || dst.height() != h || cornerX != (mirrorX ? w : 0) ||
        cornerY != (mirrorY ? h : 0))
        throw std::invalid_argument("drawMirrored supports whole, same-size draws only");
    if (&src == &dst) {
        // The one draw where source and destination could meet; no caller
        // does it, and bands on other threads would read rows already written.
        const Surface copy = src;
        drawMirrored(copy, dst, cornerX, cornerY, width, height);
        return;
    }
    // Rows of a big picture are streamed past the caches, mirrored or straight:
    // the C library's copy of a single row never streams.
    const bool stream = streamingPays(dst.pixelCount());
    forRowBands(h, w, [&](int begin, int end) {
        for (int y = begin; y < end; ++y) {
            const uint32_t* s = src.row(mirrorY ? h - 1 - y : y);
            if (!mirrorX) {
                if (stream)
                    streamCopy(s, dst.row(y), static_cast<std::size_t>(w));
                else
                    std::memcpy(dst.row(y), s, static_cast<std::size_t>(w) * sizeof(uint32_t));
                continue;
            }
            writeRow(dst.row(y), static_cast<std::size_t>(w), stream,
                     [&](std::size_t b, uint32_t* out, std::size_t n) {
                         const uint32_t* __restrict from = s + (w - 1 - b);
                         uint32_t* __restrict to = out;
                         for (std::size_t i = 0; i < n; ++i)
                             to[i] = *(from - i);
                     });
        }
        if (stream && !mirrorX)
            streamFence();
    });
}

namespace {

// Destination row d (dstW = 2 * srcW pixels) from source row s, every pixel
// twice, with streaming stores; d must be 8-byte aligned.
void doubleRowStreamed(const uint32_t* __restrict s, int srcW, uint32_t* __restrict d)
{
#if defined(__SSE2__)
    int x = 0;
    if (reinterpret_cast<std::uintptr_t>(d) % 16 != 0 && srcW > 0) {
        d[0] = d[1] = s[0];
        x = 1;
    }
    for (; x + 4 <= srcW; x += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + x));
        _mm_stream_si128(reinterpret_cast<__m128i*>(d + 2 * x), _mm_unpacklo_epi32(v, v));
        _mm_stream_si128(reinterpret_cast<__m128i*>(d + 2 * x + 4), _mm_unpackhi_epi32(v, v));
    }
    for (; x < srcW; ++x)
        d[2 * x] = d[2 * x + 1] = s[x];
#else
    for (int x = 0; x < srcW; ++x)
        d[2 * x] = d[2 * x + 1] = s[x];
#endif
}

} // namespace

void stretchBlt(Surface& dst, int dstW, int dstH, const Surface& src, int srcW, int srcH, bool freshDestination)
{
    dstW = std::min(dstW, dst.width());
    dstH = std::min(dstH, dst.height());
    srcW = std::min(srcW, src.width());
    srcH = std::min(srcH, src.height());
    if (dstW <= 0 || dstH <= 0 || srcW <= 0 || srcH <= 0)
        return;
    // Nearest pixel by pixel centres, each direction on its own: the centre
    // x + 0.5 of a destination pixel lies at (x + 0.5) * srcW / dstW in the
    // source, and the source pixel holding that point is taken, that is
    // floor((2x + 1) * srcW / (2 * dstW)) in exact integers. Enlarging by a
    // whole factor k repeats every pixel k times; shrinking by k keeps the
    // middle pixel of each group (the later of the two middle ones for even k).
    std::vector<int> column(static_cast<std::size_t>(dstW));
    for (int x = 0; x < dstW; ++x)
        column[x] = static_cast<int>((2LL * x + 1) * srcW / (2LL * dstW));
    const int* col = column.data();
    // One destination row from source row s.
    auto makeRow = [&](const uint32_t* __restrict s, uint32_t* __restrict d) {
        if (dstW == srcW) {
            std::memcpy(d, s, static_cast<std::size_t>(dstW) * sizeof(uint32_t));
        } else if (dstW == 2 * srcW) {
            for (int x = 0; x < srcW; ++x)
                d[2 * x] = d[2 * x + 1] = s[x];
        } else {
            for (int x = 0; x < dstW; ++x)
                d[x] = s[col[x]];
        }
    };

    // A big enlargement into memory the picture already owned is streamed
    // past the caches, every row made from its source row (which stays in the
    // fastest cache) rather than copied back from a row just streamed out.
    // Into fresh memory, and for small pictures, a repeated row is copied
    // from the one just made.
    const bool stream = !freshDestination && streamingPays(static_cast<std::size_t>(dstW) * dstH);
    const bool rowsAligned = reinterpret_cast<std::uintptr_t>(dst.data()) % 8 == 0 &&
                             static_cast<std::size_t>(dst.width()) % 2 == 0;
    forRowBands(dstH, dstW, [&](int begin, int end) {
        int previous = -1;
        for (int y = begin; y < end; ++y) {
            const int sy = static_cast<int>((2LL * y + 1) * srcH / (2LL * dstH));
            uint32_t* d = dst.row(y);
            if (stream) {
                const uint32_t* s = src.row(sy);
                if (dstW == 2 * srcW && rowsAligned)
                    doubleRowStreamed(s, srcW, d);
                else
                    writeRow(d, static_cast<std::size_t>(dstW), true,
                             [&](std::size_t b, uint32_t* out, std::size_t n) {
                                 for (std::size_t i = 0; i < n; ++i)
                                     out[i] = s[col[b + i]];
                             });
            } else if (sy == previous) {
                std::memcpy(d, dst.row(y - 1), static_cast<std::size_t>(dstW) * sizeof(uint32_t));
            } else {
                makeRow(src.row(sy), d);
            }
            previous = sy;
        }
#if defined(__SSE2__)
        if (stream)
            _mm_sfence(); // the band's rows are visible like ordinary stores once handed over
#endif
    });
}

} // namespace pixpad
