// Takes the README's screenshots from the real editor: the frame with the
// sample picture open (after "Smooth", so the border shows) and the custom
// filter dialog. Run under Xvfb by scripts/docs.sh.
//
//   pixpad_screenshots SAMPLE OUTDIR
#include <cstdio>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPixmap>
#include <QString>

#include "app/Form1.h"
#include "app/MDIForm1.h"

namespace {
void settle(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool save(QWidget* w, const QString& path)
{
    if (!w || !w->grab().save(path)) {
        std::fprintf(stderr, "pixpad_screenshots: could not write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: pixpad_screenshots SAMPLE OUTDIR\n");
        return 2;
    }
    const QString sample = QString::fromLocal8Bit(argv[1]);
    const QDir out(QString::fromLocal8Bit(argv[2]));

    pixpad::MDIForm1 frame;
    frame.show();
    settle(300);
    pixpad::Form1& form = frame.form1();
    if (!form.openFile(sample)) {
        std::fprintf(stderr, "pixpad_screenshots: could not open %s\n", argv[1]);
        return 1;
    }
    form.smoth_Click();
    settle(300);
    bool ok = save(&frame, out.filePath(QStringLiteral("editor.png")));

    form.custom_Click();
    settle(300);
    ok = save(form.customDialog(), out.filePath(QStringLiteral("custom-filter.png"))) && ok;
    return ok ? 0 : 1;
}
