// The link worker's four manual-reset events: end, suspend, firmware step,
// normal step. A set event stays set until it is reset.
#pragma once

#include <condition_variable>
#include <mutex>

class CLinkEvents {
public:
    enum Index { kEnd = 0, kSuspend = 1, kFirmwareStep = 2, kNormalStep = 3, kCount = 4 };

    void Set(int i);
    void Reset(int i);
    void ResetAll();
    bool IsSet(int i) const;
    // The lowest set event, or -1 after ms without one.
    int WaitAny(int ms);
    // Sleeps ms unless the end event is or becomes set; false when it ended early.
    bool SleepUnlessEnded(int ms);
    bool EndRequested() const { return IsSet(kEnd); }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool set_[kCount] = {};
};
