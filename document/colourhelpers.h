#pragma once
// Colours are 32-bit signed values laid out 0x00BBGGRR (red in the low byte);
// -1 stands for a pixel that could not be read. The helpers keep the signed
// arithmetic of the original design on purpose: getgreen(-1) is -65281 and
// splitcolor(-1) fails after storing r = -1, and callers rely on neither
// ever happening for a pixel read inside a picture.
#include <cstdint>

#include "document/int16.h"

namespace pixpad {

using Colour = int32_t;

// Remainder of c / 256, truncated toward zero (so it has the sign of c).
constexpr int32_t getred(Colour c) { return c % 256; }

// (c AND 0xFF00FF00) / 256 with the masked value read as signed: the top byte
// survives the mask, so any colour with a non-zero top byte gives a value far
// outside 0..255. The masked value is a multiple of 256, so the division is exact.
constexpr int32_t getgreen(Colour c)
{
    return static_cast<int32_t>(static_cast<uint32_t>(c) & 0xFF00FF00u) / 256;
}

constexpr int32_t getblue(Colour c)
{
    return static_cast<int32_t>(static_cast<uint32_t>(c) & 0xFFFF0000u) / 65536;
}

// Stores r, then g, then b, each narrowed to 16 bits; a value that does not fit
// throws Overflow16 at that point, leaving the later out-parameters untouched.
inline void splitcolor(Colour c, int16_t& r, int16_t& g, int16_t& b)
{
    r = checked16(getred(c));
    g = checked16(getgreen(c));
    b = checked16(getblue(c));
}

// The colour composer: each component above 255 counts as 255. No caller passes
// a negative component; should one ever arrive it is taken as 0 rather than
// bleeding into the neighbouring byte.
constexpr Colour composeColour(int red, int green, int blue)
{
    auto sat = [](int v) { return v > 255 ? 255 : (v < 0 ? 0 : v); };
    return sat(red) + 256 * sat(green) + 65536 * sat(blue);
}

} // namespace pixpad
