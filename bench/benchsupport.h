#pragma once
// What the benchmarks share: the picture they time on, the median timer and
// the 5 x 5 kernel with 25 non-zero weights.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <random>
#include <vector>

#include "document/document.h"
#include "filters/filtersettings.h"

namespace pixpad::bench {

// Random colours: no two neighbours alike, so no branch or table gets a free ride.
inline Surface randomPicture(int w, int h)
{
    Surface s(w, h, kPictureBackColor);
    std::mt19937 gen(12345);
    for (int y = 0; y < h; ++y) {
        uint32_t* row = s.row(y);
        for (int x = 0; x < w; ++x)
            row[x] = gen() & 0x00FFFFFFu;
    }
    return s;
}

inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Median milliseconds of `run` over `repeat` timed runs after one warm-up;
// `prepare` (untimed, may be empty) runs before each.
inline double timeIt(int repeat, const std::function<void()>& prepare, const std::function<void()>& run)
{
    using Clock = std::chrono::steady_clock;
    std::vector<double> ms;
    for (int i = 0; i <= repeat; ++i) {
        if (prepare)
            prepare();
        auto t0 = Clock::now();
        run();
        auto t1 = Clock::now();
        if (i > 0)
            ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    return median(ms);
}

inline void setCustom5x5(FilterSettings& f)
{
    clearmatrix(f);
    const int w[5][5] = {{1, 2, 3, 2, 1}, {2, 3, 4, 3, 2}, {3, 4, 5, 4, 3}, {2, 3, 4, 3, 2}, {1, 2, 3, 2, 1}};
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 5; ++c)
            f.Matrix[r][c] = static_cast<int16_t>(w[r][c]);
    f.Divide = 65;
    f.Bias = 0;
    f.HalfSize = 2;
}

} // namespace pixpad::bench
