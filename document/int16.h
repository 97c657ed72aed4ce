#pragma once
// The document's integers are 16-bit signed. Every add, subtract, multiply and
// double-to-integer conversion that the commands do in that width goes through
// these helpers, which throw Overflow16 instead of wrapping or invoking UB.
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace pixpad {

class Overflow16 : public std::range_error {
public:
    explicit Overflow16(const std::string& what = "a value left the range -32768..32767")
        : std::range_error(what) {}
};

inline constexpr int kInt16Min = -32768;
inline constexpr int kInt16Max = 32767;

inline int16_t checked16(long long v)
{
    if (v < kInt16Min || v > kInt16Max)
        throw Overflow16();
    return static_cast<int16_t>(v);
}

inline int16_t add16(int a, int b) { return checked16(static_cast<long long>(a) + b); }
inline int16_t sub16(int a, int b) { return checked16(static_cast<long long>(a) - b); }
inline int16_t mul16(int a, int b) { return checked16(static_cast<long long>(a) * b); }

// Nearest integer, an exact half going to the even neighbour. Written without
// relying on the FPU rounding mode so that a library that changed it cannot
// change our pixels.
inline double roundHalfEven(double v)
{
    double f = std::floor(v);
    double diff = v - f;            // exact for |v| < 2^52
    if (diff > 0.5)
        return f + 1.0;
    if (diff < 0.5)
        return f;
    return std::fmod(f, 2.0) == 0.0 ? f : f + 1.0;
}

// Double to 16-bit signed: round half to even, then range check (NaN fails too).
inline int16_t toInt16(double v)
{
    if (!(v > kInt16Min - 1.0 && v < kInt16Max + 1.0))
        throw Overflow16();
    double r = roundHalfEven(v);
    if (r < kInt16Min || r > kInt16Max)
        throw Overflow16();
    return static_cast<int16_t>(r);
}

// Narrowing to an unsigned byte, as the single-channel and mask rules do.
inline uint8_t toByte(long long v)
{
    if (v < 0 || v > 255)
        throw Overflow16("a colour component left the range 0..255");
    return static_cast<uint8_t>(v);
}

} // namespace pixpad
