#include "app/About.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPointer>

#include "app/Form1.h"
#include "app/twips.h"

namespace pixpad {

namespace {
QPointer<About> theAbout;
} // namespace

const char* const About::kText =
    "Pixpad, a small and fast picture editor. Questions, bug reports and ideas are "
    "welcome at pixpad-team@example.org or on the project page, example.org/pixpad.";

About::About() : QWidget(nullptr, Qt::Window)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("About"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(255, 255, 0));
    setPalette(pal);
    // The client area sits at a fixed place on the screen, whatever the frame.
    setGeometry(px(4605), px(3870), px(4170), px(3090));

    Label1 = new QLabel(QString::fromLatin1(kText), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(9.75);
    font.setWeight(QFont::Normal);
    // Where that face isn't installed, the nearest sans serif face stands in.
    font.setStyleHint(QFont::SansSerif);
    Label1->setFont(font);
    QPalette labelPal = Label1->palette();
    labelPal.setColor(QPalette::WindowText, QColor(0, 0, 0x40));
    Label1->setPalette(labelPal);
    Label1->setGeometry(px(240), px(1080), px(3855), px(1215));
}

void About::closeEvent(QCloseEvent* event)
{
    // Gone from now on, even before Qt deletes it: the next "About" makes a
    // fresh box rather than showing one that is about to be deleted.
    if (theAbout == this)
        theAbout = nullptr;
    QWidget::closeEvent(event);
}

About* About::instance() { return theAbout; }

About* About::showInstance()
{
    if (!theAbout)
        theAbout = new About;
    theAbout->show();
    theAbout->raise();
    theAbout->activateWindow();
    return theAbout;
}

void Form1::mnuabout_Click() { About::showInstance(); }

} // namespace pixpad
