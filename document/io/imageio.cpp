#include "document/io/imageio.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>

namespace pixpad {

namespace {
QString nativePath(const QString& path) { return QDir::toNativeSeparators(path); }
} // namespace

bool loadPictureFile(const QString& path, Colour background, Surface& out, QString& error)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    QImage image = reader.read();
    if (image.isNull()) {
        error = QObject::tr("Cannot open %1: %2").arg(nativePath(path), reader.errorString());
        return false;
    }
    if (image.width() > kMaxPictureSide || image.height() > kMaxPictureSide) {
        error = QObject::tr("Cannot open %1: the picture is larger than %2 pixels.")
                    .arg(nativePath(path)).arg(kMaxPictureSide);
        return false;
    }
    if (image.hasAlphaChannel()) {
        QImage flat(image.size(), QImage::Format_RGB32);
        flat.fill(QColor(getred(background), getgreen(background), getblue(background)));
        // Compositing happens below via convertTo on the flattened copy.
        QImage src = image.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < src.height(); ++y) {
            const QRgb* s = reinterpret_cast<const QRgb*>(src.constScanLine(y));
            QRgb* d = reinterpret_cast<QRgb*>(flat.scanLine(y));
            for (int x = 0; x < src.width(); ++x)
                if (qAlpha(s[x]) != 0)
                    d[x] = s[x];
        }
        image = flat;
    }
    image = image.convertToFormat(QImage::Format_RGB32);
    Surface s(0, 0, background);
    s.setSizeUninitialised(image.width(), image.height());
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* src = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        uint32_t* dst = s.row(y);
        for (int x = 0; x < image.width(); ++x)
            dst[x] = static_cast<uint32_t>(composeColour(qRed(src[x]), qGreen(src[x]), qBlue(src[x])));
    }
    out = std::move(s);
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

static QImage toImage(const Surface& picture)
{
    QImage image(picture.width(), picture.height(), QImage::Format_RGB888);
    for (int y = 0; y < picture.height(); ++y) {
        uchar* d = image.scanLine(y);
        const uint32_t* s = picture.row(y);
        for (int x = 0; x < picture.width(); ++x) {
            d[3 * x] = static_cast<uchar>(s[x]);
            d[3 * x + 1] = static_cast<uchar>(s[x] >> 8);
            d[3 * x + 2] = static_cast<uchar>(s[x] >> 16);
        }
    }
    return image;
}

static bool saveAs(const Surface& picture, const QString& path, const char* format, QString& error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = QObject::tr("Cannot save %1: %2").arg(nativePath(path), file.errorString());
        return false;
    }
    QImageWriter writer(&file, format);
    if (!writer.write(toImage(picture))) {
        error = QObject::tr("Cannot save %1: %2").arg(nativePath(path), writer.errorString());
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        error = QObject::tr("Cannot save %1: %2").arg(nativePath(path), file.errorString());
        return false;
    }
    return true;
}

bool savePictureBmp(const Surface& picture, const QString& path, QString& error)
{
    return saveAs(picture, path, "bmp", error);
}

bool savePicturePng(const Surface& picture, const QString& path, QString& error)
{
    return saveAs(picture, path, "png", error);
}

} // namespace pixpad
