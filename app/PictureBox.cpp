#include "app/PictureBox.h"

#include <algorithm>

#include <QImage>
#include <QPaintEvent>
#include <QPainter>

namespace pixpad {

QColor toQColor(Colour c) { return QColor(getred(c & 0xFFFFFF), getgreen(c & 0xFFFFFF), getblue(c & 0xFFFFFF)); }

Colour fromQColor(const QColor& c) { return composeColour(c.red(), c.green(), c.blue()); }

PictureBox::PictureBox(const Surface& surface, QWidget* parent) : QWidget(parent), surface_(surface)
{
    // Every pixel of the box is painted below, so Qt need not erase first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    syncToSurface();
}

void PictureBox::syncToSurface()
{
    resize(std::max(0, surface_.width()), std::max(0, surface_.height()));
    update();
}

void PictureBox::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    const QRect dirty = event->rect() & rect();
    const int rows = std::clamp(paintedRows_, 0, surface_.height());
    const QRect ready(0, 0, surface_.width(), rows);
    const QRect shown = dirty & ready;
    if (!shown.isEmpty()) {
        // The surface's words are 0x00BBGGRR; little-endian they lie in memory
        // as R, G, B, unused: exactly RGBX8888. The QImage only borrows the
        // rows, and is made anew on every paint because a command may have
        // swapped or reallocated the buffer since the last one.
        const QImage image(reinterpret_cast<const uchar*>(surface_.data()), surface_.width(), rows,
                           static_cast<qsizetype>(surface_.width()) * 4, QImage::Format_RGBX8888);
        p.drawImage(shown.topLeft(), image, shown);
    }
    const QRegion rest = QRegion(dirty) - QRegion(shown);
    const QColor back = toQColor(surface_.backColor());
    for (const QRect& r : rest)
        p.fillRect(r, back);
}

} // namespace pixpad
