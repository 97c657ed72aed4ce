#include <cstdint>
#include <cstring>

#include "colour/colourops.h"
#include "document/pixelpass.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pixpad {

namespace {

// The level is defined in double precision:
//     level = roundHalfEven((r * 0.33 + g * 0.56) + b * 0.11)
// with the weights the doubles nearest to 0.33, 0.56 and 0.11 and the red and
// green terms added first.
//
// Exactly, the sum is q / 100 with the integer q = 33r + 56g + 11b (0..25500).
// The double sum differs from q / 100 by less than 1e-13: each weight, each
// of the three products and each of the two additions is off by at most 2^-53
// of a value below 256. Unless q / 100 is itself a
// half, it lies at least 0.01 from one, so the double rounds the same way as
// the exact value: level = floor((q + 50) / 100). When q mod 100 is 50 the
// exact value is a tie, and those representation errors decide: some such
// sums are exactly .5 in double and go to the even level, others land a hair
// above or below. Only those pixels (about one in a hundred) are computed in
// double, exactly as stated. The tests check this against the double formula
// for every one of the 16,777,216 colours.
//
// floor(x / 100) is (x * 5243) >> 19 for every x below 43690, and q + 50 is
// at most 25550, so the division fits 16-bit lanes as a high multiply.

inline unsigned quotient(uint32_t p)
{
    return 33 * (p & 0xFF) + 56 * ((p >> 8) & 0xFF) + 11 * ((p >> 16) & 0xFF);
}

// The level of a tie pixel, q = 100k + 50. The double sum lies within 1e-13
// of k + 0.5, so between k and k + 1, where rounding half to even comes down
// to comparing it with k + 0.5 (exact in double): above goes up, below goes
// down, equal goes to whichever of k and k + 1 is even.
uint32_t tieLevel(uint32_t p)
{
    const uint32_t k = quotient(p) / 100;
    const double r = static_cast<double>(p & 0xFF);
    const double g = static_cast<double>((p >> 8) & 0xFF);
    const double b = static_cast<double>((p >> 16) & 0xFF);
    const double level = (r * 0.33 + g * 0.56) + b * 0.11;
    const double half = k + 0.5;
    return k + (level > half || (level == half && (k & 1)));
}

inline uint32_t grey(uint32_t level) { return level * 0x00010101u; }

#if defined(__SSE2__)
// Eight pixels a step. madd forms 33r + 11b from the 16-bit lanes (r, b) of
// each pixel and 56g from (g, 0); the sums are packed to 16-bit lanes for the
// division, and a tie sets two bits of the mask.
void grayEight(const uint32_t* __restrict s, uint32_t* __restrict d)
{
    const __m128i lowBytes = _mm_set1_epi32(0x00FF00FF);
    const __m128i redBlueWeights = _mm_set1_epi32(33 | (11 << 16));
    const __m128i greenWeight = _mm_set1_epi32(56);
    auto quotients = [&](__m128i p) {
        const __m128i rb = _mm_madd_epi16(_mm_and_si128(p, lowBytes), redBlueWeights);
        const __m128i g = _mm_madd_epi16(_mm_and_si128(_mm_srli_epi32(p, 8), lowBytes), greenWeight);
        return _mm_add_epi32(rb, g);
    };
    const __m128i q50 = _mm_add_epi16(
        _mm_packs_epi32(quotients(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s))),
                        quotients(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 4)))),
        _mm_set1_epi16(50));
    const __m128i level = _mm_srli_epi16(_mm_mulhi_epu16(q50, _mm_set1_epi16(5243)), 3);
    unsigned ties = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_cmpeq_epi16(_mm_mullo_epi16(level, _mm_set1_epi16(100)), q50)));
    // The level in every byte but the top one: (L, L) 16-bit lanes
    // interleaved with (L, 0).
    const __m128i bytes = _mm_packus_epi16(level, level);
    const __m128i twice = _mm_unpacklo_epi8(bytes, bytes);
    const __m128i once = _mm_and_si128(twice, _mm_set1_epi16(0x00FF));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_unpacklo_epi16(twice, once));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 4), _mm_unpackhi_epi16(twice, once));
    while (ties) {
        const int lane = __builtin_ctz(ties) >> 1;
        ties &= ~(3u << (2 * lane));
        d[lane] = grey(tieLevel(s[lane]));
    }
}

void grayRow(const uint32_t* __restrict s, uint32_t* __restrict d, int n)
{
    int i = 0;
    for (; i + 8 <= n; i += 8)
        grayEight(s + i, d + i);
    if (i < n) {
        // The row's last few pixels go through the same step, padded, so
        // every pixel takes the one path the tests check exhaustively.
        uint32_t in[8] = {}, out[8];
        std::memcpy(in, s + i, static_cast<std::size_t>(n - i) * sizeof(uint32_t));
        grayEight(in, out);
        std::memcpy(d + i, out, static_cast<std::size_t>(n - i) * sizeof(uint32_t));
    }
}
#else
void grayRow(const uint32_t* __restrict s, uint32_t* __restrict d, int n)
{
    for (int i = 0; i < n; ++i) {
        const uint32_t q50 = quotient(s[i]) + 50;
        const uint32_t level = (q50 * 5243) >> 19;
        d[i] = level * 100 == q50 ? grey(tieLevel(s[i])) : grey(level);
    }
}
#endif

} // namespace

// The components come from splitcolor, which can only fail for a value with a
// non-zero top byte; a surface never holds one.
bool grayScale(Document& doc)
{
    // No streaming stores here: they measured slower for this rule, which
    // does more work per pixel than the others.
    RowMapRule rule(grayRow);
    return dopixelpass(doc, rule, {.first = 0, .farMargin = 0, .startBarAtZero = false});
}

} // namespace pixpad
