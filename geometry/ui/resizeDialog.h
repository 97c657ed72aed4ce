#pragma once
// The resize dialog (the menu's "Resize"). The program calls this form
// `resize`; in C++ that name would hide QWidget::resize inside the class, so
// the class is resizeDialog.
#include <QWidget>

namespace pixpad {

class resizeDialog : public QWidget {
    Q_OBJECT
public:
    // Modeless, owned by `owner` (the frame), centred on it; reads the picture
    // size at load. Deletes itself when it closes ("unload").
    resizeDialog(QWidget* owner, int imageWidth, int imageHeight);

signals:
    // "Ok" with sizes the dialog has checked (1..32767 each). The listener
    // resizes the picture and lays it out; the dialog then closes itself.
    void okRequested(int width, int height);
};

} // namespace pixpad
