#pragma once
// The About box: a yellow window with one line of contact details. It has no
// owner, so the frame and the image window stay usable and it outlives Exit;
// there is only ever one.
#include <QWidget>

class QLabel;

namespace pixpad {

class About : public QWidget {
    Q_OBJECT
public:
    // Shows the About box, or brings the open one to the front.
    static About* showInstance();
    // The open About box, or null.
    static About* instance();

    QLabel* Label1 = nullptr;

    static const char* const kText;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    About();
};

} // namespace pixpad
