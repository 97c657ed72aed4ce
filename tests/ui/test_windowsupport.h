#pragma once
// Helpers for the window tests: a frame laid out for a given screen, with the
// dialogs and message boxes replaced by recorders, and pictures made on the
// spot.
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QString>
#include <QTemporaryDir>

#include "app/Form1.h"
#include "app/MDIForm1.h"
#include "document/io/imageio.h"
#include "document/surface.h"
#include "tests/core/testsupport.h"

namespace pixpad::uitest {

inline Surface randomPicture(int w, int h, unsigned seed) { return pixpad::test::randomSurface(w, h, seed); }

// A frame on a screen of the given size, with an empty icon folder.
struct Editor {
    QTemporaryDir dir;
    std::unique_ptr<MDIForm1> frame;
    std::vector<QString> messages;

    explicit Editor(int screenW = 1024, int screenH = 768)
    {
        StartupOptions o;
        o.screen = QSize(screenW, screenH);
        o.iconFolder = dir.path();
        frame = std::make_unique<MDIForm1>(o);
        form().showMessage = [this](const QString& text) { messages.push_back(text); };
        form().chooseOpenFile = [] { return QString(); };
        form().chooseSaveFile = [] { return QString(); };
        form().confirmReplace = [](const QString&) { return false; };
        form().chooseColour = [](const QColor&) { return std::optional<QColor>(); };
    }
    ~Editor()
    {
        if (frame)
            form().closeDialogs();
    }

    Form1& form() { return frame->form1(); }
    Document& doc() { return form().doc; }
    QAction* action(const char* name) { return form().action(name); }

    QString path(const QString& name) const { return dir.filePath(name); }

    // Writes `picture` as a BMP in the test folder and opens it through "Open".
    bool open(const Surface& picture, const QString& name = QStringLiteral("in.bmp"))
    {
        QString error;
        const QString file = path(name);
        if (!savePictureBmp(picture, file, error))
            return false;
        form().chooseOpenFile = [file] { return file; };
        form().oph_Click();
        return doc().Picture1.samePixels(picture);
    }
};

} // namespace pixpad::uitest
