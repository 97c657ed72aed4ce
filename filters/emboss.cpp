// "Embose": each pixel against its lower-right neighbour, shifted to mid-grey.
#include "document/pixelpass.h"
#include "filters/filterrows.h"
#include "filters/filters.h"

namespace pixpad {

namespace {

class EmbossRule final : public PassRule {
public:
    void rows(const Surface& src, Surface& dst, const PassRange& r, int rowBegin,
              int rowEnd) const override
    {
        for (int y = rowBegin; y < rowEnd; ++y)
            embossRow(src.row(y) + r.x0, src.row(y + 1) + r.x0 + 1, dst.row(y) + r.x0, r.columns());
    }
};

} // namespace

// Embose has always sized its loops and its progress from the working
// picture's own drawing area rather than from the document size; the two only
// differ if something resized the picture behind the document's back.
bool emboss(Document& doc)
{
    EmbossRule rule;
    return dopixelpass(doc, rule, PassInputs{1, 1, true, true});
}

} // namespace pixpad
