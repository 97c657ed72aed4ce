#pragma once
// The shared filter settings: the weights, divisor, bias and reach that the
// presets and the custom filter dialog fill before the convolution runs.
#include <array>
#include <cstdint>

namespace pixpad {

struct FilterSettings {
    // Matrix[r][c] weighs the neighbour at dx = c - 2, dy = r - 2; cell k = 5r + c.
    std::array<std::array<int16_t, 5>, 5> Matrix{};
    int16_t Divide = 0;
    int16_t Bias = 0;
    int16_t HalfSize = 0;
};

// All 25 weights to 0; Divide, Bias and HalfSize stay.
inline void clearmatrix(FilterSettings& s)
{
    for (auto& row : s.Matrix)
        row.fill(0);
}

} // namespace pixpad
