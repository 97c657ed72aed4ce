#pragma once
// A picture box: shows a Surface's pixels as they are, without copying them.
// While a pixel pass is still writing the lower rows from other threads, only
// the rows it has reported finished are read; the rest is painted in the
// box's background colour, which is what those rows hold once the pass has
// cleared them.
#include <climits>

#include <QWidget>

#include "document/surface.h"

namespace pixpad {

class PictureBox : public QWidget {
    Q_OBJECT
public:
    PictureBox(const Surface& surface, QWidget* parent);

    // "Sizes itself to the picture": call after anything replaced the pixels.
    void syncToSurface();

    // Rows [0, rows) may be read; everything below shows the background.
    void limitPaintedRows(int rows) { paintedRows_ = rows; }
    void paintAllRows() { paintedRows_ = INT_MAX; }
    int paintedRows() const { return paintedRows_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const Surface& surface_;
    int paintedRows_ = INT_MAX;
};

// 0x00BBGGRR to a QColor.
QColor toQColor(Colour c);
// A QColor to 0x00BBGGRR.
Colour fromQColor(const QColor& c);

} // namespace pixpad
