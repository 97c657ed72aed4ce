#pragma once
// The command words of pixpad-batch: one table that both parsing and --help
// read, so the two can't drift apart. Each word runs the same core function
// as the editor's menu item (or dialog button) it stands for.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document/document.h"

namespace pixpad::batch {

enum class CommandKind {
    Invert, GrayScale, Undo, Red, Green, Blue, Mask, Solarize,
    Smooth, Edge, Sharpen, Emboss, Diffuse,
    FlipHorizontal, FlipVertical, Resize, Custom,
};

struct CommandWord {
    std::string_view word;     // as typed, before any ':'
    std::string_view syntax;   // as shown by --help
    std::string_view help;     // one line
    CommandKind kind;
};

const std::vector<CommandWord>& commandWords();

// One parsed command, ready to run.
struct Command {
    CommandKind kind = CommandKind::Invert;
    std::string word;        // the word alone, for messages and --timings
    int width = 0, height = 0;          // resize
    int size = 3;                       // custom: 3 or 5
    int16_t divide = 1, bias = 0;       // custom, Divide already 0 -> 1
    std::array<int16_t, 25> weights{};  // custom, row by row as typed
};

// Parses one COMMAND argument. On failure returns false and sets `error` to
// a sentence saying what is wrong with it.
bool parseCommand(std::string_view text, Command& out, std::string& error);

// Runs the command on the document as the editor's menu would. Throws what
// the command throws (an overflowing kernel, an unavailable command).
void runCommand(Document& doc, const Command& command);

} // namespace pixpad::batch
