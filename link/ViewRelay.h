// Delivers the engine's messages to the main view so that a synchronous
// send from the link worker can never deadlock against the UI thread: a
// send from another thread waits in a mailbox that the UI thread empties,
// both from its event loop (woken by the wake function) and while it waits
// for the worker to end (StopIo runs Drain as its wait pump).
#pragma once

#include "model/Notify.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class CViewRelay : public IViewNotify {
public:
    // target: the view's own notify endpoint, called on the UI thread only
    // for sends. wake: asks the UI thread to call Drain soon (may be empty
    // when the UI thread drains on its own). The constructing thread is the UI thread.
    explicit CViewRelay(IViewNotify& target, std::function<void()> wake = {});

    void Post(unsigned msg, WPARAM wParam, LPARAM lParam) override;
    LRESULT Send(unsigned msg, WPARAM wParam, LPARAM lParam) override;
    // UI thread: delivers every waiting send.
    void Drain();
    // How many sends wait to be delivered.
    size_t Waiting();

private:
    struct Request {
        unsigned msg;
        WPARAM w;
        LPARAM l;
        LRESULT result = 0;
        bool done = false;
    };

    IViewNotify& target_;
    std::function<void()> wake_;
    std::thread::id uiThread_;
    std::mutex mutex_;
    std::condition_variable done_;
    std::deque<Request*> waiting_;
};
