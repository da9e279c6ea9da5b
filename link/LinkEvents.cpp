#include "link/LinkEvents.h"

#include <chrono>

void CLinkEvents::Set(int i) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        set_[i] = true;
    }
    changed_.notify_all();
}

void CLinkEvents::Reset(int i) {
    std::lock_guard<std::mutex> lock(mutex_);
    set_[i] = false;
}

void CLinkEvents::ResetAll() {
    std::lock_guard<std::mutex> lock(mutex_);
    for (bool& s : set_)
        s = false;
}

bool CLinkEvents::IsSet(int i) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return set_[i];
}

int CLinkEvents::WaitAny(int ms) {
    std::unique_lock<std::mutex> lock(mutex_);
    auto first = [this] {
        for (int i = 0; i < kCount; ++i)
            if (set_[i]) return i;
        return -1;
    };
    changed_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return first() >= 0; });
    return first();
}

bool CLinkEvents::SleepUnlessEnded(int ms) {
    if (ms <= 0) return !IsSet(kEnd);
    std::unique_lock<std::mutex> lock(mutex_);
    return !changed_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return set_[kEnd]; });
}
