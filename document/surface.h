#pragma once
// A picture surface: the persistent drawing surface of a picture box. Pixels are
// 32-bit words laid out 0x00BBGGRR (the top byte always 0), stored row after row
// with no padding, so a command can walk a row as a plain array.
//
// The surface keeps its buffer when it shrinks or is swapped, so commands on a
// big photo do not pay for fresh allocations and page faults every time.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "document/colourhelpers.h"

namespace pixpad {

class Surface {
public:
    Surface() = default;
    Surface(int width, int height, Colour background);
    Surface(const Surface& other);
    Surface& operator=(const Surface& other);
    Surface(Surface&&) noexcept;
    Surface& operator=(Surface&&) noexcept;
    ~Surface();

    int width() const { return width_; }
    int height() const { return height_; }
    std::size_t pixelCount() const { return static_cast<std::size_t>(width_) * height_; }
    bool isEmpty() const { return width_ <= 0 || height_ <= 0; }

    uint32_t* data() { return pixels_; }
    const uint32_t* data() const { return pixels_; }
    uint32_t* row(int y) { return pixels_ + static_cast<std::size_t>(y) * width_; }
    const uint32_t* row(int y) const { return pixels_ + static_cast<std::size_t>(y) * width_; }

    // The box's background colour: what the empty picture shows.
    Colour backColor() const { return backColor_; }
    void setBackColor(Colour c) { backColor_ = c & 0x00FFFFFF; }

    // "Set picture": the box sizes itself to the picture and shows exactly it.
    // The background colour is the box's own and is kept.
    void setPicture(const Surface& picture);
    // Size without defined content (callers overwrite every pixel).
    void setSizeUninitialised(int width, int height);
    // "Set the empty picture": the whole surface becomes the background colour.
    void clear();
    // New size, filled with the background colour.
    void setSize(int width, int height);
    void fill(Colour c);
    void fillRect(int x, int y, int w, int h, Colour c);

    // Swap contents and sizes (not background colours) with another surface.
    void swapPixels(Surface& other) noexcept;

    // GetPixel: the colour at (x, y), or -1 for a point outside the surface.
    Colour GetPixel(int x, int y) const;
    // SetPixelV: sets (x, y) to the colour's low 24 bits; false outside.
    bool SetPixelV(int x, int y, Colour c);

    bool samePixels(const Surface& other) const;

private:
    void reserve(std::size_t pixels);

    uint32_t* pixels_ = nullptr;
    std::size_t capacity_ = 0;
    int width_ = 0;
    int height_ = 0;
    Colour backColor_ = 0;
};

// The platform drawing calls the commands rely on.

// DSTINVERT over the whole surface: every component c becomes 255 - c.
void drawInvert(Surface& dst);
// `dst` becomes `src` with each component inverted (the undo-copy-then-invert
// of "Invert" done in one read and one write).
void invertFrom(const Surface& src, Surface& dst);
// Draw `src` whole into `dst` at a corner with signed extents (a negative extent
// mirrors along that axis, the rectangle running back towards the origin).
// Only same-size draws are needed by the program, so that is all this supports:
// |width| and |height| must equal src's size and the corner must place the
// rectangle exactly over dst.
void drawMirrored(const Surface& src, Surface& dst, int cornerX, int cornerY, int width, int height);
// StretchBlt of the whole of `src` (srcW x srcH from 0,0) onto dst's (0,0,dstW,dstH),
// nearest pixel in each direction. `freshDestination`: dst's buffer was just
// allocated, so its pages are faulted in (and zeroed through the cache) by
// this very draw; a big draw then keeps ordinary stores, which are faster there.
void stretchBlt(Surface& dst, int dstW, int dstH, const Surface& src, int srcW, int srcH,
                bool freshDestination = false);

} // namespace pixpad
