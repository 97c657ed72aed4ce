// Placeholders so the editor and pixpad-batch link while the commands are
// being written; each goes away with its real definition.
#include <stdexcept>

#include "colour/colourops.h"

namespace pixpad {
bool keepRed(Document&) { throw std::logic_error("Red is not available yet"); }
bool keepGreen(Document&) { throw std::logic_error("Green is not available yet"); }
bool keepBlue(Document&) { throw std::logic_error("Blue is not available yet"); }
bool grayScale(Document&) { throw std::logic_error("GrayScale is not available yet"); }
bool mask(Document&) { throw std::logic_error("Mask is not available yet"); }
bool solarize(Document&) { throw std::logic_error("Solarize is not available yet"); }
} // namespace pixpad
