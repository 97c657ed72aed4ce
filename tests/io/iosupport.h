#pragma once
// Helpers for the file tests: picture files written byte by byte (BMP, a
// small GIF89a encoder, JPEG with an EXIF orientation), damaged variants of
// them, a snapshot of a document to prove it was left alone, and a runner for
// pixpad-batch that can drop privileges or cap the file size of the child.
#include <cstdint>
#include <string>
#include <vector>

#include <QByteArray>
#include <QImage>
#include <QString>

#include "document/document.h"
#include "document/surface.h"
#include "tests/core/testsupport.h"

namespace pixpad::iotest {

using pixpad::test::randomSurface;
inline Surface randomPicture(int w, int h, uint32_t seed) { return randomSurface(w, h, seed); }

// --- BMP, written independently of the program's own writer ---
// 24-bit, rows bottom-up (or top-down with a negative height when asked).
QByteArray bmp24(const Surface& s, bool topDown = false);
// 8-bit with a palette (QRgb entries); `indices` row-major, top row first.
QByteArray bmp8(int w, int h, const std::vector<uint8_t>& indices, const std::vector<uint32_t>& palette);
// Headers only, claiming w x h at 24 bits, followed by `dataBytes` zero bytes.
QByteArray bmpClaiming(int32_t w, int32_t h, int dataBytes);

// --- GIF89a ---
struct GifFrame {
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<uint8_t> indices; // row-major
    int transparentIndex = -1;
};
// A global 256-entry palette (QRgb, alpha ignored), frames in order.
QByteArray gif(int screenW, int screenH, const std::vector<uint32_t>& palette,
               const std::vector<GifFrame>& frames);

// --- JPEG ---
QByteArray jpeg(const QImage& image, int quality = 95, bool progressive = false);
// The file with an APP1 EXIF segment carrying only an orientation tag.
QByteArray withExifOrientation(const QByteArray& jpegBytes, int orientation);
// The file with its frame header's height and width replaced.
QByteArray withJpegSize(const QByteArray& jpegBytes, int w, int h);

QByteArray png(const QImage& image);

// --- files ---
QString writeFile(const QString& dir, const QString& name, const QByteArray& bytes);
QByteArray readFile(const QString& path);

// --- a document and proof that it was not touched ---
Document documentWith(const Surface& picture);
struct DocumentSnapshot {
    explicit DocumentSnapshot(const Document& d);
    // Empty when the document is exactly as it was, else what differs.
    std::string differences(const Document& d) const;

    Surface picture1, picture2;
    int16_t width, height;
    Colour back1, back2;
};

// --- pixpad-batch ---
struct RunResult {
    int exitCode = -1;      // -1 when it did not exit normally
    int signal = 0;
    std::string out, err;
    long maxRssKiB = 0;
};
struct RunOptions {
    int dropToUid = -1;             // setuid() in the child before exec (needs root)
    long long fileSizeLimit = -1;   // RLIMIT_FSIZE in the child, SIGXFSZ ignored
    bool stderrIsTerminal = false;  // stderr on a pseudo-terminal
};
RunResult runBatch(const std::vector<std::string>& args, const RunOptions& options = {});

} // namespace pixpad::iotest
