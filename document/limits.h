#pragma once
// Limits of a document, shared by Open, Resize and pixpad-batch.
//
// Sides are 16-bit signed like ImageWidth and ImageHeight. The pixel budget
// keeps the two surfaces of the document (plus a decoder's buffer while a file
// is read) within a few GiB: 16384 x 16384 pixels of 4 bytes is 1 GiB each.
namespace pixpad {

inline constexpr int kMaxPictureSide = 32767;
inline constexpr long long kMaxPicturePixels = 16384LL * 16384LL;

} // namespace pixpad
