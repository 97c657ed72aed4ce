// The resize dialog driven through its real widgets on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QLineEdit>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <cmath>
#include <random>
#include <utility>
#include <vector>

#include "geometry/ui/resizeDialog.h"

using pixpad::resizeDialog;

namespace {

class CapturingResize : public resizeDialog {
public:
    using resizeDialog::resizeDialog;
    QStringList messages;

protected:
    void showMessage(const QString& text) override { messages << text; }
};

struct Opened {
    QPointer<CapturingResize> dlg;
    std::vector<std::pair<int, int>> emitted;

    Opened(int w, int h, QWidget* owner = nullptr) : dlg(new CapturingResize(owner, w, h))
    {
        QObject::connect(dlg, &resizeDialog::okRequested, [this](int W, int H) { emitted.emplace_back(W, H); });
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
    QLineEdit* width() const { return get("Text1"); }
    QLineEdit* height() const { return get("Text2"); }
    void click(const QString& button) const { QTest::mouseClick(get<QAbstractButton>(button), Qt::LeftButton); }
    void retype(QLineEdit* box, const QString& keys) const
    {
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClicks(box, keys);
    }
};

QRect px(int l, int t, int w, int h)
{
    return QRect(l / 15, t / 15, w / 15, h / 15);
}

// The tie's arithmetic written out plainly: double division or product by the
// single-precision ratio, rounded by the FPU's default half-to-even mode.
QString tied(int typed, int w, int h, bool fromWidth)
{
    const double ratio = static_cast<float>(static_cast<double>(w) / h);
    const double v = fromWidth ? typed / ratio : typed * ratio;
    return QString::number(static_cast<long long>(std::nearbyint(v)));
}

} // namespace

TEST(ResizeLayout, ControlsSitAtTheirTwipPositionsCentredOnTheOwner)
{
    QWidget owner;
    owner.setGeometry(100, 80, 800, 600);
    owner.show();
    Opened o(640, 480, &owner);
    EXPECT_EQ(o.dlg->windowTitle(), "Resize");
    EXPECT_EQ(o.dlg->size(), QSize(277, 183));
    EXPECT_FALSE(o.dlg->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(o.dlg->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(o.dlg->isWindow());
    const QPoint d = o.dlg->frameGeometry().center() - owner.frameGeometry().center();
    EXPECT_LE(d.manhattanLength(), 2) << d.x() << "," << d.y();

    EXPECT_EQ(o.get<QGroupBox>("Frame1")->geometry(), px(120, 240, 3855, 1815));
    EXPECT_EQ(o.width()->parentWidget()->objectName(), "Frame1");
    EXPECT_EQ(o.height()->geometry(), px(960, 720, 1335, 375));
    // A caption may widen its box to fit the desktop's font, never move it.
    EXPECT_EQ(o.get<QCheckBox>("Check1")->geometry().topLeft(), px(240, 1320, 1935, 255).topLeft());
    EXPECT_GE(o.get<QCheckBox>("Check1")->width(), 1935 / 15);
    EXPECT_EQ(o.get<QCheckBox>("Check1")->text(), "Maintain Ascept Ratio");
    EXPECT_EQ(o.get<QPushButton>("Command2")->geometry(), px(1800, 2160, 975, 375));

    QStringList chain;
    QWidget* w = o.width();
    do {
        if ((w->focusPolicy() & Qt::TabFocus) && w != o.dlg)
            chain << w->objectName();
        w = w->nextInFocusChain();
    } while (w != o.width());
    EXPECT_EQ(chain, (QStringList{"Text1", "Text2", "Command1", "Command2", "Text3", "Check1"}));
}

TEST(ResizeLoad, ShowsTheSizeAndTheRatioInSevenDigits)
{
    {
        Opened o(640, 480);
        EXPECT_EQ(o.width()->text(), "640");
        EXPECT_EQ(o.height()->text(), "480");
        EXPECT_EQ(o.get("Text3")->text(), "1.333333");
        EXPECT_TRUE(o.get<QCheckBox>("Check1")->isChecked());
        EXPECT_EQ(o.dlg->aspectRatio(), static_cast<float>(640.0 / 480.0));
    }
    {
        Opened o(200, 100);
        EXPECT_EQ(o.get("Text3")->text(), "2");
    }
    // Against printf's general format of the same single-precision number.
    std::mt19937 rng(11);
    const QString point = QLocale().decimalPoint();
    for (int i = 0; i < 300; ++i) {
        const int w = 1 + static_cast<int>(rng() % 32767), h = 1 + static_cast<int>(rng() % 32767);
        Opened o(w, h);
        const float ratio = static_cast<float>(static_cast<double>(w) / h);
        QString expected = QString::asprintf("%.7G", static_cast<double>(ratio));
        expected.replace(".", point);
        ASSERT_EQ(o.get("Text3")->text(), expected) << w << "x" << h;
    }
}

TEST(ResizeTie, StatedValuesAndHalvesToEven)
{
    Opened a(640, 480);
    a.retype(a.width(), "320");
    EXPECT_EQ(a.height()->text(), "240");
    a.retype(a.height(), "300");
    EXPECT_EQ(a.width()->text(), "400");

    Opened b(200, 100);
    const std::pair<const char*, const char*> halves[] = {{"1", "0"}, {"3", "2"}, {"5", "2"}, {"7", "4"}, {"9", "4"}};
    for (auto [w, h] : halves) {
        b.retype(b.width(), w);
        EXPECT_EQ(b.height()->text(), h) << w;
    }
    // From the height with ratio 0.5: 5 x 0.5 = 2.5 goes to 2.
    Opened c(100, 200);
    c.retype(c.height(), "5");
    EXPECT_EQ(c.width()->text(), "2");
    c.retype(c.height(), "7");
    EXPECT_EQ(c.width()->text(), "4");
    // The ratio is stored in single precision but the division and product are
    // double: 585 / 0.13333334f is 4387.4998, which float arithmetic would
    // round up to 4387.5 and then to 4388; 5 x 0.1f is 0.50000001, not a half.
    Opened d(2, 15);
    d.retype(d.width(), "585");
    EXPECT_EQ(d.height()->text(), "4387");
    Opened e(1, 10);
    e.retype(e.height(), "5");
    EXPECT_EQ(e.width()->text(), "1");
    // Emptying a box is a key too: its counterpart follows to 0.
    c.retype(c.height(), "");
    EXPECT_EQ(c.width()->text(), "0");
}

TEST(ResizeTie, RandomSizesAgreeWithThePlainArithmetic)
{
    std::mt19937 rng(3);
    for (int i = 0; i < 60; ++i) {
        const int w = 1 + static_cast<int>(rng() % 4000), h = 1 + static_cast<int>(rng() % 4000);
        Opened o(w, h);
        for (int j = 0; j < 4; ++j) {
            const int typed = static_cast<int>(rng() % 10000);
            const bool fromWidth = j % 2 == 0;
            o.retype(fromWidth ? o.width() : o.height(), QString::number(typed));
            ASSERT_EQ((fromWidth ? o.height() : o.width())->text(), tied(typed, w, h, fromWidth))
                << w << "x" << h << " typed " << typed << (fromWidth ? " as width" : " as height");
        }
    }
}

TEST(ResizeTie, ClearedTieLeavesTheBoxesIndependent)
{
    Opened o(640, 480);
    o.click("Check1");
    ASSERT_FALSE(o.get<QCheckBox>("Check1")->isChecked());
    o.retype(o.width(), "100");
    EXPECT_EQ(o.height()->text(), "480");
    o.retype(o.height(), "7");
    EXPECT_EQ(o.width()->text(), "100");
    o.click("Command1");
    ASSERT_EQ(o.emitted.size(), 1u);
    EXPECT_EQ(o.emitted[0], std::make_pair(100, 7));
}

TEST(ResizeTie, NoPictureMeansNoRatioToDivideBy)
{
    for (auto [w, h] : {std::pair{0, 0}, std::pair{0, 50}}) {
        Opened o(w, h);
        auto* tie = o.get<QCheckBox>("Check1");
        EXPECT_FALSE(tie->isChecked());
        EXPECT_FALSE(tie->isEnabled());
        EXPECT_EQ(o.get("Text3")->text(), "");
        o.retype(o.width(), "50");
        EXPECT_EQ(o.height()->text(), QString::number(h));
        o.retype(o.height(), "40");
        EXPECT_EQ(o.width()->text(), "50");
        o.click("Command1");
        EXPECT_EQ(o.emitted, (std::vector<std::pair<int, int>>{{50, 40}}));
    }
    Opened none(0, 0);
    none.click("Command1");
    EXPECT_TRUE(none.emitted.empty());
    EXPECT_EQ(none.dlg->messages.size(), 1);
}

TEST(ResizeTie, FiveDigitCounterpartsAreShownWholeAndOkJudgesThem)
{
    // 9999 high at 4:3 is 13332 wide: a valid size longer than what can be typed.
    Opened a(640, 480);
    a.retype(a.height(), "9999");
    EXPECT_EQ(a.width()->text(), "13332");
    a.click("Command1");
    EXPECT_EQ(a.emitted, (std::vector<std::pair<int, int>>{{13332, 9999}}));
    EXPECT_TRUE(a.dlg->messages.empty());

    // A very tall picture: width 9999 asks for a height past 32767.
    Opened b(100, 4000);
    b.retype(b.width(), "9999");
    EXPECT_EQ(b.height()->text(), tied(9999, 100, 4000, true));
    EXPECT_GT(b.height()->text().toLongLong(), 32767);
    b.click("Command1");
    EXPECT_TRUE(b.emitted.empty());
    ASSERT_EQ(b.dlg->messages.size(), 1);
    EXPECT_TRUE(b.dlg->messages[0].contains("height"));
    EXPECT_TRUE(b.dlg->isVisible());
}

TEST(ResizeKeys, OnlyDigitsAndBackspaceAndAtMostFourTyped)
{
    Opened o(640, 480);
    o.click("Check1"); // keep the counterpart from rewriting what is checked
    for (QLineEdit* box : {o.width(), o.height()}) {
        o.retype(box, "1a-.+ ,2");
        EXPECT_EQ(box->text(), "12");
        QTest::keyClick(box, Qt::Key_Backspace);
        EXPECT_EQ(box->text(), "1");
        QTest::keyClicks(box, "23456");
        EXPECT_EQ(box->text(), "1234");
        box->selectAll();
        QTest::keyClicks(box, "9");
        EXPECT_EQ(box->text(), "9");
        QTest::keyClick(box, Qt::Key_Home);
        QTest::keyClick(box, Qt::Key_Delete);
        EXPECT_EQ(box->text(), "");

        QApplication::clipboard()->setText("77");
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(box->text(), "");
    }
}

TEST(ResizeOk, RefusesSizesOutsideOneTo32767)
{
    for (const QString text : {"", "0", "40000", "-5", "0.4"}) {
        for (bool widthBox : {true, false}) {
            Opened o(640, 480);
            o.click("Check1");
            QLineEdit* box = widthBox ? o.width() : o.height();
            box->setText(text); // as pasted: the key filter never sees it
            o.click("Command1");
            EXPECT_TRUE(o.emitted.empty()) << text.toStdString();
            ASSERT_EQ(o.dlg->messages.size(), 1) << text.toStdString();
            EXPECT_TRUE(o.dlg->messages[0].contains(widthBox ? "width" : "height"));
            EXPECT_TRUE(o.dlg->isVisible());
        }
    }
}

TEST(ResizeOk, OkHandsOnTheSizeAndUnloadsCancelOnlyUnloads)
{
    for (bool ok : {true, false}) {
        Opened o(640, 480);
        o.retype(o.width(), "320");
        // A second "Resize" only raises the open dialog; it keeps its fields.
        o.dlg->raise();
        o.dlg->activateWindow();
        o.height()->setText("33.5"); // pasted fractions round half to even
        o.click(ok ? "Command1" : "Command2");
        const std::vector<std::pair<int, int>> expected = ok ? decltype(expected){{320, 34}} : decltype(expected){};
        EXPECT_EQ(o.emitted, expected);
        EXPECT_FALSE(o.dlg->isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(o.dlg.isNull());
    }
}
