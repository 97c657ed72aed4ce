#pragma once
// ProgressBar1: a progress bar whose value is the single-precision percentage
// the pixel pass gives. The float is kept as given; what is drawn is its
// whole part, brought up to date when the window next repaints.
#include <QProgressBar>

namespace pixpad {

class ProgressBar : public QProgressBar {
    Q_OBJECT
public:
    explicit ProgressBar(QWidget* parent);

    float Value() const { return value_; }
    // Stores the value; the drawn bar follows at the next syncDisplay().
    void setPassValue(float v);
    void syncDisplay();

signals:
    void passValueSet(float value);

private:
    float value_ = 0.0f;
};

} // namespace pixpad
