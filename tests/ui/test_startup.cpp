// Start-up: the icon, the screen size, the geometry of the frame, the image
// window and the progress bar, and what Picture1 shows.
#include <gtest/gtest.h>

#include <QFile>
#include <QGuiApplication>
#include <QImageWriter>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>

#include "app/PictureBox.h"
#include "app/ProgressBar.h"
#include "test_windowsupport.h"

namespace pixpad {
namespace {

TEST(Startup, GeometryForAGivenScreen)
{
    uitest::Editor ed(1024, 768);
    MDIForm1& frame = *ed.frame;
    Form1& f = ed.form();

    EXPECT_EQ(frame.ScreenWidth, 1024);
    EXPECT_EQ(frame.ScreenHeight, 768);
    EXPECT_EQ(frame.windowTitle(), QStringLiteral("MDIForm1"));

    // The bar spans x = 10 to x = ScreenWidth of the image window, hidden.
    EXPECT_EQ(f.ProgressBar1->geometry(), QRect(10, 0, 1014, 25));
    EXPECT_EQ(f.ProgressBar1->geometry().right() + 1, 1024);
    EXPECT_EQ(f.ProgressBar1->minimum(), 0);
    EXPECT_EQ(f.ProgressBar1->maximum(), 100);
    EXPECT_TRUE(f.ProgressBar1->isHidden());
    EXPECT_TRUE(f.Picture2->isHidden());

    // Frame sized before it is maximised; the image window at the workspace's
    // origin with the frame's outer size.
    EXPECT_EQ(frame.initialSize(), QSize(1016, 683));
    EXPECT_TRUE(frame.windowState() & Qt::WindowMaximized);
    EXPECT_EQ(f.subWindow()->geometry(), QRect(0, 0, 1016, 683));
    EXPECT_EQ(f.subWindow()->parentWidget(), frame.workspace()->viewport());
    EXPECT_TRUE(f.subWindow()->windowTitle().isEmpty());
    const Qt::WindowFlags flags = f.subWindow()->windowFlags();
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);

    // The image window's menus are the frame's menu bar.
    EXPECT_EQ(frame.menuBar()->actions().size(), 5);

    // Nothing opened yet: empty picture, no size.
    EXPECT_EQ(f.Picture1->size(), QSize(0, 0));
    EXPECT_EQ(ed.doc().ImageWidth, 0);
    EXPECT_EQ(ed.doc().ImageHeight, 0);

    frame.show();
    EXPECT_TRUE(frame.isMaximized());
    EXPECT_EQ(f.subWindow()->pos(), QPoint(0, 0));
    EXPECT_TRUE(f.ProgressBar1->isHidden());
}

TEST(Startup, ScreenSizeComesFromThePrimaryScreen)
{
    QTemporaryDir dir;
    StartupOptions o;
    o.iconFolder = dir.path();
    MDIForm1 frame(o);
    const QSize screen = QGuiApplication::primaryScreen()->size();
    EXPECT_EQ(frame.ScreenWidth, screen.width());
    EXPECT_EQ(frame.ScreenHeight, screen.height());
    EXPECT_EQ(frame.initialSize(), QSize(screen.width() - 8, screen.height() - 85));
}

TEST(Startup, IconIsLoadedWhenPresentAndItsAbsenceDoesNotStopStartup)
{
    // A readable icon is used by both windows.
    {
        QTemporaryDir dir;
        QImage img(32, 32, QImage::Format_ARGB32);
        img.fill(QColor(10, 200, 30));
        QImageWriter w(dir.filePath(QStringLiteral("point04.ico")), "ico");
        ASSERT_TRUE(w.write(img)) << w.errorString().toStdString();
        StartupOptions o;
        o.screen = QSize(800, 600);
        o.iconFolder = dir.path();
        MDIForm1 frame(o);
        EXPECT_FALSE(frame.windowIcon().isNull());
        EXPECT_FALSE(frame.form1().subWindow()->windowIcon().isNull());
        EXPECT_EQ(frame.windowIcon().pixmap(32, 32).toImage().pixelColor(16, 16), QColor(10, 200, 30));
    }
    // Missing, and present but not an icon: the editor starts without one.
    for (const bool garbage : {false, true}) {
        QTemporaryDir dir;
        if (garbage) {
            QFile f(dir.filePath(QStringLiteral("point04.ico")));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("this is not an icon at all");
        }
        StartupOptions o;
        o.screen = QSize(800, 600);
        o.iconFolder = dir.path();
        MDIForm1 frame(o);
        EXPECT_TRUE(frame.icon().isNull()) << garbage;
        EXPECT_EQ(frame.form1().ProgressBar1->width(), 790);
        frame.show();
        EXPECT_TRUE(frame.isVisible());
    }
}

TEST(Startup, Picture1ShowsTheSurfacePixelsOnScreen)
{
    uitest::Editor ed(1024, 768);
    Surface picture = uitest::randomPicture(37, 23, 5);
    // Distinct channels in known places, so a swapped channel shows.
    picture.row(0)[0] = 0x001E140A; // R 10, G 20, B 30
    picture.row(22)[36] = 0x00FF0000; // pure blue
    ASSERT_TRUE(ed.open(picture));
    ed.frame->show();
    const QImage shown = ed.form().Picture1->grab().toImage();
    ASSERT_EQ(shown.size(), QSize(37, 23));
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 37; ++x) {
            const Colour c = picture.row(y)[x];
            ASSERT_EQ(shown.pixelColor(x, y), QColor(getred(c), getgreen(c), getblue(c))) << x << "," << y;
        }
    EXPECT_EQ(shown.pixelColor(0, 0), QColor(10, 20, 30));
    EXPECT_EQ(shown.pixelColor(36, 22), QColor(0, 0, 255));
}

} // namespace
} // namespace pixpad
