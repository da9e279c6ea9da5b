// CSpinBtn: the bitmap spin strip a read-only numeric field shows over
// itself: a down zone at the left, a middle zone that shows the value, an up
// zone at the right. While the field has the focus the strip is active and
// holding the button on an end zone steps the field's CNumSpin.
#pragma once

#include "controls/core/Timing.h"
#include "platform/Message.h"

#include <QColor>
#include <QPointer>
#include <QString>
#include <QWidget>

class CNumSpin;
class QTimer;

class CSpinBtn : public platform::MessageTarget<QWidget> {
public:
    enum Zone { kNone = 0, kDown = 1, kMiddle = 2, kUp = 3 };

    // Press and hold: the first step this long after the press, then one per period.
    static constexpr int kFirstStepMs = 1100;
    static constexpr int kRepeatMs = 100;

    explicit CSpinBtn(QWidget* parent = nullptr);

    // Faces: idle (no zone), down, middle and up zone. The strip takes the
    // size of the idle face and divides itself into the zones.
    void SetBitmaps(int idle, int down, int middle, int up);
    void SetActive(bool active);
    bool IsActive() const { return active_; }
    void SetTarget(int number, CNumSpin* spin);

    // The value text shown between the arrows.
    void setText(const QString& text);
    QString text() const { return text_; }

    Zone CurrentZone() const { return zone_; }
    Zone ZoneAt(int x, int y) const;

    // The clock the hold repeat reads (tests drive their own).
    void SetClock(ctltime::Clock clock) { clock_ = std::move(clock); }
    // The repeat timer's handler.
    void OnRepeatTimer();

protected:
    void paintEvent(QPaintEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void Step();
    void ComputeZones();
    void SetZone(Zone z);

    int faces_[4] = {0, 0, 0, 0};
    QColor caption_ = QColor(255, 255, 255);
    QColor disabledCaption_ = QColor(155, 155, 155);
    bool active_ = false;
    bool pressed_ = false;
    int downEnd_ = 0; // [0, downEnd_) down, [downEnd_, upStart_) middle, [upStart_, width) up
    int upStart_ = 0;
    Zone zone_ = kNone;
    QPointer<QWidget> target_; // a CNumSpin while it lives
    int targetNumber_ = 0;
    QString text_;
    ctltime::HoldRepeat repeat_{kFirstStepMs, kRepeatMs};
    QTimer* timer_;
    ctltime::Clock clock_ = ctltime::SteadyMs;
};
