#include "app/layout.h"

#include "document/int16.h"

namespace pixpad {

ImageLayout computeLayout(int screenWidth, int screenHeight, double w, double h)
{
    ImageLayout l;
    // The differences are formed in double (w and h are single-precision scale
    // sizes); only the quotient is narrowed.
    l.ImageLeft = w < screenWidth ? toInt16((screenWidth - w - kFrameSlackX) / 2.0) : int16_t{0};
    l.ImageTop = h < screenHeight ? toInt16((screenHeight - h - kFrameSlackY) / 2.0) : int16_t{0};
    // 2 x margin is a 16-bit product; the picture size is added in double.
    l.windowWidth = mul16(2, l.ImageLeft) + w;
    l.windowHeight = mul16(2, l.ImageTop) + h;
    return l;
}

} // namespace pixpad
