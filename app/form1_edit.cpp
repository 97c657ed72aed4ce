// The "Edit" menu: Undo, BackColor, Resize and the switched-off wallpaper item.
#include <QMdiSubWindow>

#include "app/Form1.h"
#include "app/MDIForm1.h"
#include "geometry/geometry.h"
#include "geometry/ui/resizeDialog.h"

namespace pixpad {

void Form1::undoe_Click()
{
    if (passRunning_)
        return;
    runCommand([this] { doc.undo(); });
}

void Form1::bkcolors_Click()
{
    // Like the colour dialog the program always had, Cancel doesn't keep the
    // current colour: it applies the last colour chosen in the dialog, black
    // before the first choice.
    if (const auto chosen = chooseColour(lastChosenColour_))
        lastChosenColour_ = *chosen;
    setBackColor(lastChosenColour_);
}

void Form1::erdf_Click()
{
    if (passRunning_)
        return;
    if (resize_) {
        // A second "Resize" only brings the open dialog to the front.
        resize_->show();
        resize_->raise();
        resize_->activateWindow();
        return;
    }
    // With no picture there is no aspect ratio to tie the sizes with, and
    // nothing to resize.
    if (doc.ImageWidth == 0 || doc.ImageHeight == 0) {
        showMessage(tr("Open a picture first."));
        return;
    }
    resize_ = new resizeDialog(&frame_, doc.ImageWidth, doc.ImageHeight);
    connect(resize_, &resizeDialog::okRequested, this, [this](int w, int h) {
        if (passRunning_)
            return;
        // resizePicture lays the window out again through doc.relayout.
        runCommand([this, w, h] { resizePicture(doc, w, h); });
    });
    resize_->show();
}

void Form1::setas_Click()
{
    // The item is switched off for good. Setting the desktop wallpaper is
    // left to the desktop: this handler neither reads nor writes any file.
}

} // namespace pixpad
