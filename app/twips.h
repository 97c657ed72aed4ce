#pragma once
// Window geometry is designed in twips, 1/1440 inch; at the 96 dots per inch
// the layouts were drawn for, that is 15 twips a pixel. Every designed
// position is a whole number of pixels.
namespace pixpad {

inline constexpr int kTwipsPerPixel = 15;

constexpr int px(int twips) { return twips / kTwipsPerPixel; }

} // namespace pixpad
