// The bitmap slider's behaviour, free of any widget: value kinds, the
// position/pixel mapping along the travel, and what the mouse, keys and
// wheel do to the position. The widget draws and posts the messages.
#pragma once

#include "controls/core/Timing.h"

#include <cstdint>

namespace slider {

// Value kinds: how the caller's values map to positions (m = maximum).
enum Kind : int {
    kInverted = 0,     // position = m - value (the default and every other kind)
    kFrequencyLow = 1, // frequency kinds (SetFrequency)
    kFrequencyHigh = 2,
    kEqGain = 10, // position = m - value + 80 (gain codes 80..320 over 0..240)
    kDirect = 33, // position = value
    kPhase = 34,  // position = value - 20
};

int PositionFromValue(int kind, int maximum, int value);
int ValueFromPosition(int kind, int maximum, int position);
// Frequency kinds: the position of a frequency's nearest table entry,
// clamped to [0, maximum]; other kinds keep the position (clamped).
int PositionFromFrequency(int kind, int maximum, int position, int hz);

// One axis of travel: the control's length and margins along it, and the
// thumb's size along it.
struct Travel {
    int length = 0;
    int marginStart = 0;
    int marginEnd = 0;
    int thumb = 0;

    int Start() const { return marginStart + thumb / 2; }
    int End() const { return length - marginEnd - thumb / 2; }
    int Usable() const { return length - marginStart - marginEnd - thumb; }
};

// Pixel of the thumb centre for a position; an empty travel or range maps
// every position to the start.
int PosToPixel(const Travel& t, int minimum, int maximum, int pos);
// Position under a pixel (not clamped); an empty travel or range gives the
// minimum.
int PixelToPos(const Travel& t, int minimum, int maximum, int pixel);

enum class Key { PageUp, PageDown, End, Home, Left, Up, Right, Down };

// Period of the moving report while the mouse moves the thumb.
constexpr int kMovingIntervalMs = 50;

class Model {
public:
    // Range: the minimum is always 0.
    void SetRange(int maximum) { maximum_ = maximum; }
    int Maximum() const { return maximum_; }
    void SetPos(int pos);
    int Pos() const { return pos_; }
    void SetKind(int kind) { kind_ = kind; }
    int Kind() const { return kind_; }
    void SetValue(int value) { pos_ = PositionFromValue(kind_, maximum_, value); }
    int Value() const { return ValueFromPosition(kind_, maximum_, pos_); }
    void SetFrequency(int hz) { pos_ = PositionFromFrequency(kind_, maximum_, pos_, hz); }
    void SetPageStep(int step) { pageStep_ = step; }
    void SetVertical(bool v) { vertical_ = v; }
    bool Vertical() const { return vertical_; }
    void SetTravel(const Travel& t) { travel_ = t; }
    const Travel& GetTravel() const { return travel_; }
    int PosToPixel(int pos) const { return slider::PosToPixel(travel_, 0, maximum_, pos); }
    int PixelToPos(int px) const { return slider::PixelToPos(travel_, 0, maximum_, px); }

    // Mouse and keys act only while input is enabled. Returns true when
    // disabling ended a drag (the widget releases the mouse).
    bool EnableInput(bool on);
    bool InputEnabled() const { return inputEnabled_; }
    bool Dragging() const { return dragging_; }

    // `along`: the mouse on the travel axis. Press returns false when input
    // is disabled; otherwise the widget takes the mouse and the focus.
    bool Press(int along, int64_t now);
    // A drag follows the mouse. Returns true when a moving report is due now.
    bool Move(int along, int64_t now);
    // Returns true when the release ends a press (report the move ended).
    bool Release();
    // The moving report's timer: true when a report is due now.
    bool Tick(int64_t now) { return moving_.Poll(now); }
    // A handled key: the move ended (report it even when nothing moved).
    bool KeyPress(Key k);
    // One wheel message; true when it is reported as an ended move.
    bool Wheel(int delta);

private:
    int ClampToTravel(int along) const;
    void MoveTo(int pos); // SetPos that marks a mouse-driven change

    int maximum_ = 100;
    int pos_ = 0;
    int pageStep_ = 13;
    int kind_ = kInverted;
    bool vertical_ = true;
    bool inputEnabled_ = true;
    bool dragging_ = false;
    bool pressed_ = false;
    int grabOffset_ = 0;
    Travel travel_;
    ctltime::NoticeLimiter moving_{kMovingIntervalMs};
};

} // namespace slider
