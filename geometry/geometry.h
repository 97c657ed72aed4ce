#pragma once
// Mirroring, resizing and the switched-off rotate entry.
#include "document/document.h"

namespace pixpad {

void flipHorizontal(Document& doc); // "Flip horizont"
void flipVertical(Document& doc);   // "Flip Vertical"

// "Ok" of the resize dialog: undo copy, clear, size W x H, stretch the old
// picture onto it, set ImageWidth/ImageHeight, relayout (fresh undo copy).
// A side outside 1..kMaxPictureSide or more than kMaxPicturePixels pixels in
// all (document/limits.h) throws std::invalid_argument, with a sentence for
// the user, before anything changes. Without a picture (ImageWidth or
// ImageHeight 0) the result is the background colour at the new size.
void resizePicture(Document& doc, int width, int height);

// What the switched-off "Rotate" entry does: the first two steps of a pass.
void rotateEntry(Document& doc);

} // namespace pixpad
