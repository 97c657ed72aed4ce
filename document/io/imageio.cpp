#include "document/io/imageio.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QLocale>
#include <QSaveFile>
#include <QStringList>

#include "document/io/completeness.h"
#include "document/io/pixelconvert.h"

namespace pixpad {

namespace {

QString nativePath(const QString& path) { return QDir::toNativeSeparators(path); }

QString openError(const QString& path, const QString& reason)
{
    return QObject::tr("Cannot open %1: %2").arg(nativePath(path), reason);
}

QString sizeText(long long w, long long h) { return QStringLiteral("%1 \u00d7 %2").arg(w).arg(h); }

// The reason a picture of w x h can't be a document, or empty when it can.
QString sizeProblem(long long w, long long h)
{
    if (w <= 0 || h <= 0)
        return QObject::tr("the picture claims a size of %1 pixels, which holds no pixels.").arg(sizeText(w, h));
    if (w > kMaxPictureSide || h > kMaxPictureSide)
        return QObject::tr("the picture is %1 pixels; Pixpad opens pictures up to %2 pixels wide and high.")
            .arg(sizeText(w, h)).arg(kMaxPictureSide);
    if (w * h > kMaxPicturePixels)
        return QObject::tr("the picture is %1 pixels, more than the %2 pixels (16384 \u00d7 16384) Pixpad can hold.")
            .arg(sizeText(w, h), QLocale::c().toString(kMaxPicturePixels));
    return {};
}

// Qt's readers report some damage only as a logged warning (the JPEG reader's
// "Premature end of JPEG file" comes with a picture whose missing part is
// grey). While a file is decoded, messages logged on the decoding thread are
// collected instead of printed; messages of other threads pass through.
thread_local QStringList* tCapture = nullptr;
QtMessageHandler gPreviousHandler = nullptr;

void captureHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (tCapture) {
        tCapture->append(message);
        return;
    }
    if (gPreviousHandler)
        gPreviousHandler(type, context, message);
    else
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

class WarningCapture {
public:
    explicit WarningCapture(QStringList& sink)
    {
        gPreviousHandler = qInstallMessageHandler(captureHandler);
        tCapture = &sink;
    }
    ~WarningCapture()
    {
        tCapture = nullptr;
        qInstallMessageHandler(gPreviousHandler);
    }
    WarningCapture(const WarningCapture&) = delete;
    WarningCapture& operator=(const WarningCapture&) = delete;
};

// Warnings that mean part of the picture was never decoded. "Extraneous bytes
// before marker" is left out on purpose: it is common in camera files whose
// picture is complete, and other viewers open them without complaint.
QString damageWarning(const QStringList& messages)
{
    for (const QString& m : messages) {
        if (m.contains(QLatin1String("extraneous bytes"), Qt::CaseInsensitive))
            continue;
        if (m.contains(QLatin1String("Premature end"), Qt::CaseInsensitive)
            || m.contains(QLatin1String("Corrupt JPEG data"), Qt::CaseInsensitive)
            || m.contains(QLatin1String("truncated"), Qt::CaseInsensitive))
            return m;
    }
    return {};
}

// QImageReader's allocation limit is process-wide, so it is set for the one
// decode and put back afterwards. The limit is what the reported size needs at
// 8 bytes a pixel (16 bits a channel, the widest format the usual readers
// produce), rounded up to whole MiB: a file can't make the decoder allocate
// more than its checked header allows. Without a reported size the budget's
// own 4 bytes a pixel (1 GiB) is the limit.
class AllocationLimit {
public:
    AllocationLimit() : previous_(QImageReader::allocationLimit()) { setFor(QSize()); }
    ~AllocationLimit() { QImageReader::setAllocationLimit(previous_); }
    void setFor(QSize size)
    {
        constexpr long long kMiB = 1024 * 1024;
        const long long bytes = size.isValid() ? static_cast<long long>(size.width()) * size.height() * 8
                                               : kMaxPicturePixels * 4;
        QImageReader::setAllocationLimit(static_cast<int>(std::max(1LL, (bytes + kMiB - 1) / kMiB)));
    }
    AllocationLimit(const AllocationLimit&) = delete;
    AllocationLimit& operator=(const AllocationLimit&) = delete;

private:
    int previous_;
};

// The message handler and the allocation limit are process-wide: one decode
// at a time.
std::mutex gDecodeMutex;

QString readerFailure(const QImageReader& reader)
{
    switch (reader.error()) {
    case QImageReader::FileNotFoundError:
        return QObject::tr("the file does not exist.");
    case QImageReader::DeviceError:
        return QObject::tr("the file can't be read (%1).").arg(reader.errorString());
    case QImageReader::UnsupportedFormatError:
        return QObject::tr("it is not a picture, or not in a format Pixpad reads (BMP, GIF, JPEG, PNG...).");
    case QImageReader::InvalidDataError:
    case QImageReader::UnknownError:
    default:
        return QObject::tr("the picture data is damaged or cut short (%1).").arg(reader.errorString());
    }
}

bool decode(const QString& path, Colour background, Surface& out, QString& error)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        error = openError(path, QObject::tr("the file does not exist."));
        return false;
    }
    if (info.isDir()) {
        error = openError(path, QObject::tr("it is a folder, not a picture file."));
        return false;
    }
    // Devices, pipes and sockets could block or never end.
    if (!info.isFile()) {
        error = openError(path, QObject::tr("it is not an ordinary file."));
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = openError(path, QObject::tr("the file can't be read (%1).").arg(file.errorString()));
        return false;
    }
    if (file.size() == 0) {
        error = openError(path, QObject::tr("the file is empty."));
        return false;
    }

    QFile probe(path);
    if (!probe.open(QIODevice::ReadOnly)) {
        error = openError(path, QObject::tr("the file can't be read (%1).").arg(probe.errorString()));
        return false;
    }

    std::lock_guard lock(gDecodeMutex);
    // Readers log what they find wrong even while only probing a header; the
    // messages are collected for the whole visit so none reaches the console.
    QStringList warnings;
    WarningCapture capture(warnings);
    QImageReader reader(&file);
    reader.setAutoTransform(true);
    if (!reader.canRead()) {
        error = openError(path, readerFailure(reader));
        return false;
    }
    const QByteArray format = reader.format();

    // The size is checked before the reader is asked for anything that
    // might allocate: first as the header states it, then as the reader
    // reports it for formats whose headers are not read here.
    const StatedSize stated = statedPictureSize(probe, format);
    if (stated.known) {
        const QString problem = sizeProblem(stated.width, stated.height);
        if (!problem.isEmpty()) {
            error = openError(path, problem);
            return false;
        }
    }
    QImage image;
    BmpChannelBits narrow;
    {
        // Until a size is known, the budget itself bounds what a reader may
        // allocate (the GIF reader decodes a frame just to report its size).
        AllocationLimit limit;
        QSize size;
        if (stated.known) {
            size = QSize(static_cast<int>(stated.width), static_cast<int>(stated.height));
        } else {
            size = reader.size();
            if (size.isValid()) {
                const QString problem = sizeProblem(size.width(), size.height());
                if (!problem.isEmpty()) {
                    error = openError(path, problem);
                    return false;
                }
            }
        }
        limit.setFor(size);
        const QString incomplete = checkPictureComplete(probe, format);
        if (!incomplete.isEmpty()) {
            error = openError(path, incomplete);
            return false;
        }
        narrow = bmpNarrowChannels(probe, format);
        image = reader.read();
    }
    if (image.isNull()) {
        error = openError(path, readerFailure(reader));
        return false;
    }
    const QString damage = damageWarning(warnings);
    if (!damage.isEmpty()) {
        error = openError(path, QObject::tr("the picture data is damaged or cut short (%1).").arg(damage));
        return false;
    }
    // A reader that reported no size in advance is held to the same limits now.
    const QString problem = sizeProblem(image.width(), image.height());
    if (!problem.isEmpty()) {
        error = openError(path, problem);
        return false;
    }

    try {
        imageToSurface(image, background, out);
        if (narrow.narrow)
            widenNarrowChannels(out, narrow.bits);
    } catch (const std::bad_alloc&) {
        error = openError(path, QObject::tr("there is not enough memory for a picture of %1 pixels.")
                                    .arg(sizeText(image.width(), image.height())));
        return false;
    }
    return true;
}

} // namespace

bool loadPictureFile(const QString& path, Colour background, Surface& out, QString& error)
{
    Surface picture;
    if (!decode(path, background, picture, error))
        return false;
    out = std::move(picture);
    return true;
}

bool openPicture(Document& doc, const QString& path, QString& error)
{
    Surface picture;
    if (!loadPictureFile(path, doc.Picture1.backColor(), picture, error))
        return false;
    doc.setOpenedPicture(std::move(picture));
    return true;
}

namespace {

QString saveError(const QString& path, const QString& reason)
{
    return QObject::tr("Cannot save %1: %2").arg(nativePath(path), reason);
}

// How a target is written. An ordinary file (or a new name) is replaced
// through a temporary file in the same folder, so a failed save leaves the
// old file whole. A character device or a pipe (/dev/null, a terminal, a
// FIFO another program reads) has no content to protect and can't be
// replaced: renaming over it would swap the device for a plain file, so it is
// written directly. Anything else that is not an ordinary file is refused.
enum class Target { Replace, Direct, Refuse };

Target targetKind(const QString& path, QString& error)
{
    const QFileInfo info(path);
    if (info.isDir()) {
        error = saveError(path, QObject::tr("a folder of that name is in the way."));
        return Target::Refuse;
    }
    if (info.exists() && !info.isFile()) {
        struct stat st {};
        if (::stat(QFile::encodeName(path).constData(), &st) == 0 && (S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode)))
            return Target::Direct;
        error = saveError(path, QObject::tr("it is not an ordinary file."));
        return Target::Refuse;
    }
    const QDir folder = info.absoluteDir();
    if (!folder.exists()) {
        error = saveError(path, QObject::tr("the folder %1 does not exist.").arg(nativePath(folder.path())));
        return Target::Refuse;
    }
    return Target::Replace;
}

// A short write is not an error by itself (the disk may fill up midway), so
// the rest is written again until it goes through or the system says why not.
bool writeAll(QIODevice& device, const char* data, qint64 size)
{
    while (size > 0) {
        const qint64 n = device.write(data, size);
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

QString writeFailure(const QString& path, const QIODevice& device)
{
    return saveError(path, QObject::tr("the file could not be written completely (%1); "
                                       "any earlier file of that name is unchanged.")
                               .arg(device.errorString()));
}

// Writes through `write(QIODevice&)`, which returns false when a write
// failed. The devices are unbuffered so that every write reaches the file
// system while its result is still looked at: with Qt's write buffer, a write
// that fails when commit() flushes the buffer can go unnoticed, and a full
// disk then leaves a cut file that was reported as saved.
template <class Write>
bool saveThrough(const QString& path, QString& error, Write&& write)
{
    const Target kind = targetKind(path, error);
    if (kind == Target::Refuse)
        return false;
    if (kind == Target::Direct) {
        QFile device(path);
        if (!device.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            error = saveError(path, QObject::tr("it can't be written (%1).").arg(device.errorString()));
            return false;
        }
        if (!write(device)) {
            error = saveError(path, QObject::tr("writing failed (%1).").arg(device.errorString()));
            return false;
        }
        return true;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        error = saveError(path, QObject::tr("the file can't be written (%1).").arg(file.errorString()));
        return false;
    }
    if (!write(file)) {
        error = writeFailure(path, file);
        file.cancelWriting(); // removes the temporary file; the target is untouched
        return false;
    }
    if (!file.commit()) {
        error = writeFailure(path, file);
        return false;
    }
    return true;
}

// Qt's PNG writer gives up on the first failed write by jumping out of
// libpng, which leaks the writer's row buffer and leaves only "Unknown error"
// as the reason. Between the writer and the file, this device passes every
// write through until one fails, then keeps quiet about it and drops the
// rest: the writer ends normally and the file keeps the system's reason.
class FailureLatch final : public QIODevice {
public:
    explicit FailureLatch(QIODevice& target) : target_(target) { open(QIODevice::WriteOnly | QIODevice::Unbuffered); }
    bool failed() const { return failed_; }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override
    {
        if (!failed_ && !writeAll(target_, data, size))
            failed_ = true;
        return size;
    }

private:
    QIODevice& target_;
    bool failed_ = false;
};

void putLe16(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void putLe32(uint8_t* p, uint32_t v)
{
    putLe16(p, v);
    putLe16(p + 2, v >> 16);
}

} // namespace

bool savePictureBmp(const Surface& picture, const QString& path, QString& error)
{
    if (picture.isEmpty()) {
        error = saveError(path, QObject::tr("there is no picture to save."));
        return false;
    }
    const int w = picture.width(), h = picture.height();
    const qint64 stride = (static_cast<qint64>(w) * 3 + 3) / 4 * 4;
    const qint64 imageBytes = stride * h;
    constexpr int kHeaderBytes = 14 + 40;
    if (imageBytes + kHeaderBytes > 0xFFFFFFFFLL) {
        error = saveError(path, QObject::tr("the picture is too large for a BMP file."));
        return false;
    }

    uint8_t header[kHeaderBytes] = {};
    header[0] = 'B';
    header[1] = 'M';
    putLe32(header + 2, static_cast<uint32_t>(kHeaderBytes + imageBytes));
    putLe32(header + 10, kHeaderBytes);
    putLe32(header + 14, 40);
    putLe32(header + 18, static_cast<uint32_t>(w));
    putLe32(header + 22, static_cast<uint32_t>(h)); // positive: rows run bottom-up
    putLe16(header + 26, 1);
    putLe16(header + 28, 24);
    putLe32(header + 30, 0); // BI_RGB
    putLe32(header + 34, static_cast<uint32_t>(imageBytes));
    putLe32(header + 38, 2835); // 72 dots per inch
    putLe32(header + 42, 2835);

    return saveThrough(path, error, [&](QIODevice& device) {
        if (!writeAll(device, reinterpret_cast<const char*>(header), kHeaderBytes))
            return false;
        // Rows go out in batches of about a MiB; the padding bytes stay zero.
        const int rowsPerChunk = static_cast<int>(std::max<qint64>(1, (1 << 20) / stride));
        std::vector<uint8_t> chunk(static_cast<std::size_t>(stride * std::min(rowsPerChunk, h)), 0);
        for (int y = h - 1; y >= 0;) {
            const int n = std::min(rowsPerChunk, y + 1);
            for (int i = 0; i < n; ++i)
                rowToBgr(picture.row(y - i), chunk.data() + i * stride, w);
            if (!writeAll(device, reinterpret_cast<const char*>(chunk.data()), stride * n))
                return false;
            y -= n;
        }
        return true;
    });
}

bool savePicturePng(const Surface& picture, const QString& path, QString& error)
{
    if (picture.isEmpty()) {
        error = saveError(path, QObject::tr("there is no picture to save."));
        return false;
    }
    const QImage image = surfaceToImage(picture);
    if (image.isNull()) {
        error = saveError(path, QObject::tr("there is not enough memory to prepare the picture."));
        return false;
    }
    return saveThrough(path, error, [&](QIODevice& device) {
        FailureLatch latch(device);
        QImageWriter writer(&latch, "png");
        return writer.write(image) && !latch.failed();
    });
}

} // namespace pixpad
