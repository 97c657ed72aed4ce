#include "document/pixelpass.h"
#include "geometry/geometry.h"

namespace pixpad {

// Both flips take the undo copy and draw it back whole with one negative
// extent: the picture keeps its size and every pixel is written, so the copy
// is taken by swapping buffers. Neither shows progress nor lets messages run.

void flipHorizontal(Document& doc)
{
    undoCopyForRewrite(doc);
    const int w = doc.Picture1.width(), h = doc.Picture1.height();
    drawMirrored(doc.Picture2, doc.Picture1, w, 0, -w, h);
}

void flipVertical(Document& doc)
{
    undoCopyForRewrite(doc);
    const int w = doc.Picture1.width(), h = doc.Picture1.height();
    drawMirrored(doc.Picture2, doc.Picture1, 0, h, w, -h);
}

} // namespace pixpad
