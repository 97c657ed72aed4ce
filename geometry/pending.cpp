// Placeholders so the editor and pixpad-batch link while the geometry commands
// are being written; each goes away with its real definition.
#include <stdexcept>

#include "geometry/geometry.h"

namespace pixpad {
void flipHorizontal(Document&) { throw std::logic_error("Flip horizont is not available yet"); }
void flipVertical(Document&) { throw std::logic_error("Flip Vertical is not available yet"); }
void resizePicture(Document&, int, int) { throw std::logic_error("Resize is not available yet"); }
void rotateEntry(Document&) { throw std::logic_error("Rotate is not available yet"); }
} // namespace pixpad
