#pragma once
// Writing the rows of a big picture past the caches.
//
// An ordinary store first reads the line it writes into the cache. When a
// command rewrites a picture far larger than the caches, that read is wasted:
// streaming stores skip it, a third less memory traffic for a pass that reads
// one picture and writes another. A small picture keeps ordinary stores, so
// the next command finds it in the cache.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pixpad {

// Pictures with more pixels than this (32 MiB) are written with streaming stores.
inline constexpr std::size_t kStreamingPixels = std::size_t(1) << 23;

inline bool streamingPays(std::size_t pixels) { return pixels > kStreamingPixels; }

// Writes pixels [0, n) of `dst` as make(begin, out, count) computes them:
// pixels [begin, begin + count) into `out`. With streaming, most of the row is
// made in a small buffer that stays in the fastest cache and then streamed
// out; the few pixels before the first 16-byte boundary and after the last are
// made in place. Ends with a fence, so the pixels are visible to other
// threads like ordinary stores once the caller hands the row over.
template <class Make>
void writeRow(uint32_t* dst, std::size_t n, bool stream, Make make)
{
#if defined(__SSE2__)
    if (stream && n >= 8) {
        constexpr std::size_t kChunk = 512;
        alignas(16) uint32_t buffer[kChunk];
        std::size_t i = ((16 - reinterpret_cast<std::uintptr_t>(dst) % 16) % 16) / sizeof(uint32_t);
        if (i)
            make(std::size_t(0), dst, i);
        while (n - i >= 4) {
            const std::size_t count = std::min(kChunk, (n - i) & ~std::size_t(3));
            make(i, buffer, count);
            for (std::size_t k = 0; k < count; k += 4)
                _mm_stream_si128(reinterpret_cast<__m128i*>(dst + i + k),
                                 _mm_load_si128(reinterpret_cast<const __m128i*>(buffer + k)));
            i += count;
        }
        if (i < n)
            make(i, dst + i, n - i);
        _mm_sfence();
        return;
    }
#endif
    (void)stream;
    make(std::size_t(0), dst, n);
}

} // namespace pixpad
