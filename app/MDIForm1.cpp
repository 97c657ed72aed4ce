#include "app/MDIForm1.h"

#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QImageReader>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPixmap>
#include <QScreen>

#include "app/Form1.h"
#include "app/filedialogs.h"
#include "document/int16.h"

namespace pixpad {

QIcon loadIcon(const QString& path)
{
    // Every image of the icon file, so the desktop can pick its size. Nothing
    // readable means no icon; start-up goes on without one.
    QIcon icon;
    QImageReader reader(path);
    do {
        const QImage image = reader.read();
        if (image.isNull())
            break;
        icon.addPixmap(QPixmap::fromImage(image));
    } while (reader.jumpToNextImage());
    if (icon.isNull())
        qWarning("pixpad: no icon: %s: %s", qPrintable(QDir::toNativeSeparators(path)),
                 qPrintable(reader.errorString()));
    return icon;
}

MDIForm1::MDIForm1(const StartupOptions& options)
{
    setWindowTitle(QStringLiteral("MDIForm1"));
    setAcceptDrops(true);
    mdi_ = new QMdiArea(this);
    mdi_->setObjectName(QStringLiteral("workspace"));
    // A picture larger than the screen makes the image window larger than the
    // workspace; scroll bars bring the rest into view.
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdi_);

    // 1. The icon, from the program's folder.
    const QString folder = options.iconFolder.isEmpty() ? programFolder() : options.iconFolder;
    icon_ = loadIcon(folder + QStringLiteral("/point04.ico"));
    if (!icon_.isNull())
        setWindowIcon(icon_);

    // 2. The screen, in 16 bits.
    QSize screen = options.screen.value_or(QSize());
    if (!options.screen) {
        if (const QScreen* primary = QGuiApplication::primaryScreen())
            screen = primary->size();
    }
    ScreenWidth = checked16(screen.width());
    ScreenHeight = checked16(screen.height());

    // 3. The image window; its Form_Initialize places the progress bar.
    form1_ = new Form1(*this);
    form1_->createMenus(menuBar());
    // Only a close button: the image window is neither minimised nor
    // maximised inside the frame.
    sub_ = mdi_->addSubWindow(form1_, Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                                          | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    sub_->setWindowTitle(QString());
    if (!icon_.isNull())
        sub_->setWindowIcon(icon_);
    form1_->setSubWindow(sub_);

    // 4. The frame: the screen less the border and the title, menu and task bars.
    resize(sub16(ScreenWidth, 8), sub16(ScreenHeight, 85));
    initialSize_ = size();

    // 5. The image window at the workspace's origin, the frame's size.
    sub_->move(0, 0);
    sub_->resize(width(), height());
    sub_->show();

    // 6. Maximised when it appears.
    setWindowState(windowState() | Qt::WindowMaximized);
}

MDIForm1::~MDIForm1() = default;

void MDIForm1::closeEvent(QCloseEvent* event)
{
    if (form1_->passRunning()) {
        // The pass is inside a row break below us on the stack; it stops at
        // its next row and then closes the frame.
        form1_->stopPassAndClose();
        event->ignore();
        return;
    }
    // The dialogs belong to the frame and go with it; the About box has no
    // owner and stays until it is closed itself.
    form1_->closeDialogs();
    event->accept();
}

void MDIForm1::dragEnterEvent(QDragEnterEvent* event)
{
    if (form1_->acceptsDrop(event->mimeData()))
        event->acceptProposedAction();
}

void MDIForm1::dropEvent(QDropEvent* event)
{
    if (form1_->openDropped(event->mimeData()))
        event->acceptProposedAction();
}

} // namespace pixpad
