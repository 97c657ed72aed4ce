// The menu tree as data: names, captions, order, nesting and which items can
// be chosen.
#include <gtest/gtest.h>

#include <QMenu>
#include <QMenuBar>

#include "test_windowsupport.h"

namespace pixpad {
namespace {

// name:caption for an item, "-" after it when it can't be chosen, its
// submenu in braces.
QString describe(const QList<QAction*>& actions)
{
    QStringList parts;
    for (QAction* a : actions) {
        QString s = a->objectName() + QLatin1Char(':') + a->text();
        if (!a->isEnabled())
            s += QLatin1Char('-');
        if (!a->isVisible())
            s += QStringLiteral("(hidden)");
        if (a->menu())
            s += QLatin1Char('{') + describe(a->menu()->actions()) + QLatin1Char('}');
        parts << s;
    }
    return parts.join(QLatin1Char(','));
}

TEST(MenuBar, TreeMatchesTheCommandTable)
{
    uitest::Editor ed;
    const QString expected = QStringLiteral(
        "sf:File{oph:Open,Ssna:Save,exity:Exit},"
        "sd:Edit{undoe:Undo,bkcolors:BackColor,erdf:Resize,setas:Set As WallPaper-},"
        "op:Operation{inve:Invert,dsf:Flip horizont,sdfd:Flip Vertical,"
        "redd:Only{rer:Red,gree:Green,gh:Blue,gray:GrayScale},mas:Mask},"
        "esf:Process{embos:Embose,diffus:Diffuse,sharp:Sharpen,smoth:Smooth,sola:Solarize,"
        "rot:Rotate-,edged:Edge,histo:Histogram-,custom:Custom Filter},"
        "mnuabout:About");
    EXPECT_EQ(describe(ed.frame->menuBar()->actions()).toStdString(), expected.toStdString());

    // No shortcuts, check marks or separators anywhere.
    for (QAction* a : ed.form().findChildren<QAction*>()) {
        EXPECT_TRUE(a->shortcut().isEmpty()) << a->objectName().toStdString();
        EXPECT_FALSE(a->isCheckable());
        EXPECT_FALSE(a->isSeparator());
    }
}

TEST(MenuBar, SwitchedOffItemsRunNothingAndAboutRunsFromTheBar)
{
    uitest::Editor ed;
    const Surface picture = uitest::randomPicture(20, 10, 3);
    ASSERT_TRUE(ed.open(picture));
    // "Rotate" would clear the picture if its handler ran.
    for (const char* name : {"setas", "rot", "histo"}) {
        QAction* a = ed.action(name);
        ASSERT_NE(a, nullptr) << name;
        a->trigger();
    }
    EXPECT_TRUE(ed.doc().Picture1.samePixels(picture));
    EXPECT_TRUE(ed.doc().Picture2.samePixels(picture));

    // "About" is a top-level item without a submenu: triggering it shows the box.
    QAction* about = ed.action("mnuabout");
    ASSERT_EQ(about->menu(), nullptr);
    about->trigger();
    QWidget* box = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowTitle() == QStringLiteral("About"))
            box = w;
    ASSERT_NE(box, nullptr);
    box->close();
    QApplication::processEvents();
}

} // namespace
} // namespace pixpad
