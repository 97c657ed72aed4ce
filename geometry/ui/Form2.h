#pragma once
// The angle dialog that stands beside the switched-off "Rotate" item. Nothing
// shows it and nothing reads it; it is kept so that a rotation, should one
// ever be offered, has its dialog.
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace pixpad {

class Form2 : public QDialog {
    Q_OBJECT
public:
    explicit Form2(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
};

} // namespace pixpad
