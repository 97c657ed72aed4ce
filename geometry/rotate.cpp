#include "document/pixelpass.h"
#include "geometry/geometry.h"

namespace pixpad {

// The entry is switched off and nothing rotates: its handler only takes the
// undo copy and empties Picture1 to the background colour, keeping the size,
// ImageWidth/ImageHeight and the layout. Undo brings the picture back.
void rotateEntry(Document& doc)
{
    undoCopyForRewrite(doc);
    doc.Picture1.clear();
}

} // namespace pixpad
