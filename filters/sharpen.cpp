// "Sharpen": every component moves away from its upper-left neighbour's by 0.8
// of their difference.
#include "document/pixelpass.h"
#include "filters/filterrows.h"
#include "filters/filters.h"

namespace pixpad {

namespace {

class SharpenRule final : public PassRule {
public:
    void rows(const Surface& src, Surface& dst, const PassRange& r, int rowBegin,
              int rowEnd) const override
    {
        for (int y = rowBegin; y < rowEnd; ++y)
            sharpenRow(src.row(y) + r.x0, src.row(y - 1) + r.x0 - 1, dst.row(y) + r.x0, r.columns());
    }
};

} // namespace

// The border is a full pixel on all four sides although the rule only looks up
// and to the left: the pass keeps a margin of 1 at the far edges too.
bool sharpen(Document& doc)
{
    SharpenRule rule;
    return dopixelpass(doc, rule, PassInputs{1, 1, true, false});
}

} // namespace pixpad
