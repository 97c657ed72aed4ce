#pragma once
// The custom filter dialog: 25 weight boxes, divisor, bias, 3 X 3 / 5 X 5.
// It only collects and validates; "Process" hands the settings to whoever
// listens (the image window), which runs the convolution after the dialog
// has closed.
#include <QWidget>

#include "filters/filtersettings.h"

namespace pixpad {

class Form3 : public QWidget {
    Q_OBJECT
public:
    // Modeless, owned by `owner` (the frame). Deletes itself when it closes
    // ("unload"), so every opening starts from the form's own values.
    explicit Form3(QWidget* owner);

signals:
    // Emitted by "Process" after the dialog has closed.
    void processRequested(const pixpad::FilterSettings& settings);
};

} // namespace pixpad
