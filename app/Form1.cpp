#include "app/Form1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPalette>

#include "app/MDIForm1.h"
#include "app/PictureBox.h"
#include "app/ProgressBar.h"
#include "app/filedialogs.h"
#include "app/layout.h"
#include "document/int16.h"
#include "filters/ui/Form3.h"
#include "geometry/ui/resizeDialog.h"

namespace pixpad {

namespace {

// The image window starts in the colour of menu text, as the system draws it.
QColor menuTextColour() { return QApplication::palette("QMenu").color(QPalette::Active, QPalette::WindowText); }

} // namespace

Form1::Form1(MDIForm1& frame) : QWidget(nullptr), frame_(frame)
{
    if (!frame.icon().isNull())
        setWindowIcon(frame.icon());
    setWindowTitle(QString());
    setAutoFillBackground(true);
    setBackColor(menuTextColour());
    setAcceptDrops(true);

    // Created back to front: where they overlap, the picture lies above the bar.
    ProgressBar1 = new ProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->hide();
    ProgressBar1->setGeometry(10, 0, sub16(frame.ScreenWidth, 10), 25);

    Picture2 = new PictureBox(doc.Picture2, this);
    Picture2->setObjectName(QStringLiteral("Picture2"));
    Picture2->hide();

    Picture1 = new PictureBox(doc.Picture1, this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->move(0, 0);

    doc.relayout = [this] { centerimage(); };
    doc.observer = this;

    chooseOpenFile = [this] { return runOpenDialog(this); };
    chooseSaveFile = [this] { return runSaveDialog(this); };
    confirmReplace = [this](const QString& path) { return askReplace(this, path); };
    chooseColour = [this](const QColor& initial) { return runColourDialog(this, initial); };
    showMessage = [this](const QString& text) {
        QMessageBox::warning(&frame_, QStringLiteral("Pixpad"), text);
    };
}

Form1::~Form1()
{
    doc.observer = nullptr;
    doc.relayout = nullptr;
}

QColor Form1::backColor() const { return palette().color(QPalette::Window); }

void Form1::setBackColor(const QColor& c)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Window, c);
    setPalette(pal);
}

void Form1::centerimage()
{
    // w and h are Picture1's inner size, which is its picture's size.
    const double w = doc.Picture1.width();
    const double h = doc.Picture1.height();
    const ImageLayout l = computeLayout(frame_.ScreenWidth, frame_.ScreenHeight, w, h);
    ImageLeft = l.ImageLeft;
    ImageTop = l.ImageTop;
    QWidget* outer = window_ ? static_cast<QWidget*>(window_) : this;
    outer->move(0, 0);
    outer->resize(static_cast<int>(l.windowWidth), static_cast<int>(l.windowHeight));
    Picture1->move(ImageLeft, ImageTop);
    Picture1->paintAllRows();
    Picture1->syncToSurface();
    // Last, so that Undo returns to the picture as it was just laid out.
    doc.takeUndoCopy();
}

void Form1::reportError(const std::exception& e) { showMessage(QString::fromLocal8Bit(e.what())); }

void Form1::pictureChanged()
{
    Picture1->paintAllRows();
    Picture1->syncToSurface();
}

void Form1::runCommand(const std::function<void()>& command)
{
    try {
        command();
    } catch (const std::exception& e) {
        pictureChanged();
        reportError(e);
        return;
    }
    pictureChanged();
}

bool Form1::runPass(const std::function<bool(Document&)>& command)
{
    // The items are off during a pass; this also covers a dialog's signal or a
    // drop that arrives in a row break.
    if (passRunning_)
        return false;
    passRunning_ = true;
    updateActions();
    if (form3_)
        form3_->setEnabled(false);
    if (resize_)
        resize_->setEnabled(false);

    bool completed = false;
    try {
        completed = command(doc);
    } catch (const std::exception& e) {
        reportError(e);
    }

    passRunning_ = false;
    updateActions();
    if (form3_)
        form3_->setEnabled(true);
    if (resize_)
        resize_->setEnabled(true);
    pictureChanged();
    if (closeAfterPass_) {
        closeAfterPass_ = false;
        frame_.close();
    }
    return completed;
}

void Form1::stopPassAndClose() { closeAfterPass_ = true; }

void Form1::closeDialogs()
{
    if (form3_)
        form3_->close();
    if (resize_)
        resize_->close();
}

void Form1::passStarted(bool barAtZero)
{
    // Until a row is reported, none of the picture is read: the workers are
    // already writing it.
    Picture1->limitPaintedRows(0);
    ProgressBar1->show();
    if (barAtZero) {
        ProgressBar1->setPassValue(0.0f);
        ProgressBar1->syncDisplay();
    }
    sinceFlush_.start();
}

bool Form1::rowFinished(int y, float value)
{
    ProgressBar1->setPassValue(value);
    if (messageIntervalMs_ <= 0 || sinceFlush_.elapsed() >= messageIntervalMs_)
        flushPass(y + 1);
    return !closeAfterPass_;
}

void Form1::flushPass(int rowsDone)
{
    Picture1->limitPaintedRows(rowsDone);
    Picture1->update();
    ProgressBar1->syncDisplay();
    // The message step: the menus, dialogs and repaints get their turn.
    QCoreApplication::processEvents();
    sinceFlush_.restart();
}

void Form1::passFinished()
{
    Picture1->paintAllRows();
    Picture1->update();
    ProgressBar1->hide();
}

void Form1::closeEvent(QCloseEvent* event)
{
    // The image window holds the only document and the menu bar, so it never
    // goes on its own: its close button closes the frame, as Exit does.
    event->ignore();
    frame_.close();
}

} // namespace pixpad
