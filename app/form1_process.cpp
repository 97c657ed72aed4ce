// The "Operation" and "Process" menus: the colour operations, the flips, the
// filters and the custom filter dialog.
#include "app/Form1.h"
#include "app/MDIForm1.h"
#include "colour/colourops.h"
#include "filters/filters.h"
#include "filters/ui/Form3.h"
#include "geometry/geometry.h"

namespace pixpad {

void Form1::inve_Click()
{
    if (passRunning_)
        return;
    runCommand([this] { invert(doc); });
}

void Form1::dsf_Click()
{
    if (passRunning_)
        return;
    runCommand([this] { flipHorizontal(doc); });
}

void Form1::sdfd_Click()
{
    if (passRunning_)
        return;
    runCommand([this] { flipVertical(doc); });
}

void Form1::rot_Click()
{
    if (passRunning_)
        return;
    runCommand([this] { rotateEntry(doc); });
}

void Form1::rer_Click() { runPass(pixpad::keepRed); }
void Form1::gree_Click() { runPass(pixpad::keepGreen); }
void Form1::gh_Click() { runPass(pixpad::keepBlue); }
void Form1::gray_Click() { runPass(pixpad::grayScale); }
void Form1::mas_Click() { runPass(pixpad::mask); }
void Form1::sola_Click() { runPass(pixpad::solarize); }
void Form1::embos_Click() { runPass(pixpad::emboss); }
void Form1::diffus_Click() { runPass(pixpad::diffuse); }
void Form1::sharp_Click() { runPass(pixpad::sharpen); }
void Form1::smoth_Click() { runPass(pixpad::smooth); }
void Form1::edged_Click() { runPass(pixpad::edge); }

bool Form1::dofiltering()
{
    return runPass([](Document& d) { return pixpad::dofiltering(d); });
}

void Form1::custom_Click()
{
    if (passRunning_)
        return;
    if (form3_) {
        form3_->show();
        form3_->raise();
        form3_->activateWindow();
        return;
    }
    form3_ = new Form3(&frame_);
    connect(form3_, &Form3::processRequested, this, [this](const FilterSettings& settings) {
        // The convolution reads the settings from other threads while it
        // runs, so they never change under a running pass.
        if (passRunning_)
            return;
        doc.filter = settings;
        dofiltering();
    });
    form3_->show();
}

} // namespace pixpad
