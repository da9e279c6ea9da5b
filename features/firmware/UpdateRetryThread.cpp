#include "features/firmware/UpdateRetryThread.h"

#include <chrono>
#include <climits>

CUpdateRetryThread::CUpdateRetryThread(Check check, Deliver deliver)
    : check_(std::move(check)), deliver_(std::move(deliver)) {
    thread_ = std::thread([this] { Loop(); });
}

CUpdateRetryThread::~CUpdateRetryThread() {
    Quit();
}

int CUpdateRetryThread::StartTimer(int ms) {
    int run;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        intervalMs_ = ms;
        ticks_ = 0;
        run = ++run_;
        running_ = true;
    }
    changed_.notify_all();
    return run;
}

void CUpdateRetryThread::StopTimer() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        running_ = false;
        stoppedRun_ = run_.load();
    }
    changed_.notify_all();
}

void CUpdateRetryThread::Quit() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        running_ = false;
        stoppedRun_ = INT_MAX;
        quit_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

void CUpdateRetryThread::Loop() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return quit_ || running_.load(); });
        if (quit_) return;
        const int run = run_.load();
        // One interval, unless the run is stopped or replaced meanwhile.
        const bool stopped = changed_.wait_for(lock, std::chrono::milliseconds(intervalMs_), [&] {
            return quit_ || !running_.load() || run_.load() != run;
        });
        if (stopped) continue;
        const int tick = ticks_.load();
        if (tick >= kLastTick) running_ = false; // the last attempt: no more ticks
        lock.unlock();
        const bool ready =
            check_ ? check_([this, run] { return stoppedRun_.load() >= run; }) : true;
        if (deliver_) deliver_(run, tick, ready);
        lock.lock();
        if (run_.load() == run) ticks_ = tick + 1;
    }
}
