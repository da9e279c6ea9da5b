// Helpers of the user-interface tests.
#pragma once

#include "model/Globals.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

// Runs the event loop until done() holds or the time is up; returns done().
inline bool PumpUntil(const std::function<bool()>& done, int ms = 5000) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

// Whether another thread (the link worker) could take g_DeviceLock now, e.g.
// while a message box waits for the user. The lock is re-entrant, so the
// asking thread cannot find out by itself.
inline bool DeviceLockFreeForOthers() {
    return std::async(std::launch::async,
                      [] {
                          if (!g_DeviceLock.try_lock()) return false;
                          g_DeviceLock.unlock();
                          return true;
                      })
        .get();
}

// Ends the process if a test hangs (a deadlock would otherwise stall the suite).
class Watchdog {
public:
    explicit Watchdog(int seconds) {
        thread_ = std::thread([this, seconds] {
            std::unique_lock<std::mutex> lock(mutex_);
            if (!cv_.wait_for(lock, std::chrono::seconds(seconds), [this] { return stop_; })) {
                std::fprintf(stderr, "watchdog: the test hangs (deadlock?)\n");
                std::_Exit(3);
            }
        });
    }
    ~Watchdog() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        cv_.notify_all();
        thread_.join();
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool stop_ = false;
    std::thread thread_;
};
