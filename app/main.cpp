#include <exception>
#include <memory>

#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>

#include "app/Form1.h"
#include "app/MDIForm1.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Pixpad"));
    // The program ends with its last window: an open About box keeps it
    // running after Exit.
    app.setQuitOnLastWindowClosed(true);

    std::unique_ptr<pixpad::MDIForm1> frame;
    try {
        frame = std::make_unique<pixpad::MDIForm1>();
    } catch (const std::exception& e) {
        // Only a screen wider or higher than 32767 pixels gets here.
        QMessageBox::critical(nullptr, QStringLiteral("Pixpad"), QString::fromLocal8Bit(e.what()));
        return 1;
    }
    frame->show();

    // A file named on the command line (a launcher's "open with") opens as if
    // chosen in the Open dialog, once the frame is on screen.
    const QStringList args = app.arguments();
    if (args.size() > 1) {
        const QString path = args.at(1);
        QTimer::singleShot(0, frame.get(), [&frame, path] { frame->form1().openFile(path); });
    }

    return app.exec();
}
