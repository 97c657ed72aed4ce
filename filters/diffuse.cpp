// "Diffuse": every pixel takes the colour of a random pixel at most two
// columns and two rows away.
#include <algorithm>
#include <cstddef>

#include "document/pixelpass.h"
#include "filters/filterrows.h"
#include "filters/filters.h"

namespace pixpad {

namespace {

// Two draws per written pixel, the column offset first, in reading order. The
// one generator's sequence is laid over the pass as if a single thread walked
// it: the draws for pixel i of the pass are numbers 2i and 2i + 1 after the
// state at the start. Since the generator can jump ahead cheaply, a band of
// rows, and a stretch of a row, can start at its own place in that sequence,
// which keeps the picture identical however the work is split.
class DiffuseRule final : public PassRule {
public:
    explicit DiffuseRule(DiffuseRandom& generator) : generator_(generator), start_(generator) {}

    void rows(const Surface& src, Surface& dst, const PassRange& r, int rowBegin,
              int rowEnd) const override
    {
        const int n = r.columns();
        Row row;
        row.stride = src.width();
        for (int j = 0; j < 64; ++j)
            row.jump[j] = kCoarse[j & 7] + kCoarse[j >> 3] * row.stride;
        for (int y = rowBegin; y < rowEnd; ++y) {
            DiffuseRandom rowStart = start_;
            rowStart.advance(2ULL * n * static_cast<unsigned>(y - r.y0));
            row.centre = src.row(y) + r.x0;
            row.out = dst.row(y) + r.x0;
            diffuseRow(rowStart, row, n);
        }
    }

    // Only a pass that ran to the end moves the document's generator on; one
    // the user abandoned leaves it where it was, so the next Diffuse repeats
    // the numbers the abandoned one had begun to use.
    void finished(const PassRange& r) override
    {
        generator_.advance(2ULL * static_cast<unsigned>(r.columns()) * static_cast<unsigned>(r.rows()));
    }

private:
    // The offset for a draw of which only the top three bits are needed, unless
    // the draw sits exactly on a multiple of 2^21 (then 4u - 2 may be a half
    // and diffuseOffset decides): -2, -1, -1, 0, 0, 1, 1, 2.
    static constexpr int kCoarse[8] = {-2, -1, -1, 0, 0, 1, 1, 2};
    static constexpr uint32_t kFineBits = 0x1FFFFF00u; // bits 8..28: the draw below 2^21

    struct Row {
        const uint32_t* centre;
        uint32_t* out;
        std::ptrdiff_t stride;
        std::ptrdiff_t jump[64]; // dx + dy * stride for both coarse offsets
    };

    static void pick(DiffuseRandom& g, const Row& row, int x)
    {
        const uint32_t drawX = g.nextU32();
        const uint32_t drawY = g.nextU32();
        std::ptrdiff_t jump;
        if (((drawX & kFineBits) == 0) | ((drawY & kFineBits) == 0)) [[unlikely]]
            jump = diffuseOffset(drawX >> 8) + diffuseOffset(drawY >> 8) * row.stride;
        else
            jump = row.jump[(drawX >> 29) | (drawY >> 29 << 3)];
        row.out[x] = row.centre[x + jump];
    }

    // Each draw waits for the previous state, so one stream is latency bound;
    // four stretches of the row, each with its own jumped-ahead copy, run side
    // by side instead.
    static void diffuseRow(const DiffuseRandom& rowStart, const Row& row, int n)
    {
        constexpr int kStreams = 4;
        const int len = (n + kStreams - 1) / kStreams;
        DiffuseRandom g[kStreams];
        int begin[kStreams], end[kStreams];
        for (int s = 0; s < kStreams; ++s) {
            begin[s] = std::min(n, s * len);
            end[s] = std::min(n, begin[s] + len);
            g[s] = rowStart;
            g[s].advance(2ULL * static_cast<unsigned>(begin[s]));
        }
        const int common = end[kStreams - 1] - begin[kStreams - 1];
        for (int j = 0; j < common; ++j)
            for (int s = 0; s < kStreams; ++s)
                pick(g[s], row, begin[s] + j);
        for (int s = 0; s < kStreams - 1; ++s)
            for (int x = begin[s] + common; x < end[s]; ++x)
                pick(g[s], row, x);
    }

    DiffuseRandom& generator_;
    const DiffuseRandom start_;
};

} // namespace

bool diffuse(Document& doc)
{
    DiffuseRule rule(doc.diffuseRandom);
    return dopixelpass(doc, rule, PassInputs{2, 2, false, false});
}

} // namespace pixpad
