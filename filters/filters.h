#pragma once
// The neighbourhood filters. Each returns false when the observer abandoned
// the pass; one that can't run throws before changing anything.
#include <stdexcept>
#include <string>

#include "document/document.h"
#include "document/int16.h"

namespace pixpad {

// A kernel whose sums leave the 16-bit range on this picture. The pass is
// refused before anything changes, so the picture and the undo copy stay.
class FilterOverflow : public Overflow16 {
public:
    FilterOverflow()
        : Overflow16("The filter's sums exceed the allowed range (-32768 to 32767) for this "
                     "picture; nothing was changed.") {}
};

// The convolution with doc.filter (Matrix, Divide, Bias, HalfSize).
bool dofiltering(Document& doc);
bool smooth(Document& doc);   // "Smooth": 3x3 mean
bool edge(Document& doc);     // "Edge": four-neighbour Laplacian magnitude
bool sharpen(Document& doc);  // "Sharpen"
bool emboss(Document& doc);   // "Embose"
bool diffuse(Document& doc);  // "Diffuse"

} // namespace pixpad
