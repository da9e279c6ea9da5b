#include "controls/NumSpin.h"

#include "controls/ControlNotify.h"
#include "controls/MessageBox.h"
#include "controls/NumEdit.h"
#include "controls/core/SpinStep.h"
#include "model/Globals.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>

namespace {

constexpr int kPollMs = 20; // how often the hold rules are looked at

const BiText kDataExceptionText{"数据异常,是否恢复默认数据?",
                                "Data exception, do you want to restore the default data?"};

} // namespace

CNumSpin::CNumSpin(QWidget* parent) : MessageTarget<QWidget>(parent), timer_(new QTimer(this)) {
    setFocusPolicy(Qt::NoFocus);
    timer_->setInterval(kPollMs);
    connect(timer_, &QTimer::timeout, this, &CNumSpin::OnHoldTimer);
}

CNumSpin::~CNumSpin() {
    if (buddy_) buddy_->removeEventFilter(this);
}

CNumEdit* CNumSpin::Buddy() const {
    return dynamic_cast<CNumEdit*>(buddy_.data());
}

void CNumSpin::SetBuddy(CNumEdit* field) {
    if (buddy_) buddy_->removeEventFilter(this);
    buddy_ = field;
    if (field) field->installEventFilter(this);
    FollowBuddy();
}

CNumEdit* CNumSpin::GetBuddy() const {
    return Buddy();
}

void CNumSpin::GetRange32(int& minimum, int& maximum) const {
    minimum = minimum_;
    maximum = maximum_;
}

void CNumSpin::SetRange32(int minimum, int maximum) {
    minimum_ = minimum;
    maximum_ = maximum;
    value_ = minimum;
    if (CNumEdit* field = Buddy()) {
        field->SetRange(minimum, maximum);
        // The step rule follows the field's type as it is now.
        valueType_ = field->GetType();
    }
}

int CNumSpin::ReadBuddyValue() {
    if (CNumEdit* field = Buddy()) value_ = field->GetValue();
    return value_;
}

bool CNumSpin::SetValueWithCheck(int v) {
    bool kept = true;
    if (v < minimum_ || v > maximum_) {
        const bool chinese = g_LanguageFlag.load() != 0;
        const int answer = ShowMessageBox(this, kDataExceptionText.Pick(), std::string(), MB_YESNO,
                                          chinese ? 1 : 0, chinese ? -2 : -3);
        kept = answer != IDYES;
        if (v > maximum_) v = maximum_;
        if (v < minimum_) v = minimum_;
    }
    value_ = v;
    if (CNumEdit* field = Buddy()) field->SetValue(v);
    return kept;
}

bool CNumSpin::IsBuddyModified() const {
    const CNumEdit* field = Buddy();
    return field && field->IsModified();
}

int CNumSpin::GetBuddyType() const {
    const CNumEdit* field = Buddy();
    return field ? field->GetType() : 0;
}

void CNumSpin::SetAlignRight(bool on) {
    alignRight_ = on;
    FollowBuddy();
}

void CNumSpin::FollowBuddy() {
    if (!alignRight_ || !buddy_ || buddy_->parentWidget() != parentWidget()) return;
    // Like the system's right-aligned up-down control: the field gives up its
    // right end to the arrows.
    const QRect r = buddy_->geometry();
    const int w = width() > 0 && width() < r.width() ? width() : sizeHint().width();
    buddy_->setGeometry(r.x(), r.y(), r.width() - w, r.height());
    setGeometry(r.x() + r.width() - w, r.y(), w, r.height());
    raise();
}

void CNumSpin::ArrowStep(int delta, bool held) {
    RunStep(delta, held, false);
}

void CNumSpin::StepBy(int delta) {
    RunStep(delta, held_, true);
}

void CNumSpin::RunStep(int delta, bool held, bool strip) {
    CNumEdit* field = Buddy();
    // A disabled field (a locked page) is not stepped.
    if (!field || !field->isEnabled()) return;
    numspin::StepRequest q;
    q.valueType = valueType_;
    q.fieldType = field->GetType();
    q.start = field->GetValue(); // what the field shows, typed text included
    q.delta = delta;
    q.minimum = minimum_;
    q.maximum = maximum_;
    q.temperature = field->GetTemperature();
    q.held = held;
    q.strip = strip;
    const numspin::StepResult r = numspin::Step(q);
    value_ = r.value;
    if (r.changed && held_) notice_.Mark();
    field->SetValue(r.value);
    if (r.notify) SendCommand(this);
    if (r.postDelayStep && parentWidget())
        platform::PostMessage(parentWidget(), WM_DELAY_SPIN_STEP,
                              static_cast<WPARAM>(ControlId(this)), delta);
}

void CNumSpin::OnHoldTimer() {
    if (!held_) return;
    const int64_t now = clock_();
    if (overArrow_ && repeat_.Due(now)) ArrowStep(heldArrow_, true);
    if (notice_.Poll(now)) SendCommand(this);
}

int CNumSpin::ArrowAt(const QPoint& p) const {
    if (!rect().contains(p)) return 0;
    return p.y() < height() / 2 ? 1 : -1;
}

bool CNumSpin::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched == buddy_.data() && isEnabled()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            ArrowStep(key == Qt::Key_Up ? 1 : -1, false);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CNumSpin::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    const int arrow = ArrowAt(e->position().toPoint());
    if (arrow == 0) return;
    const int64_t now = clock_();
    held_ = true;
    heldArrow_ = arrow;
    overArrow_ = true;
    notice_.Start(now);
    repeat_.Start(now);
    timer_->start();
    ArrowStep(arrow, true); // the press itself is the first step
    update();
}

void CNumSpin::mouseDoubleClickEvent(QMouseEvent* e) {
    mousePressEvent(e);
}

void CNumSpin::mouseMoveEvent(QMouseEvent* e) {
    if (!held_) return;
    const bool over = ArrowAt(e->position().toPoint()) == heldArrow_;
    if (over != overArrow_) {
        overArrow_ = over;
        update();
    }
}

void CNumSpin::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !held_) return;
    held_ = false;
    repeat_.Stop();
    timer_->stop();
    if (notice_.TakePending()) SendCommand(this);
    update();
}

void CNumSpin::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF all = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const bool enabled = isEnabled();
    for (int arrow : {1, -1}) {
        const QRectF half =
            arrow > 0 ? QRectF(all.left(), all.top(), all.width(), all.height() / 2)
                      : QRectF(all.left(), all.center().y(), all.width(), all.height() / 2);
        const bool lit = held_ && overArrow_ && heldArrow_ == arrow;
        QLinearGradient g(half.topLeft(), half.bottomLeft());
        g.setColorAt(0, lit ? QColor(14, 181, 42).lighter(120) : QColor(75, 86, 104));
        g.setColorAt(1, lit ? QColor(14, 181, 42).darker(130) : QColor(57, 67, 83));
        p.setPen(QPen(QColor(30, 36, 44), 1));
        p.setBrush(g);
        p.drawRoundedRect(half.adjusted(0, 0, 0, -0.5), 2, 2);
        const qreal s = std::min(half.width(), half.height()) * 0.22;
        const QPointF c = half.center();
        QPainterPath tri;
        tri.moveTo(c.x(), c.y() - arrow * s);
        tri.lineTo(c.x() - s * 1.3, c.y() + arrow * s);
        tri.lineTo(c.x() + s * 1.3, c.y() + arrow * s);
        tri.closeSubpath();
        p.fillPath(tri, enabled ? QColor(227, 232, 238) : QColor(125, 132, 142));
    }
}
