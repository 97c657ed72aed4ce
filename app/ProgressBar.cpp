#include "app/ProgressBar.h"

namespace pixpad {

ProgressBar::ProgressBar(QWidget* parent) : QProgressBar(parent)
{
    setRange(0, 100);
    setTextVisible(false);
}

void ProgressBar::setPassValue(float v)
{
    value_ = v;
    emit passValueSet(v);
}

void ProgressBar::syncDisplay() { setValue(static_cast<int>(value_)); }

} // namespace pixpad
