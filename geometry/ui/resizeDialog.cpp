#include "geometry/ui/resizeDialog.h"

namespace pixpad {
resizeDialog::resizeDialog(QWidget* owner, int, int) : QWidget(owner, Qt::Dialog)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Resize"));
}
} // namespace pixpad
