// pixpad-batch: the editor's Open, its menu commands and its Save, from the
// command line. See --help.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include <QFile>
#include <QString>

#include "batch/commands.h"
#include "batch/progressbar.h"
#include "document/document.h"
#include "document/io/imageio.h"

using namespace pixpad;
using namespace pixpad::batch;

namespace {

constexpr const char* kUsage =
    "usage: pixpad-batch [--background RRGGBB] [--timings] [--quiet] INPUT OUTPUT [COMMAND ...]";

struct Options {
    Colour background = kPictureBackColor;
    bool timings = false;
    bool quiet = false;
    bool help = false;
    std::string input, output;
    std::vector<Command> commands;
};

std::string hexColour(Colour c)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02X%02X%02X", c & 0xFF, c >> 8 & 0xFF, c >> 16 & 0xFF);
    return text;
}

// RRGGBB, red first as in web colours; a leading '#' is allowed.
bool parseBackground(std::string text, Colour& out)
{
    if (!text.empty() && text.front() == '#')
        text.erase(0, 1);
    if (text.size() != 6)
        return false;
    int rgb[3];
    for (int i = 0; i < 3; ++i) {
        int v = 0;
        for (int k = 0; k < 2; ++k) {
            const char ch = text[2 * i + k];
            int d;
            if (ch >= '0' && ch <= '9')
                d = ch - '0';
            else if (ch >= 'a' && ch <= 'f')
                d = ch - 'a' + 10;
            else if (ch >= 'A' && ch <= 'F')
                d = ch - 'A' + 10;
            else
                return false;
            v = v * 16 + d;
        }
        rgb[i] = v;
    }
    out = rgb[0] + 256 * rgb[1] + 65536 * rgb[2];
    return true;
}

bool parseArguments(int argc, char** argv, Options& o, std::string& error)
{
    std::vector<std::string> positional;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            positional.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            o.help = true;
        } else if (arg == "--timings") {
            o.timings = true;
        } else if (arg == "--quiet") {
            o.quiet = true;
        } else if (arg == "--background" || arg.rfind("--background=", 0) == 0) {
            std::string value;
            if (arg == "--background") {
                if (i + 1 >= argc) {
                    error = "--background needs a colour RRGGBB";
                    return false;
                }
                value = argv[++i];
            } else {
                value = arg.substr(std::strlen("--background="));
            }
            if (!parseBackground(value, o.background)) {
                error = "--background takes six hexadecimal digits RRGGBB, not \"" + value + "\"";
                return false;
            }
        } else {
            error = "unknown option \"" + arg + "\"";
            return false;
        }
    }
    if (o.help)
        return true;
    if (positional.size() < 2) {
        error = positional.empty() ? "INPUT and OUTPUT are missing" : "OUTPUT is missing";
        return false;
    }
    o.input = positional[0];
    o.output = positional[1];
    for (std::size_t i = 2; i < positional.size(); ++i) {
        Command c;
        if (!parseCommand(positional[i], c, error))
            return false;
        o.commands.push_back(c);
    }
    return true;
}

void printHelp()
{
    std::printf("%s\n\n", kUsage);
    std::printf(
        "Opens INPUT (BMP, GIF, JPEG, PNG and the other formats the editor opens),\n"
        "applies each COMMAND in order exactly as the editor's menu does, and writes\n"
        "the picture to OUTPUT: a 24-bit BMP, or PNG when OUTPUT ends in \".png\".\n"
        "OUTPUT is written under exactly the name given and is left untouched when\n"
        "anything fails.\n\n");
    std::printf("Options:\n");
    std::printf("  %-24s %s (default %s)\n", "--background RRGGBB",
                "background colour of the picture, hexadecimal, red first",
                hexColour(kPictureBackColor).c_str());
    std::printf("  %-24s %s\n", "--timings",
                "after each command print its word, a tab and its milliseconds on standard error");
    std::printf("  %-24s %s\n", "--quiet", "no progress bar");
    std::printf("  %-24s %s\n", "--help", "this text");
    std::printf("\nCommands:\n");
    for (const CommandWord& w : commandWords())
        std::printf("  %-24s %s\n", std::string(w.syntax).c_str(), std::string(w.help).c_str());
    std::printf(
        "\nExit status: 0 done; 1 INPUT could not be opened, a command failed or OUTPUT\n"
        "could not be written; 2 usage error.\n\n"
        "Example:\n"
        "  pixpad-batch --timings photo.jpg photo-soft.bmp grayscale smooth "
        "custom:3:9:0:1,1,1,1,1,1,1,1,1\n");
}

// libpng prints its complaints about a damaged file straight to standard
// error, bypassing Qt's logging; the refusal already says what is wrong, in
// one line. While a file is read, standard error goes to a temporary file;
// afterwards everything but those complaints is passed on.
class QuietDecoders {
public:
    QuietDecoders()
    {
        std::fflush(stderr);
        capture_ = std::tmpfile();
        saved_ = capture_ ? dup(STDERR_FILENO) : -1;
        if (saved_ >= 0)
            dup2(fileno(capture_), STDERR_FILENO);
    }
    ~QuietDecoders()
    {
        if (saved_ < 0)
            return;
        std::fflush(stderr);
        dup2(saved_, STDERR_FILENO);
        close(saved_);
        std::rewind(capture_);
        char line[4096];
        while (std::fgets(line, sizeof line, capture_))
            if (std::strncmp(line, "libpng ", 7) != 0)
                std::fputs(line, stderr);
        std::fclose(capture_);
    }
    QuietDecoders(const QuietDecoders&) = delete;
    QuietDecoders& operator=(const QuietDecoders&) = delete;

private:
    std::FILE* capture_ = nullptr;
    int saved_ = -1;
};

bool endsWithPng(const std::string& name)
{
    if (name.size() < 4)
        return false;
    std::string tail = name.substr(name.size() - 4);
    for (char& ch : tail)
        ch = static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch);
    return tail == ".png";
}

} // namespace

int main(int argc, char** argv)
{
    Options o;
    std::string usageError;
    if (!parseArguments(argc, argv, o, usageError)) {
        std::fprintf(stderr, "pixpad-batch: %s\n%s\n", usageError.c_str(), kUsage);
        return 2;
    }
    if (o.help) {
        printHelp();
        return 0;
    }

    Document doc;
    doc.setPictureBackColor(o.background);
    TerminalProgress progress(stderr);
    if (!o.quiet && isatty(STDERR_FILENO))
        doc.observer = &progress;

    QString error;
    bool opened;
    {
        QuietDecoders quiet;
        opened = openPicture(doc, QFile::decodeName(o.input.c_str()), error);
    }
    if (!opened) {
        std::fprintf(stderr, "pixpad-batch: %s\n", error.toLocal8Bit().constData());
        return 1;
    }

    for (const Command& c : o.commands) {
        progress.setLabel(c.word);
        const auto start = std::chrono::steady_clock::now();
        try {
            runCommand(doc, c);
        } catch (const std::exception& e) {
            if (doc.observer)
                progress.passFinished();
            std::fprintf(stderr, "pixpad-batch: %s failed: %s\n", c.word.c_str(), e.what());
            return 1;
        }
        if (o.timings) {
            const std::chrono::duration<double, std::milli> ms = std::chrono::steady_clock::now() - start;
            std::fprintf(stderr, "%s\t%.1f\n", c.word.c_str(), ms.count());
        }
    }

    // The undo copy is not saved; giving it back keeps the peak memory of
    // the PNG writer's own copy down.
    doc.Picture2 = Surface();
    const QString output = QFile::decodeName(o.output.c_str());
    const bool saved = endsWithPng(o.output) ? savePicturePng(doc.Picture1, output, error)
                                             : savePictureBmp(doc.Picture1, output, error);
    if (!saved) {
        std::fprintf(stderr, "pixpad-batch: %s\n", error.toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
