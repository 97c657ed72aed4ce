#pragma once
// The pixel pass: the one frame of every per-pixel command. It takes the undo
// copy, clears the working picture, rebuilds it row by row from the undo copy
// with the command's rule, and reports each finished row, in order, to the
// observer (the editor's progress bar, repaint and message step).
//
// Rows are independent (every read comes from Picture2), so the pass computes
// bands of rows on all cores; the observer still sees every row in ascending
// order on the calling thread, and the result is the same as on one thread.
#include <cstdint>

#include "document/document.h"

namespace pixpad {

struct PassInputs {
    int first = 0;            // first row and column written
    int farMargin = 0;        // last row ImageHeight-1-farMargin, last column likewise
    bool startBarAtZero = false;
    // Take the bounds and the progress divisor from Picture1's drawing area
    // instead of ImageWidth/ImageHeight ("Embose" does; they always agree).
    bool boundsFromSurface = false;
};

// The loop ranges of one pass, inclusive; empty when y1 < y0 or x1 < x0.
struct PassRange {
    int y0 = 0, y1 = -1;
    int x0 = 0, x1 = -1;
    int rows() const { return y1 >= y0 ? y1 - y0 + 1 : 0; }
    int columns() const { return x1 >= x0 ? x1 - x0 + 1 : 0; }
};

class PassRule {
public:
    virtual ~PassRule() = default;
    // Runs before anything changes; throws (an Overflow16, or any exception
    // whose what() a user can read) when the pass would fail, so a failed
    // command leaves the picture and the undo copy as they were.
    virtual void validate(const Surface& /*src*/, const PassRange& /*range*/) const {}
    // Writes columns range.x0..x1 of rows [rowBegin, rowEnd) of dst from src.
    // Called concurrently for disjoint row bands; must not throw.
    virtual void rows(const Surface& src, Surface& dst, const PassRange& range, int rowBegin,
                      int rowEnd) const = 0;
    // After every row has been written (not after an abandoned pass).
    virtual void finished(const PassRange& /*range*/) {}
};

class PassObserver {
public:
    virtual ~PassObserver() = default;
    // The bar is shown; set it to 0 only when barAtZero.
    virtual void passStarted(bool /*barAtZero*/) {}
    // Row y is in Picture1 (rows arrive in ascending order). value is
    // y / height * 100 formed in double and stored as single precision.
    // This is the message step: return false to abandon the pass.
    virtual bool rowFinished(int /*y*/, float /*value*/) { return true; }
    // The bar is hidden.
    virtual void passFinished() {}
};

// Runs the pass. Returns false when the observer abandoned it. Exceptions from
// validate() propagate before anything is changed.
bool dopixelpass(Document& doc, PassRule& rule, PassInputs inputs);

// The loop ranges dopixelpass would use for the document as it stands.
PassRange passRange(const Document& doc, PassInputs inputs);

// For commands that rewrite every pixel of Picture1 from the picture it held
// (Invert, the flips): the undo copy is taken by swapping buffers, and
// Picture1 is left sized like Picture2 with undefined contents.
void undoCopyForRewrite(Document& doc);

// A rule that maps each pixel on its own: fn(const uint32_t* src, uint32_t* dst, int n).
template <class RowFn>
class RowMapRule final : public PassRule {
public:
    explicit RowMapRule(RowFn fn) : fn_(fn) {}
    void rows(const Surface& src, Surface& dst, const PassRange& r, int rowBegin,
              int rowEnd) const override
    {
        for (int y = rowBegin; y < rowEnd; ++y)
            fn_(src.row(y) + r.x0, dst.row(y) + r.x0, r.columns());
    }

private:
    RowFn fn_;
};

} // namespace pixpad
