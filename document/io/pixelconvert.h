#pragma once
// Conversions between Qt's decoded images and the document's 0x00BBGGRR
// surfaces, and the row layout of a 24-bit BMP. Plain row loops over raw
// scan lines: a 24-megapixel photo converts in a few milliseconds.
#include <cstdint>

#include <QImage>

#include "document/surface.h"

namespace pixpad {

// `out` becomes the image, every pixel 0x00BBGGRR. A pixel with alpha a is
// mixed with `background` as (c * a + back * (255 - a) + 127) / 255 per
// component, so a fully transparent pixel takes the background exactly and an
// opaque one keeps its colour. Throws std::bad_alloc when memory runs out.
void imageToSurface(const QImage& image, Colour background, Surface& out);

// Qt's BMP reader widens a b-bit colour field by shifting it up (v << (8 - b)),
// so a field's top value falls short of 255. This widens each such component
// by repeating its bits downwards, as other readers do: white stays white.
// bits[] are the red, green and blue widths (1..8; 8 leaves a channel as is).
void widenNarrowChannels(Surface& picture, const int bits[3]);

// One row of 0x00BBGGRR pixels as BMP bytes: blue, green, red per pixel.
void rowToBgr(const uint32_t* src, uint8_t* dst, int n);

// The surface as an opaque 32-bit QImage (for the PNG writer).
QImage surfaceToImage(const Surface& picture);

} // namespace pixpad
