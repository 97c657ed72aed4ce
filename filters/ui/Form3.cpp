#include "filters/ui/Form3.h"

namespace pixpad {
Form3::Form3(QWidget* owner) : QWidget(owner, Qt::Dialog)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Form3"));
}
} // namespace pixpad
