#include "controls/SpinBtn.h"

#include "controls/ControlNotify.h"
#include "controls/NumSpin.h"
#include "controls/SkinControl.h"
#include "platform/Skin.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QWheelEvent>

namespace {
constexpr int kPollMs = 20; // how often the hold repeat is looked at
}

CSpinBtn::CSpinBtn(QWidget* parent) : MessageTarget<QWidget>(parent), timer_(new QTimer(this)) {
    // The field keeps the keyboard focus: the strip acts while the field has it.
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    setCursor(Qt::ArrowCursor);
    timer_->setInterval(kPollMs);
    connect(timer_, &QTimer::timeout, this, &CSpinBtn::OnRepeatTimer);
    ComputeZones();
}

void CSpinBtn::SetBitmaps(int idle, int down, int middle, int up) {
    faces_[kNone] = idle;
    faces_[kDown] = down;
    faces_[kMiddle] = middle;
    faces_[kUp] = up;
    const QSize size = skin::Size(idle);
    if (size.isValid()) resize(size);
    ComputeZones();
    update();
}

void CSpinBtn::ComputeZones() {
    // Each end zone is a 5.5th of the width.
    const double d = width() / 5.5;
    downEnd_ = static_cast<int>(d);
    upStart_ = static_cast<int>(width() - d);
}

CSpinBtn::Zone CSpinBtn::ZoneAt(int x, int y) const {
    if (!rect().contains(x, y)) return kNone;
    if (x >= downEnd_ && x < upStart_) return kMiddle;
    return x < downEnd_ ? kDown : kUp;
}

void CSpinBtn::SetZone(Zone z) {
    if (z == zone_) return;
    zone_ = z;
    update();
}

void CSpinBtn::SetActive(bool active) {
    active_ = active;
    zone_ = active ? kMiddle : kNone;
    update();
}

void CSpinBtn::SetTarget(int number, CNumSpin* spin) {
    targetNumber_ = number;
    target_ = spin;
}

void CSpinBtn::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    update();
}

void CSpinBtn::Step() {
    CNumSpin* spin = dynamic_cast<CNumSpin*>(target_.data());
    if (!active_ || !spin) return;
    if (zone_ == kDown) spin->StepBy(-1);
    if (zone_ == kUp) spin->StepBy(1);
}

void CSpinBtn::OnRepeatTimer() {
    if (pressed_ && repeat_.Due(clock_())) Step();
}

void CSpinBtn::mouseMoveEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    SetZone(active_ ? ZoneAt(p.x(), p.y()) : kNone);
}

void CSpinBtn::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    pressed_ = true;
    if (active_) {
        const QPoint p = e->position().toPoint();
        SetZone(ZoneAt(p.x(), p.y()));
    }
    // Holding starts stepping after a pause; a quick click steps nothing.
    repeat_.Start(clock_());
    timer_->start();
    if (parentWidget()) platform::PostMessage(parentWidget(), WM_LBUTTONDOWN, 0, 0);
}

void CSpinBtn::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    pressed_ = false;
    repeat_.Stop();
    timer_->stop();
}

void CSpinBtn::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    if (active_) {
        const QPoint p = e->position().toPoint();
        SetZone(ZoneAt(p.x(), p.y()));
    }
    Step();
}

void CSpinBtn::leaveEvent(QEvent*) {
    SetZone(active_ ? kMiddle : kNone);
}

void CSpinBtn::wheelEvent(QWheelEvent* e) {
    e->ignore();
} // the wheel never steps

void CSpinBtn::resizeEvent(QResizeEvent*) {
    ComputeZones();
}

void CSpinBtn::paintEvent(QPaintEvent*) {
    QPainter p(this);
    // Disabled, the strip shows its idle face dimmed.
    const QPixmap face = isEnabled() ? ctl::Picture(static_cast<unsigned>(faces_[zone_]))
                                     : ctl::DisabledFace(0, static_cast<unsigned>(faces_[kNone]));
    if (face.isNull())
        p.fillRect(rect(), palette().button());
    else
        p.drawPixmap(rect(), face);
    if (text_.isEmpty()) return;
    p.setFont(font());
    if (!isEnabled()) {
        p.setPen(disabledCaption_);
        p.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, text_);
    } else {
        // A little above the middle, clear of the face's lower edge.
        p.setPen(caption_);
        p.drawText(rect().adjusted(0, 0, 0, -5), Qt::AlignCenter | Qt::TextSingleLine, text_);
    }
}
