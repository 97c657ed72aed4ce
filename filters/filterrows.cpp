#include "filters/filterrows.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "document/int16.h"

// Where the compiler can build a second copy of a hot loop for AVX2 and pick
// one when the program loads, the loops run twice as wide on machines that
// have it; the default copy stays baseline x86-64 and gives the same bytes.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__linux__)
#define PIXPAD_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define PIXPAD_VECTOR_CLONES
#endif

namespace pixpad {

namespace {

// Pixels per chunk of a row: the chunk's 16-bit lanes stay in the L1 cache
// while every tap of a kernel runs over them.
constexpr int kChunk = 1024;

inline const uint8_t* lanes(const uint32_t* p) { return reinterpret_cast<const uint8_t*>(p); }
inline uint8_t* lanes(uint32_t* p) { return reinterpret_cast<uint8_t*>(p); }

// Adds the products of up to three taps to the 16-bit lanes (or starts them),
// which wrap. Three taps per sweep keep the sums in registers for longer; the
// restrict qualifiers tell the compiler that the byte sources never overlap
// the sums (bytes may alias anything, and it would fall back to scalar code),
// and keeping the sweep out of line stops it being fused across taps into a
// loop that no longer vectorises.
template <int N, bool First>
[[gnu::noinline]] PIXPAD_VECTOR_CLONES void tapSweep(int16_t* __restrict acc, const uint8_t* __restrict q0,
                                const uint8_t* __restrict q1, const uint8_t* __restrict q2,
                                int16_t w0, int16_t w1, int16_t w2, int count)
{
    for (int i = 0; i < count; ++i) {
        int s = w0 * q0[i];
        if constexpr (N > 1)
            s += w1 * q1[i];
        if constexpr (N > 2)
            s += w2 * q2[i];
        if constexpr (!First)
            s += acc[i];
        acc[i] = static_cast<int16_t>(s);
    }
}

// min(255, |s|) for the divisor 1 and bias 0; the top lane's sum is 0.
[[gnu::noinline]] PIXPAD_VECTOR_CLONES void absClamp(const int16_t* __restrict acc, uint8_t* __restrict o,
                                                     int count)
{
    for (int i = 0; i < count; ++i) {
        const uint16_t a = static_cast<uint16_t>(acc[i] < 0 ? -acc[i] : acc[i]);
        o[i] = static_cast<uint8_t>(a > 255 ? 255 : a);
    }
}

using SweepFn = void (*)(int16_t*, const uint8_t*, const uint8_t*, const uint8_t*, int16_t, int16_t,
                         int16_t, int);
constexpr SweepFn kSweeps[2][3] = {
    {tapSweep<1, false>, tapSweep<2, false>, tapSweep<3, false>},
    {tapSweep<1, true>, tapSweep<2, true>, tapSweep<3, true>},
};

} // namespace

// The 3x3 block sum is at most 2295, and round(s / 9) is floor((s + 4) / 9)
// because s / 9 never lies halfway. floor(x / 9) = (x * 7282) >> 16 holds for
// every x below 32768, far above 2299, and keeps the lanes 16 bits wide.
PIXPAD_VECTOR_CLONES void smoothRow(const uint32_t* up, const uint32_t* mid, const uint32_t* down, uint32_t* out, int n)
{
    alignas(64) uint16_t col[4 * (kChunk + 2)];
    for (int x = 0; x < n; x += kChunk) {
        const int m = std::min(kChunk, n - x);
        const uint8_t* a = lanes(up + x - 1);
        const uint8_t* b = lanes(mid + x - 1);
        const uint8_t* c = lanes(down + x - 1);
        const int colLanes = 4 * (m + 2);
        for (int i = 0; i < colLanes; ++i)
            col[i] = static_cast<uint16_t>(a[i] + b[i] + c[i]);
        uint8_t* o = lanes(out + x);
        const int outLanes = 4 * m;
        for (int i = 0; i < outLanes; ++i) {
            const uint16_t s = static_cast<uint16_t>(col[i] + col[i + 4] + col[i + 8] + 4);
            o[i] = static_cast<uint8_t>((static_cast<uint32_t>(s) * 7282u) >> 16);
        }
    }
}

// The Laplacian of 0..255 components lies in -1020..1020, so 16-bit lanes hold
// it exactly; the top lane is 4*0 - 0 = 0.
PIXPAD_VECTOR_CLONES void edgeRow(const uint32_t* up, const uint32_t* mid, const uint32_t* down, uint32_t* out, int n)
{
    const uint8_t* a = lanes(up);
    const uint8_t* b = lanes(mid);
    const uint8_t* c = lanes(down);
    uint8_t* o = lanes(out);
    const int count = 4 * n;
    for (int i = 0; i < count; ++i) {
        int16_t t = static_cast<int16_t>(4 * b[i] - b[i - 4] - b[i + 4] - a[i] - c[i]);
        t = t < 0 ? static_cast<int16_t>(-t) : t;
        o[i] = static_cast<uint8_t>(t > 255 ? 255 : t);
    }
}

// c + 0.8 (c - cu) is (9c - 4cu) / 5, a multiple of 0.2 that is never halfway,
// so its rounding is floor((t + 2) / 5) with t = 9c - 4cu. Any t below 0 rounds
// to 0 or less and is clamped to 0 anyway, so t is clamped first; then
// floor(x / 5) = (x * 13108) >> 16 for every x up to 2297 (exact below 16384).
PIXPAD_VECTOR_CLONES void sharpenRow(const uint32_t* cur, const uint32_t* upLeft, uint32_t* out, int n)
{
    const uint8_t* c = lanes(cur);
    const uint8_t* u = lanes(upLeft);
    uint8_t* o = lanes(out);
    const int count = 4 * n;
    for (int i = 0; i < count; ++i) {
        int16_t t = static_cast<int16_t>(9 * c[i] - 4 * u[i]);
        t = t < 0 ? int16_t{0} : t;
        const uint16_t q = static_cast<uint16_t>((static_cast<uint32_t>(t + 2) * 13108u) >> 16);
        o[i] = static_cast<uint8_t>(q > 255 ? 255 : q);
    }
}

PIXPAD_VECTOR_CLONES void embossRow(const uint32_t* cur, const uint32_t* downRight, uint32_t* out, int n)
{
    const uint8_t* a = lanes(cur);
    const uint8_t* b = lanes(downRight);
    uint8_t* o = lanes(out);
    const int count = 4 * n;
    for (int i = 0; i < count; ++i) {
        int16_t t = static_cast<int16_t>(a[i] - b[i] + 128);
        t = t < 0 ? static_cast<int16_t>(-t) : t;
        o[i] = static_cast<uint8_t>(t > 255 ? 255 : t);
    }
    // The empty top lane came out as |0 - 0 + 128|; a colour keeps it at 0.
    for (int i = 0; i < n; ++i)
        out[i] &= 0x00FFFFFFu;
}

ConvolutionKernel::ConvolutionKernel(const FilterSettings& s)
{
    // The weights are a 5x5 matrix, so only reaches 0, 1 and 2 exist; anything
    // else would read past the matrix and past the picture's edges.
    if (s.HalfSize < 0 || s.HalfSize > 2)
        throw std::invalid_argument("The filter size must be 3 X 3 or 5 X 5; nothing was changed.");
    halfSize = s.HalfSize;
    // The dialog turns a divisor of 0 into 1 before we get here; other callers
    // (pixpad-batch, a fresh document) may not, and a sum divided by 0 is no
    // colour, so 0 counts as 1 here too.
    divide = s.Divide == 0 ? 1 : s.Divide;
    bias = s.Bias;

    long long positive = 0, negative = 0;
    for (int dy = -halfSize; dy <= halfSize; ++dy)
        for (int dx = -halfSize; dx <= halfSize; ++dx) {
            const int16_t w = s.Matrix[dy + 2][dx + 2];
            if (w == 0)
                continue;
            const int maxComponent = w > 0 ? kInt16Max / w : -kInt16Min / -w;
            taps.push_back({dy, dx, w, maxComponent});
            (w > 0 ? positive : negative) += 255LL * w;
        }

    // The output for every possible 16-bit sum, worked out once with the
    // defining double arithmetic: v = sum / Divide + Bias (division first),
    // |v| rounded half to even, then the composer's saturation at 255. A sum
    // whose rounded |v| leaves 16 bits is an overflow and never reaches the
    // table once a picture has been checked.
    table.resize(65536);
    okSumMin = kInt16Max + 1;
    okSumMax = kInt16Min - 1;
    for (int sum = kInt16Min; sum <= kInt16Max; ++sum) {
        const double v = static_cast<double>(sum) / static_cast<double>(divide) + static_cast<double>(bias);
        const double r = roundHalfEven(std::fabs(v));
        uint8_t out = 255;
        if (r <= kInt16Max) {
            okSumMin = std::min(okSumMin, sum);
            okSumMax = std::max(okSumMax, sum);
            out = static_cast<uint8_t>(std::min(r, 255.0));
        }
        table[static_cast<uint16_t>(sum)] = out;
    }

    // Every running sum lies between the sum of the negative products and the
    // sum of the positive ones, and so does every single product; if those
    // extremes fit and round safely, no picture can overflow.
    canOverflow = positive > kInt16Max || negative < kInt16Min || negative < okSumMin ||
                  positive > okSumMax;

    auto weight = [&](int dy, int dx) { return s.Matrix[dy + 2][dx + 2]; };
    auto centreIs = [&](std::initializer_list<int> w) {
        auto it = w.begin();
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (weight(dy, dx) != *it++)
                    return false;
        return true;
    };
    shape = Shape::General;
    if (halfSize == 1 && bias == 0) {
        if (divide == 9 && centreIs({1, 1, 1, 1, 1, 1, 1, 1, 1}))
            shape = Shape::Smooth;
        else if (divide == 1 && centreIs({0, -1, 0, -1, 4, -1, 0, -1, 0}))
            shape = Shape::Edge;
    }
    plainAbs = divide == 1 && bias == 0;
}

// Taps run over a chunk of lanes one after another, so zero weights cost
// nothing and every tap is a plain multiply-add loop. The lanes are 16 bits and
// wrap: the final sum is correct whenever it fits 16 bits, whatever the
// running sums did on the way, and the pass only runs when it fits.
void convolveRow(const ConvolutionKernel& k, const uint32_t* const* rows, uint32_t* out, int n)
{
    alignas(64) int16_t acc[4 * kChunk];
    const int h = k.halfSize;
    for (int x = 0; x < n; x += kChunk) {
        const int m = std::min(kChunk, n - x);
        const int count = 4 * m;
        if (k.taps.empty())
            std::fill_n(acc, count, int16_t{0});
        const std::size_t taps = k.taps.size();
        for (std::size_t t = 0; t < taps; t += 3) {
            const std::size_t group = std::min<std::size_t>(3, taps - t);
            const uint8_t* q[3] = {nullptr, nullptr, nullptr};
            int16_t w[3] = {0, 0, 0};
            for (std::size_t j = 0; j < group; ++j) {
                const auto& tap = k.taps[t + j];
                q[j] = lanes(rows[tap.dy + h] + x + tap.dx);
                w[j] = tap.w;
            }
            kSweeps[t == 0][group - 1](acc, q[0], q[1], q[2], w[0], w[1], w[2], count);
        }
        if (k.plainAbs) {
            absClamp(acc, lanes(out + x), count);
        } else {
            const uint8_t* table = k.table.data();
            uint32_t* o = out + x;
            for (int i = 0; i < m; ++i) {
                const int16_t* s = acc + 4 * i;
                o[i] = table[static_cast<uint16_t>(s[0])] |
                       static_cast<uint32_t>(table[static_cast<uint16_t>(s[1])]) << 8 |
                       static_cast<uint32_t>(table[static_cast<uint16_t>(s[2])]) << 16;
            }
        }
    }
}

// The checked arithmetic in 32-bit lanes: a product leaves 16 bits exactly when
// its component exceeds the tap's maxComponent, and each running sum is
// checked after its tap, as the reading order does it. Only whether anything
// overflows matters, so the checks are gathered into one flag: a value v is
// outside -32768..32767 exactly when (v + 32768) >> 16 is not 0.
namespace {

// The product is written as 16 x 16 -> 32 bits so that it maps onto the
// widening multiplies of the baseline vector unit.
[[gnu::noinline]] PIXPAD_VECTOR_CLONES int checkedTap(int32_t* __restrict acc, const uint8_t* __restrict q, int16_t w,
                                 int maxComponent, int count)
{
    int bad = 0;
    for (int i = 0; i < count; ++i) {
        const int16_t c = q[i];
        const int s = acc[i] + static_cast<int32_t>(w) * static_cast<int32_t>(c);
        bad |= ((maxComponent - c) >> 31) | ((s - kInt16Min) >> 16);
        acc[i] = s;
    }
    return bad;
}

[[gnu::noinline]] PIXPAD_VECTOR_CLONES int checkedResult(const int32_t* __restrict acc, int lo, int hi, int count)
{
    int bad = 0;
    for (int i = 0; i < count; ++i)
        bad |= (acc[i] < lo) | (acc[i] > hi);
    return bad;
}

} // namespace

bool convolveRowOverflows(const ConvolutionKernel& k, const uint32_t* const* rows, int n)
{
    alignas(64) int32_t acc[4 * kChunk];
    const int h = k.halfSize;
    // The empty top lane sums to 0 and has no rounding step; when 0 is a sum
    // that rounds safely it can be checked along with the colour lanes.
    const bool zeroIsSafe = k.okSumMin <= 0 && 0 <= k.okSumMax;
    int bad = 0;
    for (int x = 0; x < n && !bad; x += kChunk) {
        const int m = std::min(kChunk, n - x);
        const int count = 4 * m;
        std::fill_n(acc, count, 0);
        for (const auto& tap : k.taps)
            bad |= checkedTap(acc, lanes(rows[tap.dy + h] + x + tap.dx), tap.w, tap.maxComponent, count);
        if (zeroIsSafe) {
            bad |= checkedResult(acc, k.okSumMin, k.okSumMax, count);
        } else {
            for (int i = 0; i < m; ++i)
                for (int c = 0; c < 3; ++c) {
                    const int32_t s = acc[4 * i + c];
                    bad |= (s < k.okSumMin) | (s > k.okSumMax);
                }
        }
    }
    return bad != 0;
}

} // namespace pixpad
