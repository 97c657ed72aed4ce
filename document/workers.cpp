#include "document/workers.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <exception>

namespace pixpad {

namespace {
// Set on every thread that is running a task of a pool, or that has started
// one and not yet waited for it. The pool runs one task at a time, so a
// parallelFor from there (a drawing call inside a pass's rows, say) must not
// hand out a second one: it runs on the calling thread instead.
thread_local int tlsInTask = 0;
} // namespace

Workers& Workers::shared()
{
    static Workers pool([] {
        if (const char* env = std::getenv("PIXPAD_THREADS")) {
            int n = std::atoi(env);
            if (n >= 1)
                return std::min(n, 256);
        }
        return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    }());
    return pool;
}

Workers::Workers(int threads) { setThreads(threads); }

Workers::~Workers() { stopHelpers(); }

void Workers::setThreads(int threads)
{
    threads = std::max(1, threads);
    if (threads == this->threads())
        return;
    stopHelpers();
    quit_ = false;
    uint64_t current;
    {
        std::lock_guard lock(mutex_);
        current = generation_;
    }
    for (int i = 1; i < threads; ++i)
        helpers_.emplace_back([this, current] { helperLoop(current); });
}

void Workers::stopHelpers()
{
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    for (auto& t : helpers_)
        t.join();
    helpers_.clear();
}

void Workers::helperLoop(uint64_t seen)
{
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [&] { return quit_ || generation_ != seen; });
            if (quit_)
                return;
            seen = generation_;
            task = task_;
        }
        ++tlsInTask;
        task();
        --tlsInTask;
        {
            std::lock_guard lock(mutex_);
            if (--running_ == 0)
                idle_.notify_all();
        }
    }
}

void Workers::start(std::function<void()> task)
{
    if (helpers_.empty())
        return;
    ++tlsInTask;
    {
        std::lock_guard lock(mutex_);
        task_ = std::move(task);
        running_ = static_cast<int>(helpers_.size());
        ++generation_;
    }
    wake_.notify_all();
}

void Workers::wait()
{
    if (helpers_.empty())
        return;
    {
        std::unique_lock lock(mutex_);
        idle_.wait(lock, [&] { return running_ == 0; });
    }
    if (tlsInTask > 0)
        --tlsInTask;
}

void Workers::parallelFor(int count, const std::function<void(int)>& body)
{
    if (count <= 0)
        return;
    if (helpers_.empty() || count == 1 || tlsInTask > 0) {
        for (int i = 0; i < count; ++i)
            body(i);
        return;
    }
    std::atomic<int> next{0};
    std::mutex failMutex;
    std::exception_ptr failure;
    auto share = [&] {
        try {
            for (int i = next.fetch_add(1); i < count; i = next.fetch_add(1))
                body(i);
        } catch (...) {
            std::lock_guard lock(failMutex);
            if (!failure)
                failure = std::current_exception();
            next.store(count);
        }
    };
    start(share);
    share();
    wait();
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace pixpad
