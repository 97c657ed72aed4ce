#include <cstdint>

#include "colour/colourops.h"
#include "colour/colourpass.h"

namespace pixpad {

// "Solarize": every component c below 128 becomes 255 - c, the others stay.
// (The rule also inverts components above 255; a surface holds none.) For a
// byte, 255 - c is c XOR 0xFF, and c < 128 is "top bit clear", so the rule
// builds a byte mask of 0xFF under each dark component and XORs it in: from
// m = 0x80 under each dark component, m | (m - (m >> 7)) turns each 0x80 into
// 0xFF without a borrow crossing bytes.
bool solarize(Document& doc)
{
    auto rule = [](const uint32_t* __restrict s, uint32_t* __restrict d, int n) {
        for (int i = 0; i < n; ++i) {
            const uint32_t dark = ~s[i] & 0x00808080u;
            d[i] = s[i] ^ (dark | (dark - (dark >> 7)));
        }
    };
    return runColourPass(doc, rule, {.first = 0, .farMargin = 0, .startBarAtZero = false});
}

} // namespace pixpad
