#include "geometry/ui/Form2.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace pixpad {

namespace {
// Designed in twips, 15 a pixel.
QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(left / 15, top / 15, width / 15, height / 15);
}
} // namespace

Form2::Form2(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("Form2"));
    resize(2880 / 15, 1095 / 15);

    // Created in tab order.
    Label1 = new QLabel(QStringLiteral("Angle"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(twipsRect(120, 120, 495, 315));
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(twipsRect(840, 120, 1695, 315));
    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(twipsRect(480, 600, 855, 435));
    Command2 = new QPushButton(QStringLiteral("Cancel"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setGeometry(twipsRect(1680, 600, 855, 435));
    // The buttons do nothing: no handler was ever given to them.
    Command1->setAutoDefault(false);
    Command2->setAutoDefault(false);
}

} // namespace pixpad
