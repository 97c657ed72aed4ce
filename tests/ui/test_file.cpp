// Open and Save through the image window: the dialogs' settings, cancelling,
// refused files, the ".bmp" naming and the question before replacing a file.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QMdiSubWindow>

#include "app/PictureBox.h"
#include "app/filedialogs.h"
#include "test_windowsupport.h"

namespace pixpad {
namespace {

Surface readBack(const QString& path)
{
    Surface s;
    QString error;
    EXPECT_TRUE(loadPictureFile(path, 0, s, error)) << error.toStdString();
    return s;
}

TEST(FileDialogs, FiltersTitlesAndStartingFolder)
{
    EXPECT_EQ(qtNameFilters(QStringLiteral("*.bmp;*.gif;*;jpg")),
              QStringList{QStringLiteral("*.bmp;*.gif;*;jpg (*.bmp *.gif * jpg)")});
    EXPECT_EQ(qtNameFilters(QStringLiteral("BMP |*.bmp")), QStringList{QStringLiteral("BMP  (*.bmp)")});
    EXPECT_EQ(qtNameFilters(QStringLiteral("A|*.a;*.b|B|*.c")),
              (QStringList{QStringLiteral("A (*.a *.b)"), QStringLiteral("B (*.c)")}));

    auto open = makeOpenDialog(nullptr);
    EXPECT_EQ(open->windowTitle(), QStringLiteral("Open Image"));
    EXPECT_EQ(open->acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(QDir(open->directory()).canonicalPath(), QDir(programFolder()).canonicalPath());
    EXPECT_TRUE(open->testOption(QFileDialog::DontUseNativeDialog));
    // The list shows the filter exactly as written, one entry.
    auto* types = open->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(types, nullptr);
    ASSERT_EQ(types->count(), 1);
    EXPECT_EQ(types->itemText(0), QStringLiteral("*.bmp;*.gif;*;jpg"));

    auto save = makeSaveDialog(nullptr);
    EXPECT_EQ(save->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_TRUE(save->testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_TRUE(save->defaultSuffix().isEmpty());
    auto* saveTypes = save->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(saveTypes, nullptr);
    EXPECT_EQ(saveTypes->itemText(0), QStringLiteral("BMP"));
}

TEST(Open, OpensAFileCancelsAndRefusesWithoutChangingAnything)
{
    uitest::Editor ed;
    Form1& f = ed.form();
    const Surface picture = uitest::randomPicture(300, 200, 11);
    ASSERT_TRUE(ed.open(picture));
    EXPECT_EQ(ed.doc().ImageWidth, 300);
    EXPECT_EQ(ed.doc().ImageHeight, 200);
    EXPECT_EQ(QString::fromStdString(ed.doc().FileName), ed.path(QStringLiteral("in.bmp")));
    EXPECT_EQ(f.Picture1->geometry(), QRect(358, 242, 300, 200));
    // Undo right after Open changes nothing: the layout took the copy.
    f.undoe_Click();
    EXPECT_TRUE(ed.doc().Picture1.samePixels(picture));
    EXPECT_TRUE(ed.messages.empty());

    // Something to lose: an inverted picture with the original as undo copy.
    f.inve_Click();
    const Surface shown = ed.doc().Picture1;
    const QRect windowBefore = f.subWindow()->geometry();
    auto unchanged = [&] {
        EXPECT_TRUE(ed.doc().Picture1.samePixels(shown));
        EXPECT_TRUE(ed.doc().Picture2.samePixels(picture));
        EXPECT_EQ(ed.doc().ImageWidth, 300);
        EXPECT_EQ(ed.doc().ImageHeight, 200);
        EXPECT_EQ(f.ImageLeft, 358);
        EXPECT_EQ(f.ImageTop, 242);
        EXPECT_EQ(f.subWindow()->geometry(), windowBefore);
        EXPECT_EQ(f.Picture1->geometry(), QRect(358, 242, 300, 200));
    };

    // Cancelled: the name is cleared, nothing else moves.
    f.chooseOpenFile = [] { return QString(); };
    f.oph_Click();
    EXPECT_TRUE(ed.doc().FileName.empty());
    unchanged();
    EXPECT_TRUE(ed.messages.empty());

    // Not a picture, and a file that isn't there: a message naming the file.
    QFile junk(ed.path(QStringLiteral("junk.jpg")));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("\xFF\xD8\xFF\xE0 certainly not a whole JPEG");
    junk.close();
    for (const QString& name : {QStringLiteral("junk.jpg"), QStringLiteral("missing.bmp")}) {
        ed.messages.clear();
        const QString file = ed.path(name);
        f.chooseOpenFile = [file] { return file; };
        f.oph_Click();
        ASSERT_EQ(ed.messages.size(), 1u) << name.toStdString();
        EXPECT_TRUE(ed.messages[0].contains(name)) << ed.messages[0].toStdString();
        unchanged();
    }
}

TEST(Save, AppendsBmpAndAsksBeforeReplacingTheFileReallyWritten)
{
    uitest::Editor ed;
    Form1& f = ed.form();
    const Surface picture = uitest::randomPicture(17, 9, 12);
    ASSERT_TRUE(ed.open(picture));
    f.inve_Click();
    const Surface inverted = ed.doc().Picture1;

    // Cancelled: no file.
    f.chooseSaveFile = [] { return QString(); };
    f.Ssna_Click();
    EXPECT_EQ(QDir(ed.dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("in.bmp")});

    // "a" writes a.bmp; "a.bmp" writes a.bmp.bmp.
    for (const QString& name : {QStringLiteral("a"), QStringLiteral("a.bmp")}) {
        const QString chosen = ed.path(name);
        f.chooseSaveFile = [chosen] { return chosen; };
        f.Ssna_Click();
        ASSERT_TRUE(QFile::exists(chosen + QStringLiteral(".bmp"))) << name.toStdString();
        EXPECT_TRUE(readBack(chosen + QStringLiteral(".bmp")).samePixels(inverted));
    }

    // Saving under "in": in.bmp exists, so the question names in.bmp.
    QStringList asked;
    bool answer = false;
    f.confirmReplace = [&](const QString& p) {
        asked << p;
        return answer;
    };
    const QString in = ed.path(QStringLiteral("in"));
    f.chooseSaveFile = [in] { return in; };
    f.Ssna_Click();
    EXPECT_EQ(asked, QStringList{in + QStringLiteral(".bmp")});
    EXPECT_TRUE(readBack(in + QStringLiteral(".bmp")).samePixels(picture)); // "No" kept it
    answer = true;
    f.Ssna_Click();
    EXPECT_TRUE(readBack(in + QStringLiteral(".bmp")).samePixels(inverted));

    // A name that does not exist yet is written without a question.
    asked.clear();
    const QString fresh = ed.path(QStringLiteral("fresh"));
    f.chooseSaveFile = [fresh] { return fresh; };
    f.Ssna_Click();
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_TRUE(ed.messages.empty());

    // A failed save is reported, never silent.
    const QString nowhere = ed.path(QStringLiteral("no/such/folder/x"));
    f.chooseSaveFile = [nowhere] { return nowhere; };
    f.Ssna_Click();
    ASSERT_EQ(ed.messages.size(), 1u);
    EXPECT_TRUE(ed.messages[0].contains(QStringLiteral("x.bmp"))) << ed.messages[0].toStdString();
}

// A file named at start or dropped on the window opens as Open would open it.
TEST(OpenWithoutTheDialog, DroppedAndNamedFilesOpenLikeOpen)
{
    uitest::Editor ed;
    Form1& f = ed.form();
    const Surface picture = uitest::randomPicture(30, 20, 13);
    QString error;
    const QString file = ed.path(QStringLiteral("drop.bmp"));
    ASSERT_TRUE(savePictureBmp(picture, file, error));

    auto drop = [&](QWidget* target, const QList<QUrl>& urls) {
        QMimeData mime;
        mime.setUrls(urls);
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        const bool accepted = enter.isAccepted();
        if (accepted) {
            QDropEvent dropEvent(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(target, &dropEvent);
        }
        QApplication::processEvents();
        return accepted;
    };

    // Two files, or something that isn't a local file, are not taken.
    EXPECT_FALSE(drop(&f, {QUrl::fromLocalFile(file), QUrl::fromLocalFile(file)}));
    EXPECT_FALSE(drop(&f, {QUrl(QStringLiteral("https://example.org/a.bmp"))}));
    EXPECT_EQ(ed.doc().ImageWidth, 0);

    // Dropped on the frame: opened, laid out, with its undo copy.
    EXPECT_TRUE(drop(ed.frame.get(), {QUrl::fromLocalFile(file)}));
    EXPECT_TRUE(ed.doc().Picture1.samePixels(picture));
    EXPECT_TRUE(ed.doc().Picture2.samePixels(picture));
    EXPECT_EQ(QString::fromStdString(ed.doc().FileName), file);
    EXPECT_EQ(f.Picture1->geometry(), QRect((1024 - 30 - 8) / 2, (768 - 20 - 85 + 1) / 2, 30, 20));

    // Not while a pass runs.
    bool acceptedDuringPass = true;
    f.runPass([&](Document&) {
        acceptedDuringPass = drop(&f, {QUrl::fromLocalFile(file)});
        return true;
    });
    EXPECT_FALSE(acceptedDuringPass);

    // A file that can't be opened: Open's message, the editor as it was.
    EXPECT_FALSE(f.openFile(ed.path(QStringLiteral("nothing-here.gif"))));
    ASSERT_EQ(ed.messages.size(), 1u);
    EXPECT_TRUE(ed.messages[0].contains(QStringLiteral("nothing-here.gif")));
    EXPECT_TRUE(ed.doc().Picture1.samePixels(picture));
    EXPECT_EQ(QString::fromStdString(ed.doc().FileName), file);
}

} // namespace
} // namespace pixpad
