// Times every command through the real editor window (the menu handler, the
// progress bar, the repaints and the message steps, then the repaint that
// shows the result) beside the same command on a bare document, as
// pixpad-batch runs it. Runs on Qt's offscreen platform unless told otherwise.
//
//   pixpad_bench_gui [--size WxH] [--repeat N] [--threads N] [--only NAME]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <QApplication>
#include <QTemporaryDir>

#include "app/Form1.h"
#include "app/MDIForm1.h"
#include "app/PictureBox.h"
#include "bench/benchsupport.h"
#include "colour/colourops.h"
#include "document/workers.h"
#include "filters/filters.h"
#include "geometry/geometry.h"
#include "geometry/ui/resizeDialog.h"

using namespace pixpad;
using namespace pixpad::bench;

namespace {

struct Command {
    const char* name;
    void (Form1::*handler)();       // the menu item's handler; null: see below
    std::function<void(Document&)> bare;
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    int w = 6000, h = 4000, repeat = 5;
    std::string only;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString a = args.at(i);
        if (a == QLatin1String("--size") && i + 1 < args.size()) {
            if (std::sscanf(args.at(++i).toLatin1().constData(), "%dx%d", &w, &h) != 2 || w < 1 || h < 1) {
                std::fprintf(stderr, "bad size\n");
                return 2;
            }
        } else if (a == QLatin1String("--repeat") && i + 1 < args.size()) {
            repeat = std::max(1, args.at(++i).toInt());
        } else if (a == QLatin1String("--threads") && i + 1 < args.size()) {
            Workers::shared().setThreads(args.at(++i).toInt());
        } else if (a == QLatin1String("--only") && i + 1 < args.size()) {
            only = args.at(++i).toStdString();
        } else {
            std::fprintf(stderr, "usage: pixpad_bench_gui [--size WxH] [--repeat N] [--threads N] [--only NAME]\n");
            return 2;
        }
    }

    QTemporaryDir iconDir; // no icon: start-up looks for one there
    StartupOptions options;
    options.screen = QSize(1920, 1080);
    options.iconFolder = iconDir.path();
    MDIForm1 frame(options);
    frame.show();
    Form1& form = frame.form1();
    form.showMessage = [](const QString& text) { std::fprintf(stderr, "message: %s\n", qPrintable(text)); };
    QApplication::processEvents();

    const Surface picture = randomPicture(w, h);
    form.doc.setOpenedPicture(Surface(picture));
    Document bare;
    bare.setOpenedPicture(Surface(picture));
    QApplication::processEvents();

    // Both documents get the original picture back in the buffers they own,
    // so neither run pays for fresh memory; the window is laid out again and
    // has painted before the clock starts.
    auto restoreWindow = [&] {
        form.doc.Picture1.setPicture(picture);
        form.doc.ImageWidth = static_cast<int16_t>(w);
        form.doc.ImageHeight = static_cast<int16_t>(h);
        form.centerimage();
        QApplication::processEvents();
    };
    auto restoreBare = [&] {
        bare.Picture1.setPicture(picture);
        bare.ImageWidth = static_cast<int16_t>(w);
        bare.ImageHeight = static_cast<int16_t>(h);
        bare.takeUndoCopy();
    };

    const std::vector<Command> commands = {
        {"invert", &Form1::inve_Click, [](Document& d) { invert(d); }},
        {"red", &Form1::rer_Click, [](Document& d) { keepRed(d); }},
        {"green", &Form1::gree_Click, [](Document& d) { keepGreen(d); }},
        {"blue", &Form1::gh_Click, [](Document& d) { keepBlue(d); }},
        {"grayscale", &Form1::gray_Click, [](Document& d) { grayScale(d); }},
        {"mask", &Form1::mas_Click, [](Document& d) { mask(d); }},
        {"solarize", &Form1::sola_Click, [](Document& d) { solarize(d); }},
        {"flip-horizontal", &Form1::dsf_Click, [](Document& d) { flipHorizontal(d); }},
        {"flip-vertical", &Form1::sdfd_Click, [](Document& d) { flipVertical(d); }},
        {"smooth", &Form1::smoth_Click, [](Document& d) { smooth(d); }},
        {"edge", &Form1::edged_Click, [](Document& d) { edge(d); }},
        {"emboss", &Form1::embos_Click, [](Document& d) { emboss(d); }},
        {"sharpen", &Form1::sharp_Click, [](Document& d) { sharpen(d); }},
        {"diffuse", &Form1::diffus_Click, [](Document& d) { diffuse(d); }},
        {"custom 5x5", nullptr, [](Document& d) { dofiltering(d); }},
        {"resize 200%", nullptr, [w, h](Document& d) { resizePicture(d, 2 * w, 2 * h); }},
    };

    std::printf("%d x %d, %d thread(s), median of %d, window on a %d x %d screen (%s)\n", w, h,
                Workers::shared().threads(), repeat, options.screen->width(), options.screen->height(),
                qPrintable(QGuiApplication::platformName()));
    std::printf("%-16s %9s %9s %7s %6s\n", "command", "window ms", "bare ms", "ratio", "goal");
    bool allMet = true;
    for (const Command& c : commands) {
        if (!only.empty() && std::string(c.name).find(only) == std::string::npos)
            continue;
        const std::string name = c.name;
        if (name == "custom 5x5") {
            setCustom5x5(form.doc.filter);
            setCustom5x5(bare.filter);
        }
        std::function<void()> viaWindow;
        if (c.handler) {
            viaWindow = [&form, &c] {
                (form.*c.handler)();
                QApplication::processEvents(); // the repaint that shows the result
            };
        } else if (name == "custom 5x5") {
            viaWindow = [&form] {
                form.dofiltering();
                QApplication::processEvents();
            };
        } else {
            // "Resize": the dialog is open before the clock starts; its OK hands
            // the new size to the window.
            viaWindow = [&form, w, h] {
                if (!form.resizeDialogWindow())
                    form.erdf_Click();
                emit form.resizeDialogWindow()->okRequested(2 * w, 2 * h);
                QApplication::processEvents();
            };
        }
        const double windowMs = timeIt(repeat, restoreWindow, viaWindow);
        const double bareMs = timeIt(repeat, restoreBare, [&] { c.bare(bare); });
        const double ratio = windowMs / bareMs;
        allMet = allMet && ratio <= 1.3;
        std::printf("%-16s %9.2f %9.2f %7.2f %6.2f%s\n", c.name, windowMs, bareMs, ratio, 1.3,
                    ratio <= 1.3 ? "" : "  (over)");
        std::fflush(stdout);
    }
    form.closeDialogs();
    return allMet ? 0 : 1;
}
