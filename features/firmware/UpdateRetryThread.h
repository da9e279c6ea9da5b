// The update dialog's connection retry: a thread of its own whose timer
// ticks every interval while it runs, at most 21 times (ticks 0 to 20). At
// each tick it runs the slow half of an attempt here (the network module's
// ping), never the link's state, and hands the attempt to the dialog with a
// queued call; the dialog makes the attempt on its own thread and stops the
// timer when it succeeds. After the last tick the timer stops by itself.
// Nothing here waits for the dialog's thread.
#pragma once

#include "link/NetSocket.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class CUpdateRetryThread {
public:
    static constexpr int kLastTick = 20; // ticks 0..19 are quiet, 20 reports its failure

    // check: the slow half (any thread; cancelled when the timer stops).
    // deliver: hands tick, its check's result and the run it belongs to to the dialog.
    using Check = std::function<bool(const CancelCheck& cancelled)>;
    using Deliver = std::function<void(int run, int tick, bool ready)>;

    CUpdateRetryThread(Check check, Deliver deliver);
    ~CUpdateRetryThread();
    CUpdateRetryThread(const CUpdateRetryThread&) = delete;
    CUpdateRetryThread& operator=(const CUpdateRetryThread&) = delete;

    // A new run: tick counter 0, first tick after one interval. Returns the run's number.
    int StartTimer(int ms);
    // Stops the ticks; a check in progress is cancelled. Does not wait.
    void StopTimer();
    bool IsTimerRunning() const { return running_.load(); }
    int Run() const { return run_.load(); }
    int Ticks() const { return ticks_.load(); }
    // Ends the thread (the destructor does too).
    void Quit();

private:
    void Loop();

    Check check_;
    Deliver deliver_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::atomic<bool> running_{false};
    std::atomic<int> run_{0};
    std::atomic<int> ticks_{0};
    std::atomic<int> stoppedRun_{0}; // the checks of this run and earlier ones are cancelled
    int intervalMs_ = 500;
    bool quit_ = false;
    std::thread thread_;
};
