#include <cstdint>

#include "colour/colourops.h"
#include "colour/colourpass.h"

namespace pixpad {

// "Mask": black where any component is 128 or more, white where all three are
// 127 or less. A component is 128 or more exactly when its top bit is set, so
// one AND tests all three. The pass starts at index 1, so row 0 and column 0
// keep the background colour the pass cleared them to.
bool mask(Document& doc)
{
    auto rule = [](const uint32_t* __restrict s, uint32_t* __restrict d, int n) {
        for (int i = 0; i < n; ++i)
            d[i] = (s[i] & 0x00808080u) ? 0u : 0x00FFFFFFu;
    };
    return runColourPass(doc, rule, {.first = 1, .farMargin = 0, .startBarAtZero = false});
}

} // namespace pixpad
