// The custom filter dialog driven through its real widgets on the offscreen
// platform: keys typed, buttons clicked, text pasted.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QLabel>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>

#include <cmath>
#include <random>
#include <vector>

#include "filters/ui/Form3.h"

using pixpad::FilterSettings;
using pixpad::Form3;

namespace {

class CapturingForm3 : public Form3 {
public:
    using Form3::Form3;
    QStringList messages;

protected:
    void showMessage(const QString& text) override { messages << text; }
};

// One open dialog with everything "Process" emits collected.
struct Opened {
    QPointer<CapturingForm3> dlg = new CapturingForm3(nullptr);
    std::vector<FilterSettings> emitted;
    std::vector<bool> visibleWhenEmitted;

    Opened()
    {
        QObject::connect(dlg, &Form3::processRequested, [this](const FilterSettings& s) {
            emitted.push_back(s);
            visibleWhenEmitted.push_back(dlg && dlg->isVisible());
        });
        dlg->show();
    }
    ~Opened() { delete dlg.data(); }

    template <class T = QLineEdit>
    T* get(const QString& name) const
    {
        T* w = dlg->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    QLineEdit* weight(int k) const { return get(QStringLiteral("Text1_%1").arg(k)); }
    void click(const QString& button) const { QTest::mouseClick(get<QAbstractButton>(button), Qt::LeftButton); }
    void retype(QLineEdit* box, const QString& keys) const
    {
        box->clear();
        QTest::keyClicks(box, keys);
    }
};

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

bool isCentre(int k)
{
    const int r = k / 5, c = k % 5;
    return r >= 1 && r <= 3 && c >= 1 && c <= 3;
}

QRect px(int l, int t, int w, int h)
{
    return QRect(l / 15, t / 15, w / 15, h / 15);
}

} // namespace

TEST(Form3Load, OpensLaidOutWithTheCentreOnesInTheThreeByThreeView)
{
    Opened o;
    EXPECT_EQ(o.dlg->size(), QSize(312, 213));
    QStringList tabOrder;
    // The grid touches box to box from (120, 120) twips, 495 x 375 each.
    for (int k = 0; k < 25; ++k) {
        EXPECT_EQ(o.weight(k)->geometry(), px(120 + (k % 5) * 495, 120 + (k / 5) * 375, 495, 375)) << k;
        EXPECT_EQ(o.weight(k)->text(), isCentre(k) ? "1" : "") << k;
        EXPECT_EQ(o.weight(k)->isVisible(), isCentre(k)) << k;
        EXPECT_EQ(o.weight(k)->maxLength(), 2);
        tabOrder << QStringLiteral("Text1_%1").arg(k);
    }
    EXPECT_EQ(o.get<QRadioButton>("Option2")->parentWidget()->objectName(), "Frame1");
    // Captions may widen their box to fit the desktop's font, never move it.
    const QRect option2 = o.get<QRadioButton>("Option2")->geometry();
    EXPECT_EQ(option2.topLeft(), px(120, 840, 855, 255).topLeft());
    EXPECT_GE(option2.width(), 855 / 15);
    const QRect label1 = o.get<QLabel>("Label1")->geometry();
    EXPECT_EQ(label1.topLeft(), px(120, 2280, 450, 195).topLeft());
    EXPECT_GE(label1.width(), o.get<QLabel>("Label1")->sizeHint().width()); // "Divide" is not cut
    EXPECT_EQ(o.get("Text3")->geometry(), px(1320, 2520, 735, 375));
    EXPECT_EQ(o.get<QPushButton>("Command2")->geometry(), px(3360, 2760, 1095, 375));
    EXPECT_TRUE(o.get<QRadioButton>("Option1")->isChecked());
    EXPECT_EQ(o.get("Text2")->text() + o.get("Text3")->text(), "");
    EXPECT_EQ(o.get("Text2")->maxLength(), 2);
    EXPECT_EQ(o.get("Text3")->maxLength(), 3);
    for (const char* b : {"Command1", "Command2"})
        EXPECT_FALSE(o.get<QPushButton>(b)->isDefault() || o.get<QPushButton>(b)->autoDefault());

    tabOrder << "Option1" << "Option2" << "Text2" << "Text3" << "Command1" << "Command2";
    QStringList chain;
    QWidget* w = o.weight(0);
    do {
        if ((w->focusPolicy() & Qt::TabFocus) && w != o.dlg)
            chain << w->objectName();
        w = w->nextInFocusChain();
    } while (w != o.weight(0));
    EXPECT_EQ(chain, tabOrder);
}

TEST(Form3Keys, WeightsTakeDigitsAndMinusDivisorAndBiasOnlyDigits)
{
    Opened o;
    o.click("Option2");
    QApplication::clipboard()->setText("42");
    // The same Ctrl+V pastes into a box without the filter, so the checks
    // below really see the filter at work.
    QLineEdit plain;
    QTest::keyClick(&plain, Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(plain.text(), "42");

    std::vector<QLineEdit*> boxes;
    for (int k = 0; k < 25; ++k)
        boxes.push_back(o.weight(k));
    boxes.push_back(o.get("Text2"));
    boxes.push_back(o.get("Text3"));
    for (size_t i = 0; i < boxes.size(); ++i) {
        const bool weight = i < 25;
        QLineEdit* box = boxes[i];
        o.retype(box, "a. X,+\t-");
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Return);
        EXPECT_EQ(box->text(), weight ? "-" : "") << i;
        o.retype(box, "7x-");
        EXPECT_EQ(box->text(), weight ? "7-" : "7") << i;
        QTest::keyClick(box, Qt::Key_Backspace);
        EXPECT_EQ(box->text(), weight ? "7" : "") << i;
        // Keys that type nothing are not the filter's business.
        o.retype(box, "12");
        QTest::keyClick(box, Qt::Key_Home);
        QTest::keyClick(box, Qt::Key_Delete);
        EXPECT_EQ(box->text(), "2") << i;
    }
    EXPECT_TRUE(o.emitted.empty());
}

TEST(Form3Reading, LeadingNumberAgreesWithAPatternModel)
{
    // Fixed cases pin the rules the program states.
    EXPECT_EQ(pixpad::leadingNumber(""), 0.0);
    EXPECT_EQ(pixpad::leadingNumber("-"), 0.0);
    EXPECT_EQ(pixpad::leadingNumber("5-"), 5.0);
    EXPECT_EQ(pixpad::leadingNumber("-5"), -5.0);
    EXPECT_EQ(pixpad::leadingNumber("07"), 7.0);
    EXPECT_EQ(pixpad::leadingNumber("x7"), 0.0);
    EXPECT_EQ(pixpad::boxValue16("2.5"), 2);
    EXPECT_EQ(pixpad::boxValue16("3.5"), 4);
    EXPECT_EQ(pixpad::boxValue16("-32768"), -32768);
    EXPECT_EQ(pixpad::boxValue16("32767"), 32767);
    EXPECT_EQ(pixpad::boxValue16("32768"), std::nullopt);
    EXPECT_EQ(pixpad::boxValue16("9e9"), std::nullopt);
    EXPECT_EQ(pixpad::boxValue16("-32768.5"), -32768);
    EXPECT_EQ(pixpad::boxValue16("32767.5"), std::nullopt);
    EXPECT_EQ(pixpad::boxValue16("1e999"), std::nullopt);
    EXPECT_EQ(pixpad::boxValue16("-1e999"), std::nullopt);
    EXPECT_EQ(pixpad::boxValue16("1e-999"), 0);

    // Random texts from the characters that can reach a box, against a
    // regular expression for "the number the text begins with".
    const QRegularExpression model(R"(^[ \t]*([+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?))");
    const QString alphabet = "0123456789-+.eE x";
    std::mt19937 rng(4);
    for (int i = 0; i < 20000; ++i) {
        QString text;
        const int len = static_cast<int>(rng() % 7);
        for (int j = 0; j < len; ++j)
            text += alphabet[static_cast<int>(rng() % alphabet.size())];
        const auto m = model.match(text);
        const double expected = m.hasMatch() ? m.captured(1).toDouble() : 0.0;
        ASSERT_EQ(pixpad::leadingNumber(text), expected) << text.toStdString();
        const auto v16 = pixpad::boxValue16(text);
        const double r = std::nearbyint(expected); // default rounding mode: halves to even
        if (r >= -32768 && r <= 32767)
            ASSERT_EQ(v16, static_cast<int16_t>(r)) << text.toStdString();
        else
            ASSERT_EQ(v16, std::nullopt) << text.toStdString();
    }
}

TEST(Form3Views, SwitchingShowsAndHidesButKeepsTexts)
{
    Opened o;
    o.click("Option2");
    o.retype(o.weight(0), "-3");
    o.retype(o.weight(12), "5");
    auto visible = [&] {
        QString v;
        for (int k = 0; k < 25; ++k)
            v += o.weight(k)->isVisible() ? '1' : '0';
        return v;
    };
    EXPECT_EQ(visible(), QString(25, '1'));
    o.click("Option1");
    EXPECT_EQ(visible(), "0000001110011100111000000");
    o.dlg->hideall();
    EXPECT_EQ(visible(), QString(25, '0'));
    o.click("Option2");
    EXPECT_EQ(visible(), QString(25, '1'));
    EXPECT_EQ(o.weight(0)->text(), "-3");
    EXPECT_EQ(o.weight(12)->text(), "5");
}

TEST(Form3Process, UntouchedDialogGivesTheCentreOnesDivisorOneBiasZero)
{
    Opened o;
    o.click("Command1");
    ASSERT_EQ(o.emitted.size(), 1u);
    const FilterSettings& s = o.emitted[0];
    for (int k = 0; k < 25; ++k)
        EXPECT_EQ(s.Matrix[k / 5][k % 5], isCentre(k) ? 1 : 0) << k;
    EXPECT_EQ(s.Divide, 1);
    EXPECT_EQ(s.Bias, 0);
    EXPECT_EQ(s.HalfSize, 1);
}

TEST(Form3Process, CopiesEveryBoxHiddenOrNotAndClosesFirst)
{
    std::mt19937 rng(7);
    const QStringList typed = {"", "-", "5-", "-5", "07", "99", "-9", "0", "1", "--", "3"};
    for (int round = 0; round < 12; ++round) {
        Opened o;
        o.click("Option2");
        QString texts[25];
        for (int k = 0; k < 25; ++k) {
            texts[k] = typed[static_cast<int>(rng() % typed.size())];
            o.retype(o.weight(k), texts[k]);
        }
        const QString divisor = QString::number(rng() % 100);
        const QString bias = QString::number(rng() % 1000);
        o.retype(o.get("Text2"), divisor);
        o.retype(o.get("Text3"), bias);
        const bool small = round % 2 == 0;
        if (small)
            o.click("Option1"); // the outer ring is hidden but still copied

        o.click("Command1");
        ASSERT_EQ(o.emitted.size(), 1u);
        EXPECT_FALSE(o.visibleWhenEmitted[0]) << "the dialog must be gone before the filter runs";
        const FilterSettings& s = o.emitted[0];
        for (int k = 0; k < 25; ++k) {
            // Typed weights are short: whole numbers at the start, "-" alone is 0.
            const auto m = QRegularExpression(R"(^-?\d+)").match(texts[k]);
            const int expected = m.hasMatch() ? m.captured().toInt() : 0;
            EXPECT_EQ(s.Matrix[k / 5][k % 5], expected) << k << " " << texts[k].toStdString();
        }
        EXPECT_EQ(s.Divide, divisor.toInt() == 0 ? 1 : divisor.toInt());
        EXPECT_EQ(s.Bias, bias.toInt());
        EXPECT_EQ(s.HalfSize, small ? 1 : 2);

        ASSERT_FALSE(o.dlg.isNull()) << "deleted while still inside its own click";
        flushDeletes();
        EXPECT_TRUE(o.dlg.isNull()) << "closing unloads the dialog";
    }
}

TEST(Form3Process, PastedNumberOutOfRangeIsRefusedWithTheDialogOpen)
{
    Opened o;
    QLineEdit* bias = o.get("Text3");
    // Pasting isn't typing: the key filter never sees it.
    QApplication::clipboard()->setText("9e9");
    bias->clear();
    bias->paste();
    ASSERT_EQ(bias->text(), "9e9");

    o.click("Command1");
    EXPECT_TRUE(o.emitted.empty());
    ASSERT_EQ(o.dlg->messages.size(), 1);
    EXPECT_TRUE(o.dlg->messages[0].contains("bias")) << o.dlg->messages[0].toStdString();
    EXPECT_TRUE(o.dlg->messages[0].contains("32767"));
    EXPECT_TRUE(o.dlg->isVisible());
    flushDeletes();
    ASSERT_FALSE(o.dlg.isNull());

    // Pasted text in range is read like typed text; the length limit still
    // cuts it.
    QApplication::clipboard()->setText("-7");
    o.get("Text2")->paste();
    QApplication::clipboard()->setText("12345");
    bias->clear();
    bias->paste();
    EXPECT_EQ(bias->text(), "123");
    o.click("Command1");
    ASSERT_EQ(o.emitted.size(), 1u);
    EXPECT_EQ(o.emitted[0].Divide, -7);
    EXPECT_EQ(o.emitted[0].Bias, 123);
    EXPECT_EQ(o.dlg->messages.size(), 1);
}

TEST(Form3Cancel, ClosesWithoutSettingsAndTheNextOpeningStartsAfresh)
{
    for (bool button : {true, false}) {
        Opened o;
        o.click("Option2");
        o.retype(o.weight(0), "9");
        if (button)
            o.click("Command2");
        else
            o.dlg->close(); // the window's own close button
        EXPECT_TRUE(o.emitted.empty());
        flushDeletes();
        EXPECT_TRUE(o.dlg.isNull());
    }
    Opened again;
    EXPECT_EQ(again.weight(0)->text(), "");
    EXPECT_TRUE(again.get<QRadioButton>("Option1")->isChecked());
}
