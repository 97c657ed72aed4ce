#pragma once
// Reading picture files into surfaces and writing surfaces as BMP (or PNG for
// pixpad-batch). This is the one place the document meets Qt's image readers.
#include <QString>

#include "document/document.h"
#include "document/surface.h"

namespace pixpad {

// Limits of a document: 16-bit sizes, and a pixel budget that keeps the two
// surfaces plus the decoder's own buffer within a few GiB.
inline constexpr int kMaxPictureSide = 32767;
inline constexpr long long kMaxPicturePixels = 16384LL * 16384LL;

// Reads a picture file (BMP, GIF, JPEG and whatever else Qt's readers take).
// Transparent pixels take `background`. On failure returns false and sets
// `error` to a sentence naming the file and the reason.
bool loadPictureFile(const QString& path, Colour background, Surface& out, QString& error);

// Open's steps after the dialog: load, then replace the document (Picture1,
// ImageWidth, ImageHeight, relayout). On failure the document is untouched.
bool openPicture(Document& doc, const QString& path, QString& error);

// Writes the picture as an uncompressed 24-bit BMP, through a temporary file
// in the same folder renamed over the target, so a failed save leaves any
// existing file as it was.
bool savePictureBmp(const Surface& picture, const QString& path, QString& error);
// The same for PNG (pixpad-batch writes PNG when asked).
bool savePicturePng(const Surface& picture, const QString& path, QString& error);

} // namespace pixpad
