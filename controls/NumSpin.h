// CNumSpin: the up-down arrows beside a numeric field. The spin owns the
// field's range and steps its value by the rules of its value type (plain
// units, ratio steps, frequency-table steps, whole centimetres or inches for
// delays), writes the value into the field and tells the page with
// WM_COMMAND (id, 0). Held with the mouse it repeats (a first delay, then a
// steady rate) and tells the page at most every 400 ms and at the release.
// The field's Up and Down keys step it too, even while the spin is hidden.
#pragma once

#include "controls/core/Timing.h"
#include "platform/Message.h"

#include <QPointer>
#include <QWidget>

class CNumEdit;
class QTimer;

class CNumSpin : public platform::MessageTarget<QWidget> {
public:
    // Press and hold on an arrow: the first repeat after this delay, then one
    // per period; the page is told at most once per notice period.
    static constexpr int kFirstRepeatMs = 500;
    static constexpr int kRepeatMs = 100;
    static constexpr int kNoticeMs = 400;

    explicit CNumSpin(QWidget* parent = nullptr);
    ~CNumSpin() override;

    virtual void SetBuddy(CNumEdit* field);
    virtual CNumEdit* GetBuddy() const;
    virtual void GetRange32(int& minimum, int& maximum) const;
    // Stores the range, gives it to the field (whose value becomes the
    // minimum) and copies the field's type as the spin's step rule.
    virtual void SetRange32(int minimum, int maximum);
    // The field's value, read from typed text first.
    virtual int ReadBuddyValue();
    int GetBuddyValue() { return ReadBuddyValue(); }
    // A value from the device: outside the range the user is asked whether to
    // restore the default data; the value is then limited to the range and
    // shown. Returns false when the answer was Yes.
    virtual bool SetValueWithCheck(int v);
    bool SetValueChecked(int v) { return SetValueWithCheck(v); }
    virtual bool IsBuddyModified() const;

    void SetValueType(int type) { valueType_ = type; }
    int GetValueType() const { return valueType_; }
    int GetBuddyType() const;
    void SetChannel(int n) { channel_ = n; }
    int GetChannel() const { return channel_; }
    // Places the spin at the field's right edge, inside it.
    void SetAlignRight(bool on);

    // One step of the field's spin strip (no ratio rule, no table move).
    void StepBy(int delta);
    // One arrow step, as a click (held) or a key (not held) makes it.
    void ArrowStep(int delta, bool held);

    bool IsHeld() const { return held_; }
    // The clock the hold rules read (tests drive their own).
    void SetClock(ctltime::Clock clock) { clock_ = std::move(clock); }
    // The hold timer's handler: repeats and the pending notice.
    void OnHoldTimer();

    QSize sizeHint() const override { return QSize(16, 22); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    void RunStep(int delta, bool held, bool strip);
    int ArrowAt(const QPoint& p) const; // +1 up half, -1 down half
    void FollowBuddy();

    // Kept as a plain widget: while the field is being destroyed it is no
    // longer a CNumEdit, and Buddy() then answers null.
    QPointer<QWidget> buddy_;
    CNumEdit* Buddy() const;
    int value_ = 0;
    int minimum_ = 0;
    int maximum_ = 0;
    bool held_ = false;
    int heldArrow_ = 0; // the arrow being held
    bool overArrow_ = false;
    int valueType_ = 0;
    int channel_ = -1;
    bool alignRight_ = false;
    ctltime::HoldRepeat repeat_{kFirstRepeatMs, kRepeatMs};
    ctltime::NoticeLimiter notice_{kNoticeMs};
    QTimer* timer_;
    ctltime::Clock clock_ = ctltime::SteadyMs;
};
