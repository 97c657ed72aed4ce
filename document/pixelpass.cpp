#include "document/pixelpass.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

#include "document/workers.h"

namespace pixpad {

PassRange passRange(const Document& doc, PassInputs in)
{
    const int w = in.boundsFromSurface ? doc.Picture1.width() : doc.ImageWidth;
    const int h = in.boundsFromSurface ? doc.Picture1.height() : doc.ImageHeight;
    PassRange r;
    r.y0 = in.first;
    r.x0 = in.first;
    // Clamped to the surface as well: the two always agree, but a pass must
    // never read or write outside its pictures whatever state it finds.
    r.y1 = std::min(h, doc.Picture1.height()) - 1 - in.farMargin;
    r.x1 = std::min(w, doc.Picture1.width()) - 1 - in.farMargin;
    if (r.columns() == 0)
        r.x1 = r.x0 - 1;
    return r;
}

void undoCopyForRewrite(Document& doc)
{
    doc.Picture2.swapPixels(doc.Picture1);
    doc.Picture1.setSizeUninitialised(doc.Picture2.width(), doc.Picture2.height());
}

namespace {

// Fills everything of Picture1 outside the loop ranges with the background, so
// together with the rule every pixel is written once: the same picture as
// clearing first and then writing the inside.
void clearOutside(Surface& s, const PassRange& r)
{
    const Colour back = s.backColor();
    if (r.rows() == 0 || r.columns() == 0) {
        s.fill(back);
        return;
    }
    s.fillRect(0, 0, s.width(), r.y0, back);
    s.fillRect(0, r.y1 + 1, s.width(), s.height() - r.y1 - 1, back);
    s.fillRect(0, r.y0, r.x0, r.rows(), back);
    s.fillRect(r.x1 + 1, r.y0, s.width() - r.x1 - 1, r.rows(), back);
}

// Rows per band: small enough that progress moves smoothly and both cores stay
// busy to the end, large enough that handing out a band costs nothing.
int bandRows(const PassRange& r, int threads)
{
    const long long pixelsPerBand = 1 << 16;
    int rows = static_cast<int>(std::max<long long>(1, pixelsPerBand / std::max(1, r.columns())));
    rows = std::min(rows, std::max(1, r.rows() / (threads * 4)));
    return std::max(1, rows);
}

} // namespace

bool dopixelpass(Document& doc, PassRule& rule, PassInputs in)
{
    const PassRange r = passRange(doc, in);
    if (r.rows() > 0 && r.columns() > 0)
        rule.validate(doc.Picture1, r);

    undoCopyForRewrite(doc);
    clearOutside(doc.Picture1, r);

    PassObserver* obs = doc.observer;
    if (obs)
        obs->passStarted(in.startBarAtZero);
    const double divisor = in.boundsFromSurface ? doc.Picture1.height() : doc.ImageHeight;
    auto report = [&](int y) {
        return obs ? obs->rowFinished(y, static_cast<float>(y / divisor * 100.0)) : true;
    };

    bool completed = true;
    const int rows = r.rows();
    if (rows > 0) {
        Workers& pool = Workers::shared();
        const int threads = r.columns() > 0 ? pool.threads() : 1;
        const int band = bandRows(r, threads);
        const int bands = (rows + band - 1) / band;
        const Surface& src = doc.Picture2;
        Surface& dst = doc.Picture1;

        auto doBand = [&](int b) {
            if (r.columns() == 0)
                return;
            const int begin = r.y0 + b * band;
            rule.rows(src, dst, r, begin, std::min(begin + band, r.y1 + 1));
        };

        if (threads == 1 || bands == 1) {
            for (int b = 0; b < bands && completed; ++b) {
                doBand(b);
                const int begin = r.y0 + b * band, end = std::min(begin + band, r.y1 + 1);
                for (int y = begin; y < end && completed; ++y)
                    completed = report(y);
            }
        } else {
            std::atomic<int> next{0};
            std::atomic<bool> stop{false};
            std::unique_ptr<std::atomic<bool>[]> done(new std::atomic<bool>[bands]);
            for (int b = 0; b < bands; ++b)
                done[b].store(false, std::memory_order_relaxed);
            std::mutex m;
            std::condition_variable cv;
            auto work = [&] {
                for (int b = next.fetch_add(1); b < bands && !stop.load(); b = next.fetch_add(1)) {
                    doBand(b);
                    {
                        std::lock_guard lock(m);
                        done[b].store(true, std::memory_order_release);
                    }
                    cv.notify_all();
                }
            };
            pool.start(work);
            // The caller computes bands too, and between its own bands hands
            // the finished rows to the observer in order.
            int reported = 0;
            auto reportReady = [&] {
                while (reported < bands && done[reported].load(std::memory_order_acquire) && completed) {
                    const int begin = r.y0 + reported * band, end = std::min(begin + band, r.y1 + 1);
                    for (int y = begin; y < end && completed; ++y)
                        completed = report(y);
                    ++reported;
                }
                if (!completed)
                    stop.store(true);
            };
            for (int b = next.fetch_add(1); b < bands && !stop.load(); b = next.fetch_add(1)) {
                doBand(b);
                {
                    std::lock_guard lock(m);
                    done[b].store(true, std::memory_order_release);
                }
                reportReady();
            }
            while (completed && reported < bands) {
                {
                    std::unique_lock lock(m);
                    cv.wait(lock, [&] { return done[reported].load(std::memory_order_acquire); });
                }
                reportReady();
            }
            pool.wait();
        }
    }

    if (completed)
        rule.finished(r);
    if (obs)
        obs->passFinished();
    return completed;
}

} // namespace pixpad
