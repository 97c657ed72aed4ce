#pragma once
// The colour operations: each output pixel depends only on the same pixel of
// the undo copy. "Invert" is one raster operation; the others are pixel passes.
// The pass-based ones return false when the observer abandoned the pass.
#include "document/document.h"

namespace pixpad {

void invert(Document& doc);   // "Invert": every component c becomes 255 - c
bool keepRed(Document& doc);  // "Red"
bool keepGreen(Document& doc);
bool keepBlue(Document& doc);
bool grayScale(Document& doc);
bool mask(Document& doc);
bool solarize(Document& doc);

} // namespace pixpad
