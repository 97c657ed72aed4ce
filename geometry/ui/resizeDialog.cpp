#include "geometry/ui/resizeDialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>

#include "app/twips.h"
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

#include <cmath>

#include "document/int16.h"
#include "filters/ui/Form3.h" // leadingNumber, typedCharacter: every box reads and filters alike

namespace pixpad {

namespace {

QLabel* label(const QString& name, const QString& caption, QWidget* parent)
{
    auto* l = new QLabel(caption, parent);
    l->setObjectName(name);
    return l;
}

// The size boxes take at most 4 typed characters; the key filter enforces it
// rather than QLineEdit's maxLength, which would also cut a computed 5-digit
// counterpart ("13332") down to a wrong "1333".
constexpr int kTypedLimit = 4;

// A computed counterpart this large (only pasted text gets there) is no size
// at all; the box is cleared rather than filled with hundreds of digits.
constexpr double kShownLimit = 1e15;

QString counterpartText(double v)
{
    if (!std::isfinite(v) || std::fabs(v) >= kShownLimit)
        return QString();
    return QString::number(roundHalfEven(v) + 0.0, 'f', 0);
}

} // namespace

resizeDialog::resizeDialog(QWidget* owner, int imageWidth, int imageHeight)
    : QWidget(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Resize"));
    setFixedSize(px(4155), px(2745));
    setFont(designFont());

    Frame1 = new QGroupBox(QStringLiteral("New Size"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    place(Frame1, 120, 240, 3855, 1815);

    Label1 = label(QStringLiteral("Label1"), QStringLiteral("Width"), Frame1);
    place(Label1, 240, 240, 495, 255);
    Text1 = new QLineEdit(Frame1);
    Text1->setObjectName(QStringLiteral("Text1"));
    place(Text1, 960, 240, 1335, 375);
    Label3 = label(QStringLiteral("Label3"), QStringLiteral("Pixels"), Frame1);
    place(Label3, 2400, 360, 615, 255);
    Label2 = label(QStringLiteral("Label2"), QStringLiteral("Height"), Frame1);
    place(Label2, 240, 720, 495, 255);
    Text2 = new QLineEdit(Frame1);
    Text2->setObjectName(QStringLiteral("Text2"));
    place(Text2, 960, 720, 1335, 375);
    Label4 = label(QStringLiteral("Label4"), QStringLiteral("Pixels"), Frame1);
    place(Label4, 2400, 840, 495, 255);
    Check1 = new QCheckBox(QStringLiteral("Maintain Ascept Ratio"), Frame1);
    Check1->setObjectName(QStringLiteral("Check1"));
    place(Check1, 240, 1320, 1935, 255);
    Text3 = new QLineEdit(Frame1);
    Text3->setObjectName(QStringLiteral("Text3"));
    // The ratio only informs: nothing reads it back, so typing into it would
    // suggest an effect it can't have.
    Text3->setReadOnly(true);
    place(Text3, 2280, 1320, 615, 285);
    Label5 = label(QStringLiteral("Label5"), QStringLiteral("to 1"), Frame1);
    place(Label5, 3120, 1320, 375, 255);

    Command1 = new QPushButton(QStringLiteral("Ok"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    place(Command1, 360, 2160, 975, 375);
    Command2 = new QPushButton(QStringLiteral("Cancel"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    place(Command2, 1800, 2160, 975, 375);
    for (QPushButton* b : {Command1, Command2}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }

    setTabOrder(Text1, Text2);
    setTabOrder(Text2, Command1);
    setTabOrder(Command1, Command2);
    setTabOrder(Command2, Text3);
    setTabOrder(Text3, Check1);

    Text1->installEventFilter(this);
    Text2->installEventFilter(this);
    connect(Command1, &QPushButton::clicked, this, &resizeDialog::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &resizeDialog::Command2_Click);

    Form_Load(imageWidth, imageHeight);
}

void resizeDialog::Form_Load(int imageWidth, int imageHeight)
{
    Text1->setText(QString::number(imageWidth));
    Text2->setText(QString::number(imageHeight));
    Check1->setChecked(true);
    if (imageHeight != 0) {
        AspectRatio = static_cast<float>(static_cast<double>(imageWidth) / imageHeight);
        // Single precision shows at most 7 significant digits (640 x 480 is
        // 1.333333), in the user's decimal separator, never grouped.
        QLocale locale;
        locale.setNumberOptions(QLocale::OmitGroupSeparator);
        Text3->setText(locale.toString(static_cast<double>(AspectRatio), 'G', 7));
    }
    if (!tieUsable()) {
        // Without a picture there is no ratio to keep; a tie left on would
        // divide by zero at the first key.
        Check1->setChecked(false);
        Check1->setEnabled(false);
        Text3->clear();
    }
}

void resizeDialog::showEvent(QShowEvent* event)
{
    // Centred on the owner once, when first shown: only then are the window
    // frame's margins known, and later showings keep where the user moved it.
    if (!placed && parentWidget()) {
        placed = true;
        const QRect owner = parentWidget()->window()->frameGeometry();
        QRect frame = frameGeometry();
        frame.moveCenter(owner.center());
        move(frame.topLeft());
    }
    QWidget::showEvent(event);
}

bool resizeDialog::tieUsable() const
{
    return AspectRatio > 0.0f && std::isfinite(AspectRatio);
}

void resizeDialog::sizeKeyPress(QLineEdit* box, int& KeyAscii)
{
    if (KeyAscii == 8)
        return;
    if (KeyAscii > '9' || KeyAscii < '0') {
        KeyAscii = 0;
        return;
    }
    const auto kept = box->text().size() - box->selectedText().size();
    if (kept >= kTypedLimit)
        KeyAscii = 0;
}

// The "/" and "*" of the tie are double precision, with the ratio as it was
// stored in single precision; the result rounds half to even.
void resizeDialog::Text1_KeyUp()
{
    if (!Check1->isChecked() || !tieUsable())
        return;
    Text2->setText(counterpartText(leadingNumber(Text1->text()) / static_cast<double>(AspectRatio)));
}

void resizeDialog::Text2_KeyUp()
{
    if (!Check1->isChecked() || !tieUsable())
        return;
    Text1->setText(counterpartText(leadingNumber(Text2->text()) * static_cast<double>(AspectRatio)));
}

bool resizeDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != Text1 && watched != Text2)
        return QWidget::eventFilter(watched, event);
    auto* box = static_cast<QLineEdit*>(watched);
    if (event->type() == QEvent::KeyPress) {
        const int code = typedCharacter(*static_cast<QKeyEvent*>(event));
        if (code < 0)
            return false;
        int KeyAscii = code;
        sizeKeyPress(box, KeyAscii);
        return KeyAscii == 0;
    }
    if (event->type() == QEvent::KeyRelease) {
        if (box == Text1)
            Text1_KeyUp();
        else
            Text2_KeyUp();
    }
    return false;
}

void resizeDialog::showMessage(const QString& text)
{
    QMessageBox::warning(this, QStringLiteral("Resize"), text);
}

bool resizeDialog::readSize(QLineEdit* box, const QString& what, int& out)
{
    const double v = roundHalfEven(leadingNumber(box->text()));
    if (v >= 1.0 && v <= kInt16Max) {
        out = static_cast<int>(v);
        return true;
    }
    showMessage(QStringLiteral("The %1 must be a whole number of pixels from 1 to 32767.").arg(what));
    box->setFocus();
    box->selectAll();
    return false;
}

void resizeDialog::Command1_Click()
{
    int W = 0, H = 0;
    if (!readSize(Text1, QStringLiteral("width"), W) || !readSize(Text2, QStringLiteral("height"), H))
        return;
    QPointer<resizeDialog> self(this);
    emit okRequested(W, H);
    if (self)
        self->close();
}

void resizeDialog::Command2_Click()
{
    close();
}

} // namespace pixpad
