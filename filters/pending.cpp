// Placeholders so the editor and pixpad-batch link while the filters are
// being written; each goes away with its real definition.
#include <stdexcept>

#include "filters/filters.h"

namespace pixpad {
bool dofiltering(Document&) { throw std::logic_error("filtering is not available yet"); }
bool smooth(Document&) { throw std::logic_error("Smooth is not available yet"); }
bool edge(Document&) { throw std::logic_error("Edge is not available yet"); }
bool sharpen(Document&) { throw std::logic_error("Sharpen is not available yet"); }
bool emboss(Document&) { throw std::logic_error("Embose is not available yet"); }
bool diffuse(Document&) { throw std::logic_error("Diffuse is not available yet"); }
} // namespace pixpad
