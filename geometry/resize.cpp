#include <algorithm>
#include <stdexcept>
#include <string>

#include "document/limits.h"
#include "geometry/geometry.h"

namespace pixpad {

namespace {

// A size the picture can't take would leave Picture1 and the undo copy
// destroyed (a 0 side empties both), so it is refused before anything changes.
void checkNewSize(int width, int height)
{
    auto side = [](const char* name, int v) {
        if (v < 1 || v > kMaxPictureSide)
            throw std::invalid_argument(std::string("The new ") + name + " must be from 1 to " +
                                        std::to_string(kMaxPictureSide) + " pixels, not " +
                                        std::to_string(v) + ".");
    };
    side("width", width);
    side("height", height);
    if (static_cast<long long>(width) * height > kMaxPicturePixels)
        throw std::invalid_argument("A picture of " + std::to_string(width) + " x " +
                                    std::to_string(height) + " pixels is too large: at most " +
                                    std::to_string(kMaxPicturePixels) + " pixels are allowed.");
}

} // namespace

void resizePicture(Document& doc, int width, int height)
{
    checkNewSize(width, height);

    // The undo copy is taken by swapping buffers: Picture1 is rewritten whole.
    doc.Picture2.swapPixels(doc.Picture1);
    const uint32_t* before = doc.Picture1.data();
    try {
        doc.Picture1.setSizeUninitialised(width, height);
    } catch (...) {
        doc.Picture2.swapPixels(doc.Picture1); // out of memory: nothing changed
        throw;
    }

    // The whole old picture, ImageWidth x ImageHeight, scaled onto the new size.
    // There is no platform stretch call here, so it is nearest-pixel
    // resampling (see stretchBlt): enlarging repeats pixels, shrinking drops
    // them. It covers every pixel; only without a picture (ImageWidth or
    // ImageHeight 0, before the first Open) is there nothing to draw, and the
    // result is the empty picture of the new size in the background colour.
    const int srcW = std::min<int>(doc.ImageWidth, doc.Picture2.width());
    const int srcH = std::min<int>(doc.ImageHeight, doc.Picture2.height());
    if (srcW > 0 && srcH > 0)
        stretchBlt(doc.Picture1, width, height, doc.Picture2, srcW, srcH, doc.Picture1.data() != before);
    else
        doc.Picture1.clear();

    doc.ImageWidth = static_cast<int16_t>(width);
    doc.ImageHeight = static_cast<int16_t>(height);
    // Lays the window out and takes a fresh undo copy: after a resize, Undo
    // keeps the resized picture.
    doc.layOut();
}

} // namespace pixpad
