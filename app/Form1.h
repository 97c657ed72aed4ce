#pragma once
// Form1: the image window. It owns the one document, shows Picture1, carries
// the menu bar (shown as the frame's) and holds every command's handler. The
// handlers are split by menu: form1_file.cpp, form1_edit.cpp,
// form1_process.cpp; the menu tree itself is the table in form1_menus.cpp.
#include <functional>
#include <optional>
#include <vector>

#include <QColor>
#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <QWidget>

#include "document/document.h"
#include "document/pixelpass.h"
#include "filters/ui/Form3.h"
#include "geometry/ui/resizeDialog.h"

class QAction;
class QMimeData;
class QMenuBar;
class QMdiSubWindow;

namespace pixpad {

class MDIForm1;
class PictureBox;
class ProgressBar;
struct MenuItemDef;

class Form1 : public QWidget, private PassObserver {
    Q_OBJECT
public:
    // Form_Initialize: the icon and the progress bar, which spans from x = 10
    // to x = ScreenWidth whatever the window's width.
    explicit Form1(MDIForm1& frame);
    ~Form1() override;

    Document doc;
    int16_t ImageLeft = 0;
    int16_t ImageTop = 0;

    ProgressBar* ProgressBar1 = nullptr;
    PictureBox* Picture2 = nullptr; // never shown
    PictureBox* Picture1 = nullptr;

    MDIForm1& frame() { return frame_; }
    // The MDI child window around this widget (set by the frame).
    QMdiSubWindow* subWindow() const { return window_; }
    void setSubWindow(QMdiSubWindow* w) { window_ = w; }

    // Builds the menu tree of form1_menus.cpp into the frame's menu bar.
    void createMenus(QMenuBar* bar);
    // The action of a menu item by its control name; null if there is none.
    QAction* action(const char* controlName) const;
    // The one place that decides which items can be chosen.
    void updateActions();

    // Lays the picture out around the screen's centre, then takes the undo
    // copy. Open and Resize reach it through doc.relayout.
    void centerimage();

    // The convolution with doc.filter (the custom filter dialog calls it).
    bool dofiltering();

    // Runs a pixel-pass command with the progress bar and the row breaks.
    // While it runs, every command that would change the document or the
    // filter settings is switched off. Returns false when the pass was
    // abandoned (the frame was closed) or the command refused to run.
    bool runPass(const std::function<bool(Document&)>& command);
    bool passRunning() const { return passRunning_; }
    // Closing the frame during a pass: the pass stops at its next row break
    // and the frame closes once it has returned.
    void stopPassAndClose();
    // Closes the dialogs the frame owns (the frame is going away).
    void closeDialogs();

    // How long the pass may go without repainting and processing messages.
    // Every row still sets the progress value; only the costly screen work is
    // spaced out so that a big picture isn't slowed by it. 0: every row.
    void setMessageInterval(int ms) { messageIntervalMs_ = ms; }

    // The colour the image window shows around the picture.
    QColor backColor() const;
    void setBackColor(const QColor& c);

    // Where the commands ask the user something. Tests replace them; by
    // default they show the Qt dialogs.
    std::function<QString()> chooseOpenFile;          // "" when cancelled
    std::function<QString()> chooseSaveFile;          // "" when cancelled
    std::function<bool(const QString& path)> confirmReplace;
    std::function<std::optional<QColor>(const QColor& initial)> chooseColour; // nullopt: cancelled
    std::function<void(const QString& text)> showMessage;

    // The dialogs of "Custom Filter" and "Resize" while they are open.
    Form3* customDialog() const { return form3_; }
    resizeDialog* resizeDialogWindow() const { return resize_; }

    // Opens `path` as if chosen in the Open dialog (used for a file named on
    // the command line or dropped on the window). False if it was refused.
    bool openFile(const QString& path);
    // A drop of one local file opens it (not while a pass runs).
    bool acceptsDrop(const QMimeData* mime) const;
    bool openDropped(const QMimeData* mime);

public slots:
    void oph_Click();
    void Ssna_Click();
    void exity_Click();
    void undoe_Click();
    void bkcolors_Click();
    void erdf_Click();
    void setas_Click();
    void inve_Click();
    void dsf_Click();
    void sdfd_Click();
    void rer_Click();
    void gree_Click();
    void gh_Click();
    void gray_Click();
    void mas_Click();
    void embos_Click();
    void diffus_Click();
    void sharp_Click();
    void smoth_Click();
    void sola_Click();
    void rot_Click();
    void edged_Click();
    void custom_Click();
    void mnuabout_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // PassObserver: the progress bar, the repaint of finished rows and the
    // message step.
    void passStarted(bool barAtZero) override;
    bool rowFinished(int y, float value) override;
    void passFinished() override;
    void flushPass(int rowsDone);

    // Runs a command that isn't a pass; its exception becomes a message.
    void runCommand(const std::function<void()>& command);
    // After a command: Picture1 follows its surface and repaints.
    void pictureChanged();
    void reportError(const std::exception& e);

    MDIForm1& frame_;
    QMdiSubWindow* window_ = nullptr;
    std::vector<std::pair<const MenuItemDef*, QAction*>> actions_;

    bool passRunning_ = false;
    bool closeAfterPass_ = false;
    int messageIntervalMs_ = 30;
    QElapsedTimer sinceFlush_;

    QColor lastChosenColour_{Qt::black};
    QPointer<Form3> form3_;
    QPointer<resizeDialog> resize_;
};

} // namespace pixpad
