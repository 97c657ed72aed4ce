// The "File" menu: Open, Save, Exit; and opening a dropped file.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

#include "app/Form1.h"
#include "app/MDIForm1.h"
#include "app/filedialogs.h"
#include "document/io/imageio.h"

namespace pixpad {

void Form1::oph_Click()
{
    if (passRunning_)
        return;
    const QString chosen = chooseOpenFile();
    if (chosen.isEmpty()) {
        // A cancelled dialog clears the name and nothing else.
        doc.FileName.clear();
        return;
    }
    openFile(chosen);
}

bool Form1::openFile(const QString& path)
{
    if (passRunning_)
        return false;
    const std::string previous = doc.FileName;
    doc.FileName = path.toStdString();
    QString error;
    bool opened = false;
    try {
        // Loads, sets ImageWidth and ImageHeight, and lays out through
        // doc.relayout (centerimage), which takes the undo copy. A refused
        // file leaves the document as it was.
        opened = openPicture(doc, path, error);
    } catch (const std::exception& e) {
        error = tr("Cannot open %1: %2").arg(path, QString::fromLocal8Bit(e.what()));
    }
    if (!opened) {
        // The name belongs to the picture shown, so it goes back too.
        doc.FileName = previous;
        showMessage(error);
        return false;
    }
    pictureChanged();
    return true;
}

void Form1::Ssna_Click()
{
    if (passRunning_)
        return;
    const QString chosen = chooseSaveFile();
    if (chosen.isEmpty())
        return;
    const QString path = chosen + kSaveExtension;
    // The dialog saw only the name as typed, so the question about replacing
    // a file is asked here, about the file that will really be written.
    if (QFileInfo::exists(path) && !confirmReplace(path))
        return;
    QString error;
    if (!savePictureBmp(doc.Picture1, path, error))
        showMessage(error.isEmpty() ? tr("Cannot save %1.").arg(path) : error);
}

void Form1::exity_Click()
{
    // No question about unsaved changes: Exit closes at once. During a pass the
    // frame waits for the pass to stop at its next row break.
    frame_.close();
}

namespace {

QString droppedFile(const QMimeData* mime)
{
    if (!mime || !mime->hasUrls() || mime->urls().size() != 1)
        return QString();
    const QUrl url = mime->urls().front();
    return url.isLocalFile() ? url.toLocalFile() : QString();
}

} // namespace

bool Form1::acceptsDrop(const QMimeData* mime) const
{
    return !passRunning_ && !droppedFile(mime).isEmpty();
}

bool Form1::openDropped(const QMimeData* mime)
{
    const QString path = droppedFile(mime);
    if (passRunning_ || path.isEmpty())
        return false;
    // Opened once the drop is over: a refused file shows a message box, which
    // must not run inside the drag-and-drop exchange.
    QMetaObject::invokeMethod(this, [this, path] { openFile(path); }, Qt::QueuedConnection);
    return true;
}

void Form1::dragEnterEvent(QDragEnterEvent* event)
{
    if (acceptsDrop(event->mimeData()))
        event->acceptProposedAction();
}

void Form1::dropEvent(QDropEvent* event)
{
    if (openDropped(event->mimeData()))
        event->acceptProposedAction();
}

} // namespace pixpad
