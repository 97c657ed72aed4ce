#pragma once
// Reading picture files into surfaces and writing surfaces as BMP (or PNG for
// pixpad-batch). This is the one place the document meets Qt's image readers.
//
// What Open accepts:
//  - any picture Qt's readers decode (BMP, GIF, JPEG, PNG and the rest of the
//    installed plugins); an animated GIF gives its first frame, a JPEG is
//    turned upright by its orientation tag, transparent pixels take the
//    background colour passed in (half-transparent ones are mixed with it);
//  - at most kMaxPictureSide (32767) pixels wide and high, because the
//    document's sizes are 16-bit;
//  - at most kMaxPicturePixels (16384 x 16384 = 268,435,456) pixels in all: a
//    picture of that size takes 1 GiB per surface, and the document holds two
//    plus the decoder's own buffer while the file is read.
// A file that breaks any of these, can't be read, isn't a picture, or is cut
// short or damaged is refused with a sentence naming the file and the reason.
// The size in a file's header is checked before the decoder allocates
// anything, so a header that lies about the size costs nothing.
#include <QString>

#include "document/document.h"
#include "document/limits.h"
#include "document/surface.h"

namespace pixpad {

// Reads a picture file. Transparent pixels take `background`. On failure
// returns false, leaves `out` alone and sets `error` to a sentence naming the
// file and the reason.
bool loadPictureFile(const QString& path, Colour background, Surface& out, QString& error);

// Open's steps after the dialog: load, then replace the document (Picture1,
// ImageWidth, ImageHeight, relayout). On failure the document is untouched.
bool openPicture(Document& doc, const QString& path, QString& error);

// Writes the picture as an uncompressed 24-bit BMP (BITMAPINFOHEADER, rows
// bottom-up, each padded to four bytes) through a temporary file in the same
// folder renamed over the target, so a failed save leaves any existing file
// as it was. Returns false with a message when the file can't be written; an
// empty picture (nothing opened yet) is refused rather than written as a file
// no program could open.
bool savePictureBmp(const Surface& picture, const QString& path, QString& error);
// The same for PNG (pixpad-batch writes PNG when asked).
bool savePicturePng(const Surface& picture, const QString& path, QString& error);

} // namespace pixpad
