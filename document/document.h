#pragma once
// The one document model: the working picture, its undo copy, the document
// size and the state shared by the commands. The editor's window and
// pixpad-batch both drive it; only progress reporting and dialogs differ.
#include <cstdint>
#include <functional>
#include <string>

#include "document/surface.h"
#include "filters/diffuserandom.h"
#include "filters/filtersettings.h"

namespace pixpad {

class PassObserver;

// Shown wherever a command leaves pixels unwritten (the borders of the filters,
// Mask's top row and left column): a light grey that no filter produces by
// accident on a plain picture, so a border is easy to see.
inline constexpr Colour kPictureBackColor = 0x00C0C0C0;

class Document {
public:
    Document();

    Surface Picture1; // the working picture, shown
    Surface Picture2; // the undo copy, never shown; the read source of a pass
    int16_t ImageWidth = 0;
    int16_t ImageHeight = 0;
    std::string FileName;

    FilterSettings filter;
    DiffuseRandom diffuseRandom;

    // Progress of pixel passes; null means nobody watches.
    PassObserver* observer = nullptr;

    // Lays the picture out after Open and Resize. It must end by taking the undo
    // copy. The editor points it at its centerimage; left empty (without a
    // window) only the undo copy is taken. Empty by default rather than bound
    // to this document, so a copied or moved document never calls back into
    // the one it came from.
    std::function<void()> relayout;

    // Picture1's background colour (the box's, not the image window's margins).
    void setPictureBackColor(Colour c);

    // Picture2's picture becomes Picture1's image.
    void takeUndoCopy();
    // "Undo": Picture1 becomes Picture2's image. One level, takes no copy.
    void undo();
    // Open's and Resize's last step: relayout, or the undo copy without one.
    void layOut();
    // Replaces the document with a freshly loaded picture: Picture1, the sizes,
    // then relayout (which takes the undo copy). Sizes must fit 16 bits.
    void setOpenedPicture(Surface&& picture);
};

} // namespace pixpad
