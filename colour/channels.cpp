#include <cstdint>

#include "colour/colourops.h"
#include "colour/colourpass.h"

namespace pixpad {

namespace {

// "Red", "Green" and "Blue" keep one component in place and zero the other
// two: getred(s), 256 * getgreen(s) or 65536 * getblue(s). Each component is
// narrowed to a byte first, which can only fail for a value with a non-zero
// top byte; a surface never holds one, so the rule is a plain mask.
template <int Shift>
bool keepChannel(Document& doc)
{
    constexpr uint32_t keep = 0xFFu << Shift;
    auto rule = [](const uint32_t* __restrict s, uint32_t* __restrict d, int n) {
        for (int i = 0; i < n; ++i)
            d[i] = s[i] & keep;
    };
    // The single-channel views reset the progress bar when it is shown.
    return runColourPass(doc, rule, {.first = 0, .farMargin = 0, .startBarAtZero = true});
}

} // namespace

bool keepRed(Document& doc) { return keepChannel<0>(doc); }
bool keepGreen(Document& doc) { return keepChannel<8>(doc); }
bool keepBlue(Document& doc) { return keepChannel<16>(doc); }

} // namespace pixpad
