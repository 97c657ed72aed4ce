// Feeds arbitrary bytes to the editor's Open path, then runs a short sequence
// of commands chosen by the input on whatever opened. Any crash, sanitizer
// report or hang is a finding; a refused file is a normal outcome.
//
// Input layout: byte 0 = number of commands (mod 5), bytes 1..4 = command
// choices, the rest = the file.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include <QCoreApplication>
#include <QFile>
#include <QImageReader>
#include <QString>

#include "colour/colourops.h"
#include "document/io/completeness.h"
#include "document/io/imageio.h"
#include "filters/filters.h"
#include "geometry/geometry.h"

using namespace pixpad;

namespace {

// Pictures the fuzzer may decode and process: big enough for every code path,
// small enough that one input stays well under a second.
constexpr long long kFuzzPixelLimit = 2048LL * 2048LL;

void runCommand(Document& doc, uint8_t choice)
{
    switch (choice % 20) {
    case 0: invert(doc); break;
    case 1: keepRed(doc); break;
    case 2: keepGreen(doc); break;
    case 3: keepBlue(doc); break;
    case 4: grayScale(doc); break;
    case 5: mask(doc); break;
    case 6: solarize(doc); break;
    case 7: smooth(doc); break;
    case 8: edge(doc); break;
    case 9: sharpen(doc); break;
    case 10: emboss(doc); break;
    case 11: diffuse(doc); break;
    case 12: flipHorizontal(doc); break;
    case 13: flipVertical(doc); break;
    case 14: doc.undo(); break;
    case 15: resizePicture(doc, 1 + choice % 7, 1 + choice % 5); break;
    case 16: rotateEntry(doc); break;
    case 17: {
        clearmatrix(doc.filter);
        for (int k = 0; k < 25; ++k)
            doc.filter.Matrix[k / 5][k % 5] = static_cast<int16_t>((k * 37 + choice) % 199 - 99);
        doc.filter.Divide = static_cast<int16_t>(choice % 3);
        doc.filter.Bias = static_cast<int16_t>(choice * 4);
        doc.filter.HalfSize = static_cast<int16_t>(choice % 3);
        dofiltering(doc);
        break;
    }
    default: doc.takeUndoCopy(); break;
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 5)
        return 0;
    const int count = data[0] % 5;
    const uint8_t* choices = data + 1;

    static int fd = memfd_create("pixpad-fuzz", 0);
    if (fd < 0)
        return 0;
    if (ftruncate(fd, 0) != 0 || pwrite(fd, data + 5, size - 5, 0) != static_cast<ssize_t>(size - 5))
        return 0;
    const QString path = QStringLiteral("/proc/self/fd/%1").arg(fd);

    {
        // The size the header states, as Open reads it, and the size Qt's
        // reader reports for the other formats; a GIF's reader reports its
        // first frame, not the logical screen the picture takes.
        QImageReader probe(path);
        const QSize s = probe.size();
        if (s.isValid() && static_cast<long long>(s.width()) * s.height() > kFuzzPixelLimit)
            return 0;
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) {
            const StatedSize stated = statedPictureSize(file, probe.format());
            if (stated.known && stated.width * stated.height > kFuzzPixelLimit)
                return 0;
        }
    }

    Document doc;
    QString error;
    if (!openPicture(doc, path, error)) {
        if (error.isEmpty())
            __builtin_trap(); // a refusal must always say why
        return 0;
    }
    if (doc.Picture1.width() != doc.ImageWidth || doc.Picture1.height() != doc.ImageHeight)
        __builtin_trap();
    // A few bytes can describe a big picture the probe above doesn't see (a
    // GIF's logical screen around one tiny frame): opening it is tested, but
    // running commands over it would only spend the fuzzer's time.
    if (static_cast<long long>(doc.ImageWidth) * doc.ImageHeight > kFuzzPixelLimit)
        return 0;
    for (int i = 0; i < count; ++i) {
        try {
            runCommand(doc, choices[i]);
        } catch (const std::exception&) {
            // A refused command (an overflowing kernel) must leave the document usable.
        }
        if (doc.Picture1.width() != doc.ImageWidth || doc.Picture1.height() != doc.ImageHeight)
            __builtin_trap();
    }
    return 0;
}
