#include "batch/commands.h"

#include <charconv>
#include <stdexcept>

#include "colour/colourops.h"
#include "filters/filters.h"
#include "filters/filtersettings.h"
#include "geometry/geometry.h"

namespace pixpad::batch {

const std::vector<CommandWord>& commandWords()
{
    static const std::vector<CommandWord> words = {
        {"invert", "invert", "every component c becomes 255 - c", CommandKind::Invert},
        {"grayscale", "grayscale", "grey level 0.33 red + 0.56 green + 0.11 blue", CommandKind::GrayScale},
        {"undo", "undo", "back to the picture before the last command (one level)", CommandKind::Undo},
        {"red", "red", "keep only the red component", CommandKind::Red},
        {"green", "green", "keep only the green component", CommandKind::Green},
        {"blue", "blue", "keep only the blue component", CommandKind::Blue},
        {"mask", "mask", "white where every component is below 128, black elsewhere", CommandKind::Mask},
        {"solarize", "solarize", "components below 128 become 255 minus themselves", CommandKind::Solarize},
        {"smooth", "smooth", "3 x 3 mean", CommandKind::Smooth},
        {"edge", "edge", "four-neighbour Laplacian, magnitude", CommandKind::Edge},
        {"sharpen", "sharpen", "sharpen against the upper-left neighbour", CommandKind::Sharpen},
        {"emboss", "emboss", "emboss against the lower-right neighbour", CommandKind::Emboss},
        {"diffuse", "diffuse", "move every pixel up to two rows and columns at random", CommandKind::Diffuse},
        {"flip-horizontal", "flip-horizontal", "mirror left to right", CommandKind::FlipHorizontal},
        {"flip-vertical", "flip-vertical", "mirror top to bottom", CommandKind::FlipVertical},
        {"resize", "resize:W:H", "stretch to W x H pixels (each 1..9999), nearest pixel", CommandKind::Resize},
        {"custom", "custom:N:D:B:w1,w2,...",
         "convolve with N x N weights (N 3 or 5) given row by row from the top, divisor D (0 acts as 1), bias B",
         CommandKind::Custom},
    };
    return words;
}

namespace {

std::vector<std::string_view> split(std::string_view text, char separator)
{
    std::vector<std::string_view> parts;
    for (;;) {
        const auto at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos)
            return parts;
        text.remove_prefix(at + 1);
    }
}

// A whole decimal integer within [lo, hi]: an optional '-', digits, nothing else.
bool parseInt(std::string_view text, long lo, long hi, long& value)
{
    if (text.empty() || text.front() == '+')
        return false;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && value >= lo && value <= hi;
}

bool parseResize(const std::vector<std::string_view>& parts, Command& out, std::string& error)
{
    long w = 0, h = 0;
    if (parts.size() != 3 || !parseInt(parts[1], 1, 9999, w) || !parseInt(parts[2], 1, 9999, h)) {
        error = "resize takes resize:W:H with W and H whole numbers from 1 to 9999";
        return false;
    }
    out.width = static_cast<int>(w);
    out.height = static_cast<int>(h);
    return true;
}

bool parseCustom(const std::vector<std::string_view>& parts, Command& out, std::string& error)
{
    if (parts.size() != 5) {
        error = "custom takes custom:N:D:B:w1,w2,... (size, divisor, bias, weights)";
        return false;
    }
    long n = 0, d = 0, b = 0;
    if (!parseInt(parts[1], 3, 5, n) || n == 4) {
        error = "custom: the size N must be 3 or 5";
        return false;
    }
    if (!parseInt(parts[2], -32768, 32767, d)) {
        error = "custom: the divisor D must be a whole number from -32768 to 32767";
        return false;
    }
    if (!parseInt(parts[3], -32768, 32767, b)) {
        error = "custom: the bias B must be a whole number from -32768 to 32767";
        return false;
    }
    const auto weights = split(parts[4], ',');
    if (static_cast<long>(weights.size()) != n * n) {
        error = "custom: a " + std::to_string(n) + " x " + std::to_string(n) + " kernel needs "
                + std::to_string(n * n) + " weights, got " + std::to_string(weights.size());
        return false;
    }
    for (std::size_t i = 0; i < weights.size(); ++i) {
        long w = 0;
        if (!parseInt(weights[i], -32768, 32767, w)) {
            error = "custom: weight " + std::to_string(i + 1) + " (\"" + std::string(weights[i])
                    + "\") must be a whole number from -32768 to 32767";
            return false;
        }
        out.weights[i] = static_cast<int16_t>(w);
    }
    out.size = static_cast<int>(n);
    // The dialog's "Process" turns a divisor of 0 into 1.
    out.divide = static_cast<int16_t>(d == 0 ? 1 : d);
    out.bias = static_cast<int16_t>(b);
    return true;
}

} // namespace

bool parseCommand(std::string_view text, Command& out, std::string& error)
{
    const auto parts = split(text, ':');
    const CommandWord* found = nullptr;
    for (const CommandWord& w : commandWords())
        if (w.word == parts[0])
            found = &w;
    if (!found) {
        error = "unknown command \"" + std::string(text) + "\"";
        return false;
    }
    Command c;
    c.kind = found->kind;
    c.word = std::string(found->word);
    if (c.kind == CommandKind::Resize) {
        if (!parseResize(parts, c, error))
            return false;
    } else if (c.kind == CommandKind::Custom) {
        if (!parseCustom(parts, c, error))
            return false;
    } else if (parts.size() != 1) {
        error = "the command " + c.word + " takes no arguments";
        return false;
    }
    out = c;
    return true;
}

namespace {

// A pass returns false only when its observer abandoned it; ours never does,
// but a command that did not finish must not pass for one that did.
void finished(bool complete, const std::string& word)
{
    if (!complete)
        throw std::runtime_error(word + " was interrupted");
}

// "Process" of the custom filter dialog: all 25 cells are copied, the hidden
// outer ring of a 3 x 3 kernel being empty boxes, that is 0.
void applyCustom(Document& doc, const Command& c)
{
    FilterSettings& f = doc.filter;
    clearmatrix(f);
    const int offset = c.size == 3 ? 1 : 0;
    for (int r = 0; r < c.size; ++r)
        for (int col = 0; col < c.size; ++col)
            f.Matrix[r + offset][col + offset] = c.weights[r * c.size + col];
    f.Divide = c.divide;
    f.Bias = c.bias;
    f.HalfSize = static_cast<int16_t>(c.size == 3 ? 1 : 2);
    finished(dofiltering(doc), c.word);
}

} // namespace

void runCommand(Document& doc, const Command& c)
{
    switch (c.kind) {
    case CommandKind::Invert: invert(doc); break;
    case CommandKind::GrayScale: finished(grayScale(doc), c.word); break;
    case CommandKind::Undo: doc.undo(); break;
    case CommandKind::Red: finished(keepRed(doc), c.word); break;
    case CommandKind::Green: finished(keepGreen(doc), c.word); break;
    case CommandKind::Blue: finished(keepBlue(doc), c.word); break;
    case CommandKind::Mask: finished(mask(doc), c.word); break;
    case CommandKind::Solarize: finished(solarize(doc), c.word); break;
    case CommandKind::Smooth: finished(smooth(doc), c.word); break;
    case CommandKind::Edge: finished(edge(doc), c.word); break;
    case CommandKind::Sharpen: finished(sharpen(doc), c.word); break;
    case CommandKind::Emboss: finished(emboss(doc), c.word); break;
    case CommandKind::Diffuse: finished(diffuse(doc), c.word); break;
    case CommandKind::FlipHorizontal: flipHorizontal(doc); break;
    case CommandKind::FlipVertical: flipVertical(doc); break;
    case CommandKind::Resize: resizePicture(doc, c.width, c.height); break;
    case CommandKind::Custom: applyCustom(doc, c); break;
    }
}

} // namespace pixpad::batch
