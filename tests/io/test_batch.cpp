// pixpad-batch from the outside: exit codes, messages, the output file, and
// that each command word runs the same core function as the editor's menu.
#include <gtest/gtest.h>

#include <functional>
#include <regex>
#include <sstream>

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include "colour/colourops.h"
#include "document/io/imageio.h"
#include "filters/filters.h"
#include "geometry/geometry.h"
#include "iosupport.h"

using namespace pixpad;
using namespace pixpad::iotest;

namespace {

class BatchTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::string input; // a 23 x 17 picture, random colours
    Surface inputPicture;

    void SetUp() override
    {
        inputPicture = randomPicture(23, 17, 42);
        input = writeFile(dir.path(), "in.bmp", bmp24(inputPicture)).toStdString();
    }
    std::string out(const std::string& name) const { return dir.path().toStdString() + "/" + name; }

    // The picture pixpad-batch wrote, read back.
    Surface result(const std::string& file)
    {
        Surface s;
        QString error;
        EXPECT_TRUE(loadPictureFile(QString::fromStdString(file), 0, s, error)) << error.toStdString();
        return s;
    }

    // What the editor's menu does to the same file, in process.
    Surface inProcess(const std::function<void(Document&)>& command)
    {
        Document doc;
        QString error;
        EXPECT_TRUE(openPicture(doc, QString::fromStdString(input), error)) << error.toStdString();
        command(doc);
        return doc.Picture1;
    }
};

TEST_F(BatchTest, HelpListsEveryCommandWordWithAnExample)
{
    const RunResult r = runBatch({"--help"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("usage: pixpad-batch [--background RRGGBB] [--timings] [--quiet] INPUT OUTPUT [COMMAND ...]"),
              std::string::npos);
    for (const char* word : {"invert", "grayscale", "undo", "red", "green", "blue", "mask", "solarize", "smooth",
                             "edge", "sharpen", "emboss", "diffuse", "flip-horizontal", "flip-vertical",
                             "resize:W:H", "custom:N:D:B:w1,w2,..."}) {
        const std::regex line("\n  " + std::regex_replace(word, std::regex(R"([.+])"), R"(\$&)") + " +\\S");
        EXPECT_TRUE(std::regex_search(r.out, line)) << word << " has no line of its own";
    }
    EXPECT_NE(r.out.find("Example"), std::string::npos);
    EXPECT_NE(r.out.find("\n  pixpad-batch "), std::string::npos);
}

TEST_F(BatchTest, UsageErrorsExitWithTwoBeforeTouchingAnyFile)
{
    // The input does not exist: a usage error must be found before Open.
    const std::string missing = out("missing.bmp");
    const std::string o = out("o.bmp");
    const std::vector<std::vector<std::string>> cases = {
        {},
        {missing},
        {"--bogus", missing, o},
        {"-x", missing, o},
        {missing, o, "frobnicate"},
        {missing, o, "invert:3"},
        {missing, o, "Invert"},
        {missing, o, "resize:0:5"},
        {missing, o, "resize:5:10000"},
        {missing, o, "resize:5"},
        {missing, o, "resize:5:5:5"},
        {missing, o, "resize:a:5"},
        {missing, o, "resize:+5:5"},
        {missing, o, "resize:5.0:5"},
        {missing, o, "custom:4:1:0:1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1"},
        {missing, o, "custom:3:1:0:1,1,1,1,1,1,1,1"},
        {missing, o, "custom:3:1:0:1,1,1,1,1,1,1,1,1,1"},
        {missing, o, "custom:5:1:0:1,1,1,1,1,1,1,1,1"},
        {missing, o, "custom:3:x:0:1,1,1,1,1,1,1,1,1"},
        {missing, o, "custom:3:1:0:1,1,1,1,32768,1,1,1,1"},
        {missing, o, "custom:3:1:-32769:1,1,1,1,1,1,1,1,1"},
        {missing, o, "custom:3:1:0:1,,1,1,1,1,1,1,1"},
        {missing, o, "custom:3:1:0:1,1,1,1,1e1,1,1,1,1"},
        {missing, o, "custom:3:1:0"},
        {missing, o, "custom"},
        {"--background", "12345", missing, o},
        {"--background", "GG0000", missing, o},
        {missing, o, "--background"},
    };
    for (const auto& args : cases) {
        std::ostringstream shown;
        for (const auto& a : args)
            shown << a << " ";
        SCOPED_TRACE(shown.str());
        const RunResult r = runBatch(args);
        EXPECT_EQ(r.exitCode, 2) << r.err;
        EXPECT_NE(r.err.find("usage: pixpad-batch"), std::string::npos) << r.err;
        EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(o)));
    }
}

TEST_F(BatchTest, InvertThenUndoGivesTheInputBack)
{
    const RunResult r = runBatch({input, out("same.bmp"), "invert", "undo"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(result(out("same.bmp")).samePixels(inputPicture));
    // Saved as Save writes it: byte for byte what savePictureBmp makes.
    QString error;
    ASSERT_TRUE(savePictureBmp(inputPicture, QString::fromStdString(out("direct.bmp")), error));
    EXPECT_EQ(readFile(QString::fromStdString(out("same.bmp"))), readFile(QString::fromStdString(out("direct.bmp"))));
}

TEST_F(BatchTest, WritesExactlyTheNameGivenAndPngByItsEnding)
{
    ASSERT_EQ(runBatch({input, out("plain")}).exitCode, 0);
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(out("plain"))));
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(out("plain.bmp"))));
    EXPECT_TRUE(readFile(QString::fromStdString(out("plain"))).startsWith("BM"));

    for (const char* name : {"x.png", "y.PNG", "z.Png"}) {
        ASSERT_EQ(runBatch({input, out(name)}).exitCode, 0);
        EXPECT_TRUE(readFile(QString::fromStdString(out(name))).startsWith("\x89PNG")) << name;
        EXPECT_TRUE(result(out(name)).samePixels(inputPicture)) << name;
    }
    ASSERT_EQ(runBatch({input, out("w.png.bmp")}).exitCode, 0);
    EXPECT_TRUE(readFile(QString::fromStdString(out("w.png.bmp"))).startsWith("BM"));
}

TEST_F(BatchTest, FailuresExitWithOneLeaveTheOutputAloneAndSayWhy)
{
    const QByteArray old = "previous output";
    const std::string existing = writeFile(dir.path(), "existing.bmp", old).toStdString();
    QDir(dir.path()).mkdir("taken.bmp");
    // Nine weights of 99 over a white picture overflow the 16-bit sums.
    const std::string white = writeFile(dir.path(), "white.bmp", bmp24(Surface(9, 9, 0x00FFFFFF))).toStdString();

    struct Case { std::vector<std::string> args; std::string mentions; };
    const Case cases[] = {
        {{out("nothere.bmp"), existing, "invert"}, QDir::toNativeSeparators(QString::fromStdString(out("nothere.bmp"))).toStdString()},
        {{out("taken.bmp"), existing}, "folder"},
        {{input, out("taken.bmp"), "invert"}, QDir::toNativeSeparators(QString::fromStdString(out("taken.bmp"))).toStdString()},
        {{input, out("no/such/folder.bmp")}, "does not exist"},
        {{white, existing, "custom:3:1:0:99,99,99,99,99,99,99,99,99"}, "custom"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0] + " -> " + c.args[1]);
        const RunResult r = runBatch(c.args);
        EXPECT_EQ(r.exitCode, 1) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << "one line: " << r.err;
        EXPECT_NE(r.err.find(c.mentions), std::string::npos) << r.err;
        EXPECT_EQ(readFile(QString::fromStdString(existing)), old);
    }
    EXPECT_TRUE(QFileInfo(QString::fromStdString(out("taken.bmp"))).isDir());
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(out("no"))));
}

TEST_F(BatchTest, DamagedPngIsOneLineToo)
{
    const QByteArray bytes = png(QImage(20, 20, QImage::Format_RGB32));
    const std::string cut = writeFile(dir.path(), "cut.png", bytes.left(bytes.size() - 30)).toStdString();
    const RunResult r = runBatch({cut, out("o.bmp")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_EQ(r.err.rfind("pixpad-batch: Cannot open ", 0), 0u) << r.err;
}

TEST_F(BatchTest, BackgroundColourIsReadRedFirst)
{
    GifFrame frame{0, 0, 2, 1, {0, 1}, 1};
    const std::string in = writeFile(dir.path(), "t.gif", gif(2, 1, {qRgb(1, 2, 3), qRgb(4, 5, 6)}, {frame})).toStdString();
    struct Case { std::vector<std::string> options; uint32_t transparentBecomes; };
    const Case cases[] = {
        {{}, static_cast<uint32_t>(kPictureBackColor)},
        {{"--background", "102030"}, 0x00302010},
        {{"--background", "#a0B0c0"}, 0x00C0B0A0},
        {{"--background=FF0000"}, 0x000000FF},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.options;
        args.push_back(in);
        args.push_back(out("bg.bmp"));
        const RunResult r = runBatch(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const Surface s = result(out("bg.bmp"));
        EXPECT_EQ(s.row(0)[0], 0x00030201u);
        EXPECT_EQ(s.row(0)[1], c.transparentBecomes);
    }
}

TEST_F(BatchTest, TimingsGiveOneLinePerCommandInOrder)
{
    const RunResult r = runBatch({"--timings", input, out("t.bmp"), "invert", "undo", "invert"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(std::regex_match(r.err, std::regex("invert\t[0-9]+\\.[0-9]\nundo\t[0-9]+\\.[0-9]\ninvert\t[0-9]+\\.[0-9]\n")))
        << r.err;
    const RunResult none = runBatch({input, out("t.bmp"), "invert"});
    EXPECT_EQ(none.err, "");
}

TEST_F(BatchTest, ProgressBarOnlyOnATerminalAndNotWhenQuiet)
{
    RunOptions tty;
    tty.stderrIsTerminal = true;
    const RunResult shown = runBatch({input, out("p.bmp"), "grayscale"}, tty);
    ASSERT_EQ(shown.exitCode, 0) << shown.err;
    EXPECT_NE(shown.err.find("grayscale ["), std::string::npos) << shown.err;
    EXPECT_NE(shown.err.find("%"), std::string::npos) << shown.err;

    const RunResult quiet = runBatch({"--quiet", input, out("p.bmp"), "grayscale"}, tty);
    ASSERT_EQ(quiet.exitCode, 0) << quiet.err;
    EXPECT_EQ(quiet.err, "");

    const RunResult piped = runBatch({input, out("p.bmp"), "grayscale"});
    ASSERT_EQ(piped.exitCode, 0) << piped.err;
    EXPECT_EQ(piped.err, "");
}

// Each word against the core function the menu item calls, on the same
// opened picture. These need the commands themselves to have landed.
TEST_F(BatchTest, EachWordRunsItsMenuCommand)
{
    struct Case { std::string word; std::function<void(Document&)> menu; };
    const Case cases[] = {
        {"invert", [](Document& d) { invert(d); }},
        {"grayscale", [](Document& d) { grayScale(d); }},
        {"red", [](Document& d) { keepRed(d); }},
        {"green", [](Document& d) { keepGreen(d); }},
        {"blue", [](Document& d) { keepBlue(d); }},
        {"mask", [](Document& d) { mask(d); }},
        {"solarize", [](Document& d) { solarize(d); }},
        {"smooth", [](Document& d) { smooth(d); }},
        {"edge", [](Document& d) { edge(d); }},
        {"sharpen", [](Document& d) { sharpen(d); }},
        {"emboss", [](Document& d) { emboss(d); }},
        {"diffuse", [](Document& d) { diffuse(d); }},
        {"flip-horizontal", [](Document& d) { flipHorizontal(d); }},
        {"flip-vertical", [](Document& d) { flipVertical(d); }},
        {"resize:31:9", [](Document& d) { resizePicture(d, 31, 9); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.word);
        const RunResult r = runBatch({input, out("w.bmp"), c.word});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        Surface want;
        try {
            want = inProcess(c.menu);
        } catch (const std::exception& e) {
            ADD_FAILURE() << "the menu command threw: " << e.what();
            continue;
        }
        EXPECT_TRUE(result(out("w.bmp")).samePixels(want));
    }
}

TEST_F(BatchTest, SequencesAndUndoFollowTheMenu)
{
    const RunResult r = runBatch({input, out("seq.bmp"), "flip-horizontal", "grayscale", "undo", "flip-vertical"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const Surface want = inProcess([](Document& d) {
        flipHorizontal(d);
        grayScale(d);
        d.undo();
        flipVertical(d);
    });
    EXPECT_TRUE(result(out("seq.bmp")).samePixels(want));

    // "diffuse" twice in one run continues one random sequence, as two
    // menu clicks in one session of the editor do.
    const RunResult twice = runBatch({input, out("dd.bmp"), "diffuse", "diffuse"});
    ASSERT_EQ(twice.exitCode, 0) << twice.err;
    EXPECT_TRUE(result(out("dd.bmp")).samePixels(inProcess([](Document& d) {
        diffuse(d);
        diffuse(d);
    })));
}

// The dialog's "Process": weights row by row from the top, a 3 x 3 kernel in
// the nine centre cells, divisor 0 acting as 1. The reference fills the
// matrix by hand.
TEST_F(BatchTest, CustomKernelIsTheDialogsProcess)
{
    struct Case { std::string word; int n; int divide; int bias; std::vector<int> weights; };
    const Case cases[] = {
        {"custom:3:1:0:0,0,0,0,1,0,0,0,0", 3, 1, 0, {0, 0, 0, 0, 1, 0, 0, 0, 0}},
        {"custom:3:0:0:0,0,0,0,1,0,0,0,0", 3, 1, 0, {0, 0, 0, 0, 1, 0, 0, 0, 0}},
        {"custom:3:2:7:1,2,0,-1,0,0,0,0,3", 3, 2, 7, {1, 2, 0, -1, 0, 0, 0, 0, 3}},
        {"custom:5:25:-3:1,0,0,0,2,0,0,0,0,0,0,0,1,0,0,0,0,0,0,0,-4,0,0,0,5", 5, 25, -3,
         {1, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, -4, 0, 0, 0, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.word);
        const RunResult r = runBatch({input, out("c.bmp"), c.word});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const Surface want = inProcess([&](Document& d) {
            clearmatrix(d.filter);
            const int offset = c.n == 3 ? 1 : 0;
            for (int k = 0; k < c.n * c.n; ++k)
                d.filter.Matrix[k / c.n + offset][k % c.n + offset] = static_cast<int16_t>(c.weights[k]);
            d.filter.Divide = static_cast<int16_t>(c.divide);
            d.filter.Bias = static_cast<int16_t>(c.bias);
            d.filter.HalfSize = static_cast<int16_t>(c.n == 3 ? 1 : 2);
            dofiltering(d);
        });
        EXPECT_TRUE(result(out("c.bmp")).samePixels(want));
    }

    // The centre weight alone reproduces the picture inside a one-pixel
    // border of the background colour.
    ASSERT_EQ(runBatch({"--background", "0A0B0C", input, out("id.bmp"), "custom:3:1:0:0,0,0,0,1,0,0,0,0"}).exitCode, 0);
    const Surface id = result(out("id.bmp"));
    for (int y = 0; y < 17; ++y)
        for (int x = 0; x < 23; ++x) {
            const bool border = x == 0 || y == 0 || x == 22 || y == 16;
            ASSERT_EQ(id.row(y)[x], border ? 0x000C0B0Au : inputPicture.row(y)[x]) << x << "," << y;
        }
}

// Peak memory is what decides whether a big photo can be edited at all. A
// 6000 x 4000 picture is 96 MB as a surface; the whole run (decode, undo
// copy, passes, save) must stay within about four of those.
TEST_F(BatchTest, BigPicturePeaksWithinFourPictureBuffers)
{
    Surface big(6000, 4000, 0);
    for (int y = 0; y < big.height(); ++y)
        for (int x = 0; x < big.width(); ++x)
            big.row(y)[x] = static_cast<uint32_t>((x * 7 + y) & 0xFFFFFF);
    const QString in = dir.path() + "/big.bmp";
    QString error;
    ASSERT_TRUE(savePictureBmp(big, in, error)) << error.toStdString();
    big = Surface();
    const RunResult r = runBatch({in.toStdString(), out("big-out.bmp"), "invert", "grayscale", "flip-vertical", "undo"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const long pictureKiB = 6000L * 4000 * 4 / 1024;
    EXPECT_LT(r.maxRssKiB, 4 * pictureKiB) << "peak " << r.maxRssKiB / 1024 << " MiB";
}

} // namespace
