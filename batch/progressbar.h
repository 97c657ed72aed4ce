#pragma once
// The terminal progress bar of pixpad-batch: the editor's ProgressBar1 drawn
// as text on standard error.
#include <chrono>
#include <cstdio>
#include <string>

#include "document/pixelpass.h"

namespace pixpad::batch {

class TerminalProgress final : public PassObserver {
public:
    explicit TerminalProgress(std::FILE* out) : out_(out) {}
    // The command word shown in front of the bar.
    void setLabel(std::string label) { label_ = std::move(label); }

    void passStarted(bool barAtZero) override;
    bool rowFinished(int y, float value) override;
    void passFinished() override;

private:
    void draw(float value);

    std::FILE* out_;
    std::string label_;
    std::chrono::steady_clock::time_point lastDraw_{};
};

} // namespace pixpad::batch
