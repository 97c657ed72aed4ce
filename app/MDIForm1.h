#pragma once
// MDIForm1: the frame, a main window whose workspace holds the one image
// window Form1. Its constructor is the whole start-up: icon, screen size, the
// image window, the frame's size, the image window's place, maximised.
#include <cstdint>
#include <optional>

#include <QIcon>
#include <QMainWindow>
#include <QSize>
#include <QString>

class QMdiArea;
class QMdiSubWindow;

namespace pixpad {

class Form1;

struct StartupOptions {
    // The screen to lay out for; the primary screen's size when not given.
    std::optional<QSize> screen;
    // Where point04.ico is looked for; the program's folder when empty.
    QString iconFolder;
};

// The icon at `path`, or a null icon when the file is missing or isn't an
// icon Qt can read (the editor then starts without one).
QIcon loadIcon(const QString& path);

class MDIForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit MDIForm1(const StartupOptions& options = {});
    ~MDIForm1() override;

    // Measured once at start; a later change of resolution isn't noticed.
    int16_t ScreenWidth = 0;
    int16_t ScreenHeight = 0;

    Form1& form1() { return *form1_; }
    QMdiArea* workspace() const { return mdi_; }
    const QIcon& icon() const { return icon_; }

    // The frame's size as start-up set it, before it was maximised.
    QSize initialSize() const { return initialSize_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QIcon icon_;
    QMdiArea* mdi_ = nullptr;
    Form1* form1_ = nullptr;
    QMdiSubWindow* sub_ = nullptr;
    QSize initialSize_;
};

} // namespace pixpad
