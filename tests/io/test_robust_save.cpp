// A full disk met by either writer: the user is told the system's reason, the
// old file stays, and the program ends normally, having freed what it took
// (the sanitizer build's leak check runs the same child).
#include <gtest/gtest.h>

#include <string>

#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>

#include "iosupport.h"

using namespace pixpad::iotest;

TEST(RobustSave, FullDiskGivesTheSystemsReasonForBothWriters)
{
    QTemporaryDir dir;
    // Noise does not compress, so the PNG writer meets the limit too.
    const QString input = writeFile(dir.path(), "in.bmp", bmp24(randomPicture(300, 200, 9)));
    for (const char* name : {"out.bmp", "out.png"}) {
        SCOPED_TRACE(name);
        const QByteArray old = "the old picture";
        const QString target = writeFile(dir.path(), name, old);
        RunOptions full;
        full.fileSizeLimit = 20000;
        const RunResult r = runBatch({input.toStdString(), target.toStdString(), "invert"}, full);
        EXPECT_EQ(r.exitCode, 1) << r.err;
        EXPECT_EQ(r.err.find("Unknown error"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("File too large"), std::string::npos) << r.err;
        EXPECT_EQ(readFile(target), old);
    }
}
