#pragma once
// The arithmetic of centerimage, kept apart from the windows so it can be
// checked on its own: the margins that centre a w x h picture on the screen
// and the image window's size around it.
#include <cstdint>

namespace pixpad {

// Pixels the frame gives away to its border (horizontal) and to the title
// bar, menu bar and taskbar (vertical); start-up subtracts the same numbers
// from the screen to size the frame.
inline constexpr int kFrameSlackX = 8;
inline constexpr int kFrameSlackY = 85;

struct ImageLayout {
    int16_t ImageLeft = 0;
    int16_t ImageTop = 0;
    double windowWidth = 0;  // outer width of the image window, pixels
    double windowHeight = 0; // outer height, pixels
};

// Margins (ScreenWidth - w - 8) / 2 and (ScreenHeight - h - 85) / 2, rounded
// half to even into 16 bits, or 0 once the picture is as large as the screen.
// A picture a few pixels narrower than the screen gets a small negative margin;
// that is kept, as it is what the window has always done. Throws Overflow16
// where the 16-bit arithmetic would overflow.
ImageLayout computeLayout(int screenWidth, int screenHeight, double w, double h);

} // namespace pixpad
