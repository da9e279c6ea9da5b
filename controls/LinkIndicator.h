// Two small indicators.
// - CLinkStateText: the main view's link-state text on a dark background. Steady,
//   it is near-white; blinking, its colour changes every 1001 ms, red first.
//   The text is centred on the control less a 19-pixel strip at the right.
// - CLampRow: a row of twelve lamps: nine green level lamps and three flag
//   lamps (yellow, orange, red).
#pragma once

#include "controls/ControlTimer.h"

#include <QAbstractButton>
#include <QColor>
#include <QWidget>

// A button that only shows its text (the templates keep it disabled).
class CLinkStateText : public QAbstractButton {
public:
    static constexpr int kBlinkMs = 1001;
    static constexpr int kRightStrip = 19;

    explicit CLinkStateText(QWidget* parent = nullptr);

    // Blinking starts with the off phase; the first change shows at the first tick.
    void StartBlink();
    // Steady again, repainted at once.
    void StopBlink();
    void SetText(const QString& text) { setText(text); }
    QString Text() const { return text(); }
    // The caption font (not owned; null: the control's own).
    void SetCaptionFont(const QFont* font) { font_ = font; }

    bool IsBlinking() const { return blinking_; }
    QColor CurrentTextColor() const;
    ControlTimer& BlinkTimer() { return timer_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void OnTick();

    QColor steady_{250, 250, 250};
    QColor offPhase_{250, 250, 250};
    QColor onPhase_{255, 0, 0};
    QColor background_{76, 76, 76};
    const QFont* font_ = nullptr;
    bool blinking_ = false;
    bool phase_ = false;
    ControlTimer timer_;
};

class CLampRow : public QWidget {
public:
    static constexpr int kLamps = 12;
    static constexpr int kLevelLamps = 9;

    explicit CLampRow(QWidget* parent = nullptr);

    // Lamp size from the control's size: width / 13, the full height.
    void InitLayout();
    // Bits 0x10, 0x20, 0x40 light lamps 11, 10, 9; the low four bits n light
    // level lamps 0..n-1 and darken the others (n above 9 leaves them).
    // Repaints at once when a lamp changed or a change is still due.
    void SetState(unsigned flags);
    // Every lamp dark; the next SetState repaints too.
    void ClearAll();

    bool IsLit(int lamp) const { return lamp >= 0 && lamp < kLamps && lit_[lamp]; }
    QRect LampRect(int lamp) const;
    static QColor LitColor(int lamp);
    static QColor DarkColor() { return QColor(102, 102, 102); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QSize lamp_;
    bool lit_[kLamps];
    bool shown_[kLamps];
    bool changed_ = true;
};
