#include "geometry/ui/Form2.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/twips.h"

namespace pixpad {

Form2::Form2(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("Form2"));
    setFont(designFont());
    resize(px(2880), px(1095));

    // Created in tab order.
    Label1 = new QLabel(QStringLiteral("Angle"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    place(Label1, 120, 120, 495, 315);
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    place(Text1, 840, 120, 1695, 315);
    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    place(Command1, 480, 600, 855, 435);
    Command2 = new QPushButton(QStringLiteral("Cancel"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    place(Command2, 1680, 600, 855, 435);
    // The buttons do nothing: no handler was ever given to them.
    Command1->setAutoDefault(false);
    Command2->setAutoDefault(false);
}

} // namespace pixpad
