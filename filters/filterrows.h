#pragma once
// Row kernels of the neighbourhood filters. A pixel is four byte lanes
// (red, green, blue, 0), so each kernel runs one loop over the lanes of a row
// that the compiler turns into vector code; the top lane of every output pixel
// is 0. Pointers point at the first output column; a kernel reads the
// neighbours its rule names and nothing further.
#include <cstdint>
#include <vector>

#include "filters/filtersettings.h"

namespace pixpad {

// "Smooth": round(sum of the 3x3 block / 9) per channel. Reads up, mid and
// down at columns -1..n.
void smoothRow(const uint32_t* up, const uint32_t* mid, const uint32_t* down, uint32_t* out, int n);

// "Edge": min(255, |4c - left - right - up - down|) per channel. Reads mid at
// -1..n, up and down at 0..n-1.
void edgeRow(const uint32_t* up, const uint32_t* mid, const uint32_t* down, uint32_t* out, int n);

// "Sharpen": each component c with its upper-left neighbour's cu becomes
// clamp(round(c + 0.8 (c - cu)), 0, 255). upLeft[i] is the neighbour of cur[i].
void sharpenRow(const uint32_t* cur, const uint32_t* upLeft, uint32_t* out, int n);

// "Embose": min(255, |c(a) - c(b) + 128|) per channel, b = downRight[i] the
// lower-right neighbour of a = cur[i].
void embossRow(const uint32_t* cur, const uint32_t* downRight, uint32_t* out, int n);

// "Diffuse": the offset round(4u - 2), halves to even, for the draw
// u = k / 2^24 (k the top 24 bits of the generator's word). 4u - 2 is exact in
// single precision, so the halves sit exactly on the multiples of 2^21:
//   k <= 2^21 -> -2, below 3*2^21 -> -1, up to 5*2^21 -> 0, below 7*2^21 -> 1, else 2.
inline int diffuseOffset(uint32_t k)
{
    return -2 + (k > (1u << 21)) + (k >= (3u << 21)) + (k > (5u << 21)) + (k >= (7u << 21));
}

// A convolution kernel prepared from the filter settings: the non-zero
// weights of the used window in reading order, the output table and what is
// needed to tell whether a picture can overflow the 16-bit sums.
struct ConvolutionKernel {
    struct Tap {
        int dy, dx;
        int16_t w;
        int maxComponent; // the largest component whose product with w fits 16 bits
    };

    explicit ConvolutionKernel(const FilterSettings& s);

    int halfSize;
    int divide; // never 0
    int bias;
    std::vector<Tap> taps;
    // Final sums s for which round(|s / divide + bias|) fits 16 bits.
    int okSumMin, okSumMax;
    // True when some picture with components 0..255 could leave the 16-bit
    // range somewhere; only then does a picture need checking.
    bool canOverflow;
    // The output component for every 16-bit final sum, indexed by uint16_t(s).
    std::vector<uint8_t> table;
    enum class Shape { General, Smooth, Edge } shape;
    bool plainAbs; // divide 1, bias 0: the table is min(255, |s|)
};

// Convolves one row: out[i] from the rows y - h .. y + h, rows[dy + h]
// pointing at the output column of that row. Final sums must fit 16 bits
// (checked beforehand when the kernel can overflow).
void convolveRow(const ConvolutionKernel& k, const uint32_t* const* rows, uint32_t* out, int n);

// True when some pixel of this row leaves the 16-bit range at any step of
// the checked arithmetic (a product, a running sum, or the rounded result).
bool convolveRowOverflows(const ConvolutionKernel& k, const uint32_t* const* rows, int n);

} // namespace pixpad
