// A control's periodic timer, like a window timer: started with a period,
// it ticks until stopped. Tests switch real time off and tick timers by hand,
// so no test waits on the clock.
#pragma once

#include <functional>
#include <memory>

class QTimer;

class ControlTimer {
public:
    explicit ControlTimer(std::function<void()> onTick);
    ~ControlTimer();
    ControlTimer(const ControlTimer&) = delete;
    ControlTimer& operator=(const ControlTimer&) = delete;

    // Starts the timer with this period, or starts it again from now.
    void Start(int periodMs);
    void Stop();
    bool IsActive() const { return active_; }
    int Period() const { return period_; }

    // One tick now, as if a period had passed; nothing while stopped.
    // Returns whether it ticked.
    bool Fire();

    // While one of these lives, timers started meanwhile never tick by
    // themselves: the test fires them.
    class ManualTime {
    public:
        ManualTime();
        ~ManualTime();
        ManualTime(const ManualTime&) = delete;
        ManualTime& operator=(const ManualTime&) = delete;
    };

private:
    std::function<void()> onTick_;
    std::unique_ptr<QTimer> timer_;
    bool active_ = false;
    int period_ = 0;
};
