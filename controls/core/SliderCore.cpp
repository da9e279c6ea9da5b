#include "controls/core/SliderCore.h"

#include "model/ValueScale.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace slider {

namespace {

int Saturate(long long v) {
    if (v > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    if (v < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}

int ClampPos(long long p, int maximum) {
    if (p > maximum) p = maximum;
    if (p < 0) p = 0;
    return static_cast<int>(p);
}

} // namespace

int PositionFromValue(int kind, int maximum, int value) {
    const long long m = maximum, v = value;
    switch (kind) {
    case kEqGain:
        return Saturate(m - v + 80);
    case kDirect:
        return value;
    case kPhase:
        return Saturate(v - 20);
    default:
        return Saturate(m - v);
    }
}

int ValueFromPosition(int kind, int maximum, int position) {
    const long long m = maximum, p = position;
    switch (kind) {
    case kEqGain:
        return Saturate(m - p + 80);
    case kDirect:
        return position;
    case kPhase:
        return Saturate(p + 20);
    default:
        return Saturate(m - p);
    }
}

int PositionFromFrequency(int kind, int maximum, int position, int hz) {
    long long p = position;
    const long long i = FreqToTableIndex(hz);
    if (kind == kFrequencyLow) p = maximum - i;
    if (kind == kFrequencyHigh) p = maximum - i + 192;
    return ClampPos(p, maximum);
}

int PosToPixel(const Travel& t, int minimum, int maximum, int pos) {
    const double usable = t.Usable();
    const double range = static_cast<double>(maximum) - minimum;
    if (usable <= 0 || range <= 0) return t.Start();
    return Saturate(static_cast<long long>(t.Start()) +
                    SaturatingToInt(usable * ((static_cast<double>(pos) - minimum) / range)));
}

int PixelToPos(const Travel& t, int minimum, int maximum, int pixel) {
    const double usable = t.Usable();
    const double range = static_cast<double>(maximum) - minimum;
    if (usable <= 0 || range <= 0) return minimum;
    return SaturatingToInt(minimum + (static_cast<double>(pixel) - t.Start()) / usable * range);
}

void Model::SetPos(int pos) {
    pos_ = ClampPos(pos, maximum_);
}

void Model::MoveTo(int pos) {
    const int before = pos_;
    SetPos(pos);
    if (pos_ != before) moving_.Mark();
}

bool Model::EnableInput(bool on) {
    inputEnabled_ = on;
    if (on || !pressed_) return false;
    pressed_ = dragging_ = false;
    return true;
}

int Model::ClampToTravel(int along) const {
    const int start = travel_.Start(), end = travel_.End();
    if (vertical_) {
        if (along > end) along = end;
        if (along < start) along = start;
    } else {
        if (along < start) along = start;
        if (along > end) along = end;
    }
    return along;
}

bool Model::Press(int along, int64_t now) {
    if (!inputEnabled_) return false;
    pressed_ = dragging_ = true;
    moving_.Start(now);
    const long long d = static_cast<long long>(along) - PosToPixel(pos_);
    grabOffset_ = std::llabs(d) > travel_.thumb / 2 ? 0 : static_cast<int>(d);
    const int t = ClampToTravel(Saturate(static_cast<long long>(along) - grabOffset_));
    if (PosToPixel(pos_) != t) {
        // A press off the thumb steps one position toward the mouse and does
        // not drag.
        const int q = PixelToPos(t);
        MoveTo(pos_ <= q ? pos_ + 1 : pos_ - 1);
        dragging_ = false;
    }
    return true;
}

bool Model::Move(int along, int64_t now) {
    if (!dragging_ || !inputEnabled_) return false;
    const int t = ClampToTravel(Saturate(static_cast<long long>(along) - grabOffset_));
    if (PosToPixel(pos_) != t) MoveTo(PixelToPos(t));
    return moving_.Poll(now);
}

bool Model::Release() {
    if (!inputEnabled_ || !pressed_) return false;
    pressed_ = dragging_ = false;
    moving_.TakePending();
    return true;
}

bool Model::KeyPress(Key k) {
    if (!inputEnabled_) return false;
    const long long p = pos_;
    switch (k) {
    case Key::PageUp:
        SetPos(Saturate(p - pageStep_));
        break;
    case Key::PageDown:
        SetPos(Saturate(p + pageStep_));
        break;
    case Key::End:
        SetPos(maximum_);
        break;
    case Key::Home:
        SetPos(0);
        break;
    case Key::Left:
    case Key::Up:
        SetPos(Saturate(p - 1));
        break;
    case Key::Right:
    case Key::Down:
        SetPos(Saturate(p + 1));
        break;
    }
    return true;
}

bool Model::Wheel(int delta) {
    // A slider whose input is off (a locked page) ignores the wheel too.
    if (!inputEnabled_) return false;
    // Turning the wheel away from the user moves a vertical thumb up.
    const long long p = pos_;
    if (delta == -120) SetPos(Saturate(vertical_ ? p + 1 : p - 1));
    if (delta == 120) SetPos(Saturate(vertical_ ? p - 1 : p + 1));
    return true;
}

} // namespace slider
