#pragma once
// Mirroring, resizing and the switched-off rotate entry.
#include "document/document.h"

namespace pixpad {

void flipHorizontal(Document& doc); // "Flip horizont"
void flipVertical(Document& doc);   // "Flip Vertical"

// "Ok" of the resize dialog: undo copy, clear, size W x H, stretch the old
// picture onto it, set ImageWidth/ImageHeight, relayout (fresh undo copy).
void resizePicture(Document& doc, int width, int height);

// What the switched-off "Rotate" entry does: the first two steps of a pass.
void rotateEntry(Document& doc);

} // namespace pixpad
