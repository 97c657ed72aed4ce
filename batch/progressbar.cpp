#include "batch/progressbar.h"

#include <algorithm>

namespace pixpad::batch {

namespace {
constexpr int kBarWidth = 40;
// A redraw costs a write to the terminal; ten a second looks smooth and
// costs nothing beside the pass.
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
} // namespace

void TerminalProgress::passStarted(bool /*barAtZero*/)
{
    lastDraw_ = std::chrono::steady_clock::now();
    draw(0.0f);
}

bool TerminalProgress::rowFinished(int /*y*/, float value)
{
    const auto now = std::chrono::steady_clock::now();
    if (now - lastDraw_ >= kRedrawInterval) {
        lastDraw_ = now;
        draw(value);
    }
    return true;
}

void TerminalProgress::passFinished()
{
    // Wipe the line so the next output starts clean.
    std::fprintf(out_, "\r\033[K");
    std::fflush(out_);
}

void TerminalProgress::draw(float value)
{
    const float clamped = std::clamp(value, 0.0f, 100.0f);
    const int filled = static_cast<int>(clamped / 100.0f * kBarWidth);
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.append(static_cast<std::size_t>(kBarWidth - filled), '-');
    std::fprintf(out_, "\r%s [%s] %3d%%", label_.c_str(), bar.c_str(), static_cast<int>(clamped));
    std::fflush(out_);
}

} // namespace pixpad::batch
