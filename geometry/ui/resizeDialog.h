#pragma once
// The resize dialog (the menu's "Resize"). The program calls this form
// `resize`; in C++ that name would hide QWidget::resize inside the class, so
// the class is resizeDialog.
//
// Where it differs from what a reader might assume:
// - "Ok" hands the size on and closes; the listener does the resizing.
// - Without a picture (height 0) there is no aspect ratio: the tie is cleared
//   and disabled, so nothing ever divides by a zero ratio.
// - A counterpart computed through the tie that exceeds 32767 (width 9999 of
//   a very tall picture) is shown as the whole number it is, so the user sees
//   why "Ok" then refuses it; one too large to be a size at all (only pasted
//   text gets there) clears the box. The 4-character limit applies to typing
//   only: a computed 5-digit counterpart is never cut short.
// - "Ok" accepts only sizes from 1 to 32767 each; anything else gets a message
//   and the dialog stays open.
#include <QWidget>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace pixpad {

class resizeDialog : public QWidget {
    Q_OBJECT
public:
    // Modeless, owned by `owner` (the frame), centred on it; reads the picture
    // size at load. Deletes itself when it closes ("unload").
    resizeDialog(QWidget* owner, int imageWidth, int imageHeight);

    // ImageWidth / ImageHeight in single precision; 0 without a picture.
    float aspectRatio() const { return AspectRatio; }

signals:
    // "Ok" with sizes the dialog has checked (1..32767 each). The listener
    // resizes the picture and lays it out; the dialog then closes itself.
    void okRequested(int width, int height);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

    // Every message of the dialog goes through here; tests capture it
    // instead of blocking on a message box.
    virtual void showMessage(const QString& text);

private:
    void Form_Load(int imageWidth, int imageHeight);
    // Key filter of both size boxes: KeyAscii is the typed character's code,
    // set to 0 to swallow it.
    void sizeKeyPress(QLineEdit* box, int& KeyAscii);
    void Text1_KeyUp();
    void Text2_KeyUp();
    void Command1_Click();
    void Command2_Click();

    bool tieUsable() const;
    // Reads a size box for "Ok": the rounded number, or a message and false.
    bool readSize(QLineEdit* box, const QString& what, int& out);

    float AspectRatio = 0.0f;
    bool placed = false;

    QGroupBox* Frame1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Text2 = nullptr;
    QLabel* Label4 = nullptr;
    QCheckBox* Check1 = nullptr;
    QLineEdit* Text3 = nullptr;
    QLabel* Label5 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
};

} // namespace pixpad
