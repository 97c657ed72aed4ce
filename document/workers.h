#pragma once
// A small pool of helper threads, started once and reused by every command.
// The calling thread always takes part in the work itself, so a pool of one
// thread in all means "no helpers" and everything runs on the caller.
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace pixpad {

class Workers {
public:
    // The pool the commands use. Its size defaults to the number of cores; the
    // environment variable PIXPAD_THREADS overrides that (1 = single-threaded).
    static Workers& shared();

    explicit Workers(int threads);
    ~Workers();
    Workers(const Workers&) = delete;
    Workers& operator=(const Workers&) = delete;

    // Threads in all, the caller included.
    int threads() const { return static_cast<int>(helpers_.size()) + 1; }
    void setThreads(int threads);

    // Starts `task` on every helper thread and returns at once; the caller does
    // its share and then calls wait(). One task at a time.
    void start(std::function<void()> task);
    void wait();

    // Runs body(i) for i in [0, count) on all threads and waits for them.
    void parallelFor(int count, const std::function<void(int)>& body);

private:
    void stopHelpers();
    void helperLoop(uint64_t seen);

    std::vector<std::thread> helpers_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::function<void()> task_;
    uint64_t generation_ = 0;
    int running_ = 0;
    bool quit_ = false;
};

} // namespace pixpad
