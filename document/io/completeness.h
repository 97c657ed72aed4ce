#pragma once
// Structural checks that a picture file holds everything its headers promise.
//
// Qt's readers are lenient with damaged files: the BMP reader returns a full
// size picture from a file cut in half, the GIF reader returns a partly
// decoded first frame, and the JPEG reader fills what is missing with grey and
// only logs a warning. Walking the file's own structure is the dependable way
// to tell a complete file from a cut one; it reads the file once, in small
// pieces, and never allocates anything of the picture's size.
#include <QByteArray>
#include <QIODevice>
#include <QString>

namespace pixpad {

// The picture size written in a BMP, GIF or JPEG header, read without asking
// Qt: its readers refuse some sizes themselves (the BMP reader anything above
// 16384 x 16384 pixels) with a vague "unable to read", and the GIF reader
// decodes the first frame just to report a size. Sizes may be zero or negative: the
// caller refuses those in plain words. "Not known" means not stated, or a
// format whose header is not read here.
struct StatedSize {
    bool known = false;
    long long width = 0, height = 0;
};
StatedSize statedPictureSize(QIODevice& file, const QByteArray& format);

// `format` is what QImageReader::format() reported ("bmp", "jpeg", "gif"...).
// Returns an empty string when the file is complete (or of a format without a
// check here), otherwise the reason in plain words. The device is read from
// its start; its position afterwards is undefined.
QString checkPictureComplete(QIODevice& file, const QByteArray& format);

// Qt's BMP reader widens a colour field of fewer than 8 bits by shifting it
// up, so a 5-bit 31 becomes 248 and white in a 16-bit BMP comes out light
// grey, where every other viewer shows white. For a BMP whose red, green and
// blue fields are narrower than 8 bits and that has no alpha field, `narrow`
// is set and `bits` holds the three widths (red, green, blue); the caller
// widens such pictures properly after decoding.
struct BmpChannelBits {
    bool narrow = false;
    int bits[3] = {8, 8, 8};
};
BmpChannelBits bmpNarrowChannels(QIODevice& file, const QByteArray& format);

} // namespace pixpad
