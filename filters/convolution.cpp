// The convolution engine and its two presets.
#include <algorithm>
#include <atomic>

#include "document/pixelpass.h"
#include "document/workers.h"
#include "filters/filterrows.h"
#include "filters/filters.h"

namespace pixpad {

namespace {

// The kernel is built from a copy of the settings taken when the command
// starts, so nothing that happens to doc.filter during the pass reaches it.
class ConvolutionRule final : public PassRule {
public:
    explicit ConvolutionRule(const FilterSettings& settings) : k_(settings) {}

    int halfSize() const { return k_.halfSize; }

    // Most kernels can't overflow on any picture and skip this. The others
    // are checked on this picture with the exact checked arithmetic, so a
    // kernel that would fail part-way is refused before the undo copy is
    // taken, and one that happens to fit runs like any other.
    void validate(const Surface& src, const PassRange& r) const override
    {
        if (!k_.canOverflow)
            return;
        constexpr int kRowsPerBlock = 16;
        const int blocks = (r.rows() + kRowsPerBlock - 1) / kRowsPerBlock;
        std::atomic<bool> overflow{false};
        Workers::shared().parallelFor(blocks, [&](int b) {
            const int begin = r.y0 + b * kRowsPerBlock;
            const int end = std::min(begin + kRowsPerBlock, r.y1 + 1);
            for (int y = begin; y < end && !overflow.load(std::memory_order_relaxed); ++y) {
                const uint32_t* rows[5];
                rowPointers(src, r, y, rows);
                if (convolveRowOverflows(k_, rows, r.columns()))
                    overflow.store(true, std::memory_order_relaxed);
            }
        });
        if (overflow.load())
            throw FilterOverflow();
    }

    void rows(const Surface& src, Surface& dst, const PassRange& r, int rowBegin,
              int rowEnd) const override
    {
        const int n = r.columns();
        for (int y = rowBegin; y < rowEnd; ++y) {
            uint32_t* out = dst.row(y) + r.x0;
            const uint32_t* rows[5];
            rowPointers(src, r, y, rows);
            switch (k_.shape) {
            case ConvolutionKernel::Shape::Smooth:
                smoothRow(rows[0], rows[1], rows[2], out, n);
                break;
            case ConvolutionKernel::Shape::Edge:
                edgeRow(rows[0], rows[1], rows[2], out, n);
                break;
            case ConvolutionKernel::Shape::General:
                convolveRow(k_, rows, out, n);
                break;
            }
        }
    }

private:
    void rowPointers(const Surface& src, const PassRange& r, int y, const uint32_t** rows) const
    {
        for (int dy = -k_.halfSize; dy <= k_.halfSize; ++dy)
            rows[dy + k_.halfSize] = src.row(y + dy) + r.x0;
    }

    ConvolutionKernel k_;
};

} // namespace

bool dofiltering(Document& doc)
{
    ConvolutionRule rule(doc.filter);
    const int h = rule.halfSize();
    return dopixelpass(doc, rule, PassInputs{h, h, false, false});
}

bool smooth(Document& doc)
{
    FilterSettings& f = doc.filter;
    clearmatrix(f);
    f.HalfSize = 1;
    for (int row = 1; row <= 3; ++row)
        for (int column = 1; column <= 3; ++column)
            f.Matrix[row][column] = 1;
    f.Divide = 9;
    f.Bias = 0;
    return dofiltering(doc);
}

bool edge(Document& doc)
{
    FilterSettings& f = doc.filter;
    clearmatrix(f);
    f.Divide = 1;
    f.Bias = 0;
    f.Matrix[2][1] = -1;
    f.Matrix[1][2] = -1;
    f.Matrix[2][2] = 4;
    f.Matrix[3][2] = -1;
    f.Matrix[2][3] = -1;
    f.HalfSize = 1;
    return dofiltering(doc);
}

} // namespace pixpad
