// Time rules of the controls that repeat while a button is held or report
// while the mouse moves. They read the time they are given, so a widget
// passes its clock and a test can drive time by hand.
#pragma once

#include <cstdint>
#include <functional>

namespace ctltime {

// Milliseconds of a monotonic clock.
using Clock = std::function<int64_t()>;
int64_t SteadyMs();

// Passes at most one notice per interval. Started at a press, the first
// notice comes one interval after it at the earliest; a change inside an
// interval waits for the first poll after the interval has passed.
class NoticeLimiter {
public:
    explicit NoticeLimiter(int intervalMs) : interval_(intervalMs) {}

    void Start(int64_t now) {
        last_ = now;
        pending_ = false;
    }
    void Mark() { pending_ = true; }
    bool Pending() const { return pending_; }
    // True when a notice is due now; it is then taken.
    bool Poll(int64_t now) {
        if (!pending_ || now - last_ < interval_) return false;
        pending_ = false;
        last_ = now;
        return true;
    }
    // The release: whatever is pending is told now.
    bool TakePending() {
        const bool p = pending_;
        pending_ = false;
        return p;
    }
    int Interval() const { return interval_; }

private:
    int interval_;
    int64_t last_ = 0;
    bool pending_ = false;
};

// Press-and-hold repetition: the first repeat a delay after the press, then
// one every period. A stalled caller gets one repeat, not a burst.
class HoldRepeat {
public:
    HoldRepeat(int firstDelayMs, int periodMs) : first_(firstDelayMs), period_(periodMs) {}

    void Start(int64_t now) {
        active_ = true;
        next_ = now + first_;
    }
    void Stop() { active_ = false; }
    bool Active() const { return active_; }
    bool Due(int64_t now) {
        if (!active_ || now < next_) return false;
        next_ += period_;
        if (next_ <= now) next_ = now + period_;
        return true;
    }

private:
    int first_;
    int period_;
    bool active_ = false;
    int64_t next_ = 0;
};

} // namespace ctltime
