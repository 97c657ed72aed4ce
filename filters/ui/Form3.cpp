#include "filters/ui/Form3.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>

#include "app/twips.h"
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>

#include <string>

#include "document/int16.h"

namespace pixpad {

double leadingNumber(const QString& text)
{
    const int n = static_cast<int>(text.size());
    int i = 0;
    while (i < n && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    std::string num;
    if (i < n && (text[i] == u'-' || text[i] == u'+'))
        num += static_cast<char>(text[i++].unicode());
    auto isDigit = [&](int at) { return at < n && text[at] >= u'0' && text[at] <= u'9'; };
    bool digits = false;
    while (isDigit(i)) {
        num += static_cast<char>(text[i++].unicode());
        digits = true;
    }
    if (i < n && text[i] == u'.') {
        num += '.';
        ++i;
        while (isDigit(i)) {
            num += static_cast<char>(text[i++].unicode());
            digits = true;
        }
    }
    if (!digits)
        return 0.0;
    // An exponent counts only when digits follow it: "9e" is 9.
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        int j = i + 1;
        std::string exp = "e";
        if (j < n && (text[j] == u'-' || text[j] == u'+'))
            exp += static_cast<char>(text[j++].unicode());
        if (isDigit(j)) {
            while (isDigit(j))
                exp += static_cast<char>(text[j++].unicode());
            num += exp;
        }
    }
    // QString::toDouble always reads '.' as the decimal point (strtod would
    // follow the user's locale, which Qt installs), gives infinity past the
    // double range and 0 below it.
    return QString::fromLatin1(num.data(), static_cast<qsizetype>(num.size())).toDouble();
}

std::optional<int16_t> boxValue16(const QString& text)
{
    try {
        return toInt16(leadingNumber(text));
    } catch (const Overflow16&) {
        return std::nullopt;
    }
}

int typedCharacter(const QKeyEvent& event)
{
    const int key = event.key();
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Delete)
        return -1;
    const auto mods = event.modifiers();
    // Ctrl+Alt is AltGr on some keyboards and types ordinary characters.
    if ((mods & Qt::ControlModifier) && !(mods & Qt::AltModifier)) {
        if (key >= Qt::Key_A && key <= Qt::Key_Z)
            return key - Qt::Key_A + 1;
        if (key >= Qt::Key_At && key <= Qt::Key_Underscore)
            return key - Qt::Key_At;
    }
    const QString text = event.text();
    if (text.isEmpty())
        return -1;
    return text.at(0).unicode();
}

Form3::Form3(QWidget* owner) : QWidget(owner, Qt::Dialog)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Form3"));
    setFixedSize(px(4680), px(3195));
    setFont(designFont());

    for (int k = 0; k < 25; ++k) {
        auto* box = new QLineEdit(this);
        box->setObjectName(QStringLiteral("Text1_%1").arg(k));
        box->setMaxLength(2);
        box->installEventFilter(this);
        Text1[static_cast<size_t>(k)] = box;
    }
    // Only the first box has a design position; Form_Load lays out the grid
    // from it.
    place(Text1[0], 120, 120, 495, 375);

    Frame1 = new QGroupBox(QStringLiteral("Filter Size"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    place(Frame1, 2880, 480, 1575, 1455);
    Option1 = new QRadioButton(QStringLiteral("3 X 3"), Frame1);
    Option1->setObjectName(QStringLiteral("Option1"));
    place(Option1, 120, 360, 855, 255);
    Option2 = new QRadioButton(QStringLiteral("5 X 5"), Frame1);
    Option2->setObjectName(QStringLiteral("Option2"));
    place(Option2, 120, 840, 855, 255);

    Text2 = new QLineEdit(this);
    Text2->setObjectName(QStringLiteral("Text2"));
    Text2->setMaxLength(2);
    Text2->installEventFilter(this);
    place(Text2, 120, 2520, 735, 375);
    Text3 = new QLineEdit(this);
    Text3->setObjectName(QStringLiteral("Text3"));
    Text3->setMaxLength(3);
    Text3->installEventFilter(this);
    place(Text3, 1320, 2520, 735, 375);

    Label1 = new QLabel(QStringLiteral("Divide"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    place(Label1, 120, 2280, 450, 195);
    Label2 = new QLabel(QStringLiteral("Bias"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    place(Label2, 1320, 2280, 300, 195);

    Command1 = new QPushButton(QStringLiteral("Process"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    place(Command1, 3360, 2160, 1095, 375);
    Command2 = new QPushButton(QStringLiteral("Cancel"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    place(Command2, 3360, 2760, 1095, 375);
    // Enter in a weight box must not run the filter behind the user's back.
    for (QPushButton* b : {Command1, Command2}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }

    QWidget* previous = Text1[0];
    for (QWidget* w : std::initializer_list<QWidget*>{Text1[1], Text1[2], Text1[3], Text1[4], Text1[5],
             Text1[6], Text1[7], Text1[8], Text1[9], Text1[10], Text1[11], Text1[12], Text1[13],
             Text1[14], Text1[15], Text1[16], Text1[17], Text1[18], Text1[19], Text1[20], Text1[21],
             Text1[22], Text1[23], Text1[24], Option1, Option2, Text2, Text3, Command1, Command2}) {
        setTabOrder(previous, w);
        previous = w;
    }

    connect(Option1, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Option1_Click();
    });
    connect(Option2, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Option2_Click();
    });
    connect(Command1, &QPushButton::clicked, this, &Form3::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form3::Command2_Click);

    Form_Load();
}

void Form3::Form_Load()
{
    const QRect first = Text1[0]->geometry();
    const int W0 = first.width(), H0 = first.height(), L0 = first.x(), T0 = first.y();
    for (int r = 1; r <= 3; ++r)
        for (int c = 1; c <= 3; ++c)
            Text1[static_cast<size_t>(5 * r + c)]->setText(QStringLiteral("1"));
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 5; ++c)
            Text1[static_cast<size_t>(5 * r + c)]->setGeometry(c * W0 + L0, r * H0 + T0, W0, H0);
    // Selecting "3 X 3" runs Option1_Click through its toggled signal.
    Option1->setChecked(true);
}

void Form3::hideall()
{
    for (QLineEdit* box : Text1)
        box->setVisible(false);
}

void Form3::Option1_Click()
{
    hideall();
    for (int r = 1; r <= 3; ++r)
        for (int c = 1; c <= 3; ++c)
            Text1[static_cast<size_t>(5 * r + c)]->setVisible(true);
}

void Form3::Option2_Click()
{
    for (QLineEdit* box : Text1)
        box->setVisible(true);
}

void Form3::Text1_KeyPress(int& KeyAscii, int /*Index*/)
{
    if (KeyAscii == 8 || KeyAscii == '-')
        return;
    if (KeyAscii > '9' || KeyAscii < '0')
        KeyAscii = 0;
}

void Form3::Text2_KeyPress(int& KeyAscii)
{
    if (KeyAscii == 8)
        return;
    if (KeyAscii > '9' || KeyAscii < '0')
        KeyAscii = 0;
}

void Form3::Text3_KeyPress(int& KeyAscii)
{
    Text2_KeyPress(KeyAscii);
}

bool Form3::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const int code = typedCharacter(*static_cast<QKeyEvent*>(event));
    if (code < 0)
        return false;
    int KeyAscii = code;
    if (watched == Text2) {
        Text2_KeyPress(KeyAscii);
    } else if (watched == Text3) {
        Text3_KeyPress(KeyAscii);
    } else {
        for (int k = 0; k < 25; ++k)
            if (watched == Text1[static_cast<size_t>(k)])
                Text1_KeyPress(KeyAscii, k);
    }
    return KeyAscii == 0;
}

void Form3::showMessage(const QString& text)
{
    QMessageBox::warning(this, QStringLiteral("Custom Filter"), text);
}

bool Form3::readBox(QLineEdit* box, const QString& what, int16_t& out)
{
    if (const auto v = boxValue16(box->text())) {
        out = *v;
        return true;
    }
    showMessage(QStringLiteral("%1 must be a number from -32768 to 32767; \"%2\" is outside that range.")
                    .arg(what, box->text()));
    if (box->isVisible()) {
        box->setFocus();
        box->selectAll();
    }
    return false;
}

void Form3::Command1_Click()
{
    // Everything is read and checked before anything is handed on, so a box
    // that can't be read leaves the dialog open with nothing changed.
    FilterSettings s;
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 5; ++c)
            if (!readBox(Text1[static_cast<size_t>(5 * r + c)],
                         QStringLiteral("The weight in row %1, column %2").arg(r + 1).arg(c + 1),
                         s.Matrix[static_cast<size_t>(r)][static_cast<size_t>(c)]))
                return;
    if (!readBox(Text2, QStringLiteral("The divisor"), s.Divide))
        return;
    // An empty or zero divisor means "don't divide".
    if (s.Divide == 0)
        s.Divide = 1;
    if (!readBox(Text3, QStringLiteral("The bias"), s.Bias))
        return;
    s.HalfSize = Option1->isChecked() ? 1 : 2;

    // The filter runs after the dialog has gone. Deletion waits until the
    // listener has returned: a pass that spins an event loop (a message box)
    // must not find its sender deleted under it.
    setAttribute(Qt::WA_DeleteOnClose, false);
    close();
    QPointer<Form3> self(this);
    emit processRequested(s);
    if (self)
        self->deleteLater();
}

void Form3::Command2_Click()
{
    close();
}

} // namespace pixpad
