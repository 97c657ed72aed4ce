#pragma once
// The custom filter dialog: 25 weight boxes, divisor, bias, 3 X 3 / 5 X 5.
// It only collects and validates; "Process" hands the settings to whoever
// listens (the image window), which runs the convolution after the dialog
// has closed.
#include <QWidget>

#include <array>
#include <cstdint>
#include <optional>

#include "filters/filtersettings.h"

class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace pixpad {

// The number a text box's text begins with, the way every box of the
// program is read: leading blanks, an optional sign, digits with an optional
// fraction and exponent ("12", "-5", "2.5", "1e3"). Text that doesn't begin
// with a number reads as 0 ("", "-", "x7"); whatever follows the number is
// ignored ("5-" is 5). Typing only ever produces digits and "-", but pasted
// text reaches the boxes unfiltered, hence the fraction and exponent.
double leadingNumber(const QString& text);

// leadingNumber rounded to the nearest 16-bit integer, halves to even; empty
// when the number lies outside -32768..32767 (a pasted "9e9" in the bias box).
std::optional<int16_t> boxValue16(const QString& text);

// The character code a key press types, as the key filters see it, or -1 for
// keys that type nothing (arrows, Home, Delete, Tab), which the filters leave
// alone. Ctrl with a letter types a control character (Ctrl+V is 22), so the
// filters swallow the clipboard shortcuts along with the other controls.
int typedCharacter(const QKeyEvent& event);

class Form3 : public QWidget {
    Q_OBJECT
public:
    // Modeless, owned by `owner` (the frame). Deletes itself when it closes
    // ("unload"), so every opening starts from the form's own values.
    explicit Form3(QWidget* owner);

    // Hides the 25 weight boxes, in index order; their texts stay.
    void hideall();

    // Weight box k = 5r + c holds Matrix[r][c].
    QLineEdit* weightBox(int k) const { return Text1[static_cast<size_t>(k)]; }

signals:
    // Emitted by "Process" after the dialog has closed.
    void processRequested(const pixpad::FilterSettings& settings);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

    // Every message of the dialog goes through here; tests capture it
    // instead of blocking on a message box.
    virtual void showMessage(const QString& text);

private:
    void Form_Load();
    void Option1_Click();
    void Option2_Click();
    // Key filters: KeyAscii is the typed character's code, set to 0 to
    // swallow it.
    void Text1_KeyPress(int& KeyAscii, int Index);
    void Text2_KeyPress(int& KeyAscii);
    void Text3_KeyPress(int& KeyAscii);
    void Command1_Click();
    void Command2_Click();

    // Reads one box into `out`; on a number out of range it says so, puts
    // the cursor into the box and returns false.
    bool readBox(QLineEdit* box, const QString& what, int16_t& out);

    std::array<QLineEdit*, 25> Text1{};
    QGroupBox* Frame1 = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QLineEdit* Text2 = nullptr;
    QLineEdit* Text3 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
};

} // namespace pixpad
