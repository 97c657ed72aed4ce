#include "colour/colourops.h"
#include "document/pixelpass.h"

namespace pixpad {

// DSTINVERT over Picture1's whole drawing area, background-only parts
// included, after the undo copy. Reading the copy and writing the complement
// in one sweep gives the same picture as copying and then inverting in place.
void invert(Document& doc)
{
    undoCopyForRewrite(doc);
    invertFrom(doc.Picture2, doc.Picture1);
}

} // namespace pixpad
