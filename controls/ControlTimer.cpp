#include "controls/ControlTimer.h"

#include <QTimer>

#include <atomic>

namespace {
std::atomic<int> g_manualTime{0};
}

ControlTimer::ManualTime::ManualTime() {
    ++g_manualTime;
}
ControlTimer::ManualTime::~ManualTime() {
    --g_manualTime;
}

ControlTimer::ControlTimer(std::function<void()> onTick) : onTick_(std::move(onTick)) {}

ControlTimer::~ControlTimer() = default;

void ControlTimer::Start(int periodMs) {
    active_ = true;
    period_ = periodMs;
    if (g_manualTime.load() > 0) {
        if (timer_) timer_->stop();
        return;
    }
    if (!timer_) {
        timer_ = std::make_unique<QTimer>();
        QObject::connect(timer_.get(), &QTimer::timeout, [this] { Fire(); });
    }
    timer_->start(periodMs);
}

void ControlTimer::Stop() {
    active_ = false;
    if (timer_) timer_->stop();
}

bool ControlTimer::Fire() {
    if (!active_) return false;
    onTick_();
    return true;
}
