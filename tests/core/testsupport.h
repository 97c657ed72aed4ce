#pragma once
// Shared helpers for the core tests: random pictures, a recording observer and
// a straightforward per-pixel view of a surface.
#include <cstdint>
#include <random>
#include <vector>

#include "document/document.h"
#include "document/pixelpass.h"
#include "document/surface.h"

namespace pixpad::test {

inline Colour rgb(int r, int g, int b) { return r + 256 * g + 65536 * b; }

inline Surface randomSurface(int w, int h, uint32_t seed, Colour back = kPictureBackColor)
{
    Surface s(w, h, back);
    std::mt19937 gen(seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            s.row(y)[x] = gen() & 0x00FFFFFFu;
    return s;
}

inline Surface uniformSurface(int w, int h, Colour c, Colour back = kPictureBackColor)
{
    Surface s(w, h, back);
    s.fill(c);
    return s;
}

// A document holding `picture` as if it had just been opened.
inline Document openedDocument(const Surface& picture)
{
    Document doc;
    Surface copy = picture;
    doc.setOpenedPicture(std::move(copy));
    return doc;
}

struct RecordingObserver : PassObserver {
    std::vector<float> values;
    std::vector<int> rows;
    int started = 0, finished = 0;
    bool lastBarAtZero = false;
    int abandonAfter = -1; // abandon once this many rows were reported
    void passStarted(bool barAtZero) override
    {
        ++started;
        lastBarAtZero = barAtZero;
    }
    bool rowFinished(int y, float value) override
    {
        rows.push_back(y);
        values.push_back(value);
        return abandonAfter < 0 || static_cast<int>(rows.size()) < abandonAfter;
    }
    void passFinished() override { ++finished; }
};

} // namespace pixpad::test
