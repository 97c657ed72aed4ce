#pragma once
// Window geometry is designed in twips, 1/1440 inch; at the 96 dots per inch
// the layouts were drawn for, that is 15 twips a pixel. Every designed
// position is a whole number of pixels.
#include <algorithm>

#include <QApplication>
#include <QCheckBox>
#include <QFont>
#include <QLabel>
#include <QRadioButton>
#include <QWidget>

namespace pixpad {

inline constexpr int kTwipsPerPixel = 15;

constexpr int px(int twips) { return twips / kTwipsPerPixel; }

// The dialogs were laid out for an 8-point system font; today's default
// desktop fonts are larger, so a form takes the desktop's face at 8 points.
inline QFont designFont()
{
    QFont f = QApplication::font();
    f.setPointSizeF(8.0);
    return f;
}

// Places a control at its designed position and size, given in twips. The
// designs assumed a small 8-point system font; a caption that this desktop's
// font can't fit in the designed box gets a box just large enough, rather
// than being cut off ("Divid", "Bia").
inline void place(QWidget* w, int left, int top, int width, int height)
{
    int wpx = px(width), hpx = px(height);
    if (qobject_cast<QLabel*>(w) || qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w)) {
        const QSize hint = w->sizeHint();
        wpx = std::max(wpx, hint.width());
        hpx = std::max(hpx, hint.height());
    }
    w->setGeometry(px(left), px(top), wpx, hpx);
}

} // namespace pixpad
