// Save: the exact bytes of the 24-bit BMP, round trips through our reader and
// through Qt's, and every way a save can fail leaving the old file intact.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <thread>

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include "document/io/imageio.h"
#include "iosupport.h"

using namespace pixpad;
using namespace pixpad::iotest;

namespace {

Colour rgb(int r, int g, int b) { return r + 256 * g + 65536 * b; }

class SaveTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }
    QStringList entries() const
    {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }
};

TEST_F(SaveTest, BmpBytesAreAStandardBottomUp24BitFile)
{
    Surface s(3, 2, 0);
    s.row(0)[0] = rgb(10, 20, 30);
    s.row(0)[1] = rgb(40, 50, 60);
    s.row(0)[2] = rgb(70, 80, 90);
    s.row(1)[0] = rgb(1, 2, 3);
    s.row(1)[1] = rgb(4, 5, 6);
    s.row(1)[2] = rgb(7, 8, 9);
    QString error;
    ASSERT_TRUE(savePictureBmp(s, path("layout.bmp"), error)) << error.toStdString();

    const unsigned char want[] = {
        'B', 'M', 78, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,          // file header: size 54 + 2 * 12
        40, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0,         // info header, width 3, height 2
        0, 0, 0, 0, 24, 0, 0, 0, 0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0, // BI_RGB, 24 bytes, 72 dpi
        0, 0, 0, 0, 0, 0, 0, 0,                                   // no palette
        3, 2, 1, 6, 5, 4, 9, 8, 7, 0, 0, 0,                       // bottom row first, blue green red
        30, 20, 10, 60, 50, 40, 90, 80, 70, 0, 0, 0,              // then the top row, padded to 12
    };
    const QByteArray got = readFile(path("layout.bmp"));
    EXPECT_EQ(got, QByteArray(reinterpret_cast<const char*>(want), sizeof want));
}

TEST_F(SaveTest, BmpAndPngRoundTripExactlyThroughOurReaderAndQts)
{
    for (int w : {1, 2, 3, 4, 5, 37, 1000}) {
        const Surface want = randomPicture(w, 9, static_cast<uint32_t>(w));
        for (const char* ext : {"bmp", "png"}) {
            SCOPED_TRACE(std::string(ext) + " width " + std::to_string(w));
            const QString file = path(QStringLiteral("rt%1.%2").arg(w).arg(ext));
            QString error;
            const bool saved = QByteArray(ext) == "bmp" ? savePictureBmp(want, file, error)
                                                        : savePicturePng(want, file, error);
            ASSERT_TRUE(saved) << error.toStdString();

            Surface got;
            ASSERT_TRUE(loadPictureFile(file, 0, got, error)) << error.toStdString();
            EXPECT_TRUE(got.samePixels(want));

            const QImage other(file);
            ASSERT_FALSE(other.isNull());
            ASSERT_EQ(other.width(), w);
            for (int y = 0; y < 9; ++y)
                for (int x = 0; x < w; ++x) {
                    const QRgb p = other.pixel(x, y);
                    ASSERT_EQ(static_cast<uint32_t>(rgb(qRed(p), qGreen(p), qBlue(p))), want.row(y)[x])
                        << x << "," << y;
                }
        }
    }
}

TEST_F(SaveTest, WritesExactlyTheNameGivenAndReplacesAnOlderFileWhole)
{
    const QString target = path("no-ending");
    writeFile(dir.path(), "no-ending", QByteArray(100000, 'x'));
    const Surface s = randomPicture(4, 4, 1);
    QString error;
    ASSERT_TRUE(savePictureBmp(s, target, error)) << error.toStdString();
    EXPECT_EQ(readFile(target).size(), 54 + 4 * 12);
    EXPECT_EQ(entries(), QStringList{"no-ending"}) << "no temporary file may be left behind";
}

TEST_F(SaveTest, FailedSavesSayWhyAndLeaveTheOldFileAlone)
{
    const Surface s = randomPicture(8, 8, 2);
    const QByteArray old = "the picture that was here before";
    writeFile(dir.path(), "keep.bmp", old);
    QDir(dir.path()).mkdir("folder.bmp");
    writeFile(dir.path() + "/folder.bmp", "inside", "x");

    struct Case { QString target; QString reason; };
    const Case cases[] = {
        {path("missing/sub/out.bmp"), "does not exist"},
        {path("folder.bmp"), "folder"},
    };
    for (const Case& c : cases) {
        for (bool png : {false, true}) {
            QString error;
            const bool saved = png ? savePicturePng(s, c.target, error) : savePictureBmp(s, c.target, error);
            EXPECT_FALSE(saved) << c.target.toStdString();
            EXPECT_TRUE(error.startsWith("Cannot save " + QDir::toNativeSeparators(c.target)))
                << error.toStdString();
            EXPECT_TRUE(error.contains(c.reason)) << error.toStdString();
        }
    }
    EXPECT_TRUE(QFileInfo(path("folder.bmp")).isDir());
    EXPECT_EQ(readFile(path("folder.bmp/inside")), "x");
    EXPECT_FALSE(QFileInfo::exists(path("missing")));

    // Nothing to save (before any Open): refused, no file made, old file kept.
    QString error;
    EXPECT_FALSE(savePictureBmp(Surface(), path("keep.bmp"), error));
    EXPECT_TRUE(error.contains("no picture")) << error.toStdString();
    EXPECT_FALSE(savePicturePng(Surface(), path("empty.png"), error));
    EXPECT_EQ(readFile(path("keep.bmp")), old);
    EXPECT_EQ(entries(), (QStringList{"folder.bmp", "keep.bmp"}));
}

// A pipe (like /dev/null or a terminal) can't be replaced by renaming a
// temporary file over it without turning it into a plain file; it is written
// directly and stays what it was.
TEST_F(SaveTest, APipeIsWrittenThroughNotReplaced)
{
    const Surface s = randomPicture(7, 5, 6);
    QString error;
    ASSERT_TRUE(savePictureBmp(s, path("plain.bmp"), error)) << error.toStdString();
    const QByteArray want = readFile(path("plain.bmp"));

    const QByteArray fifo = path("pipe.bmp").toLocal8Bit();
    ASSERT_EQ(mkfifo(fifo.constData(), 0600), 0);
    // Both ends are opened here, before the save: the read end so the reader
    // can't miss the data, and a spare write end so neither open blocks; the
    // reader sees the end once that is closed, whatever the save did.
    const int readEnd = open(fifo.constData(), O_RDONLY | O_NONBLOCK);
    const int keep = open(fifo.constData(), O_WRONLY);
    ASSERT_GE(readEnd, 0);
    ASSERT_GE(keep, 0);
    fcntl(readEnd, F_SETFL, 0);
    QByteArray received;
    std::thread reader([&] {
        char buf[4096];
        ssize_t n;
        while ((n = read(readEnd, buf, sizeof buf)) > 0)
            received.append(buf, n);
        close(readEnd);
    });
    const bool saved = savePictureBmp(s, path("pipe.bmp"), error);
    close(keep);
    reader.join();
    EXPECT_TRUE(saved) << error.toStdString();
    EXPECT_EQ(received, want);
    struct stat st {};
    ASSERT_EQ(stat(fifo.constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode)) << "the pipe was replaced by a file";
}

TEST_F(SaveTest, ReadOnlyFolderLeavesTheOldFileIntact)
{
    const QString input = writeFile(dir.path(), "in.bmp", bmp24(randomPicture(20, 10, 3)));
    QDir(dir.path()).mkdir("locked");
    const QByteArray old = "older picture";
    const QString target = writeFile(dir.path() + "/locked", "out.bmp", old);

    if (geteuid() == 0) {
        // Root writes anywhere, so the save runs in pixpad-batch as the
        // unprivileged user "nobody" (65534); the folder stays root's.
        ASSERT_EQ(chmod(dir.path().toLocal8Bit().constData(), 0755), 0);
        ASSERT_EQ(chmod(input.toLocal8Bit().constData(), 0644), 0);
        RunOptions asNobody;
        asNobody.dropToUid = 65534;
        const RunResult r = runBatch({input.toStdString(), target.toStdString(), "invert"}, asNobody);
        ASSERT_NE(r.exitCode, 125) << "could not drop privileges";
        EXPECT_EQ(r.exitCode, 1) << r.err;
        EXPECT_NE(r.err.find("Cannot save " + QDir::toNativeSeparators(target).toStdString()), std::string::npos)
            << r.err;
    } else {
        ASSERT_EQ(chmod((dir.path() + "/locked").toLocal8Bit().constData(), 0555), 0);
        QString error;
        EXPECT_FALSE(savePictureBmp(randomPicture(20, 10, 3), target, error));
        EXPECT_TRUE(error.startsWith("Cannot save")) << error.toStdString();
        chmod((dir.path() + "/locked").toLocal8Bit().constData(), 0755);
    }
    EXPECT_EQ(readFile(target), old);
    EXPECT_EQ(QDir(dir.path() + "/locked").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"out.bmp"});
}

TEST_F(SaveTest, FullDiskLeavesTheOldFileIntactAndNoTemporaryFile)
{
    // A file-size limit in the child makes every write past 20 kB fail, as a
    // full disk would, for both writers.
    const QString input = writeFile(dir.path(), "in.bmp", bmp24(randomPicture(300, 200, 4)));
    for (const char* name : {"out.bmp", "out.png"}) {
        SCOPED_TRACE(name);
        const QByteArray old = "the old picture";
        const QString target = writeFile(dir.path(), name, old);
        RunOptions full;
        full.fileSizeLimit = 20000;
        const RunResult r = runBatch({input.toStdString(), target.toStdString()}, full);
        EXPECT_EQ(r.exitCode, 1) << r.err;
        EXPECT_NE(r.err.find("Cannot save " + QDir::toNativeSeparators(target).toStdString()), std::string::npos)
            << r.err;
        // The system's reason, from either writer (PNG's used to say "Unknown error").
        EXPECT_EQ(r.err.find("Unknown error"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("File too large"), std::string::npos) << r.err;
        EXPECT_EQ(readFile(target), old);
    }
    EXPECT_EQ(entries(), (QStringList{"in.bmp", "out.bmp", "out.png"}));
}

} // namespace
