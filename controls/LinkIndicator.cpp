#include "controls/LinkIndicator.h"

#include <QPainter>

CLinkStateText::CLinkStateText(QWidget* parent)
    : QAbstractButton(parent), timer_([this] { OnTick(); }) {}

void CLinkStateText::StartBlink() {
    blinking_ = true;
    phase_ = false;
    timer_.Start(kBlinkMs);
}

void CLinkStateText::StopBlink() {
    blinking_ = false;
    phase_ = false;
    timer_.Stop();
    repaint();
}

QColor CLinkStateText::CurrentTextColor() const {
    if (!blinking_) return steady_;
    return phase_ ? onPhase_ : offPhase_;
}

void CLinkStateText::OnTick() {
    phase_ = !phase_;
    repaint();
}

void CLinkStateText::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), background_);
    p.setPen(CurrentTextColor());
    p.setFont(font_ ? *font_ : font());
    p.drawText(rect().adjusted(0, 0, -kRightStrip, 0), Qt::AlignCenter | Qt::TextSingleLine,
               text());
}

// ---------------------------------------------------------------------------

CLampRow::CLampRow(QWidget* parent) : QWidget(parent) {
    for (int i = 0; i < kLamps; ++i)
        lit_[i] = shown_[i] = true;
}

void CLampRow::InitLayout() {
    lamp_ = QSize(width() / 13, height());
}

QRect CLampRow::LampRect(int lamp) const {
    return QRect(lamp * (lamp_.width() + 1), 0, lamp_.width(), lamp_.height());
}

QColor CLampRow::LitColor(int lamp) {
    if (lamp < kLevelLamps) return QColor(0, 200, 51);
    if (lamp == 9) return QColor(255, 204, 74);
    if (lamp == 10) return QColor(255, 127, 39);
    return QColor(237, 0, 0);
}

void CLampRow::SetState(unsigned flags) {
    lit_[11] = flags & 0x10;
    lit_[10] = flags & 0x20;
    lit_[9] = flags & 0x40;
    const unsigned n = flags & 0xF;
    if (n <= kLevelLamps)
        for (unsigned i = 0; i < kLevelLamps; ++i)
            lit_[i] = i < n;
    for (int i = 0; i < kLamps; ++i) {
        if (lit_[i] != shown_[i]) {
            shown_[i] = lit_[i];
            changed_ = true;
        }
    }
    if (!changed_) return;
    repaint();
    changed_ = false;
}

void CLampRow::ClearAll() {
    for (int i = 0; i < kLamps; ++i)
        lit_[i] = shown_[i] = false;
    changed_ = true;
    repaint();
}

void CLampRow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(127, 127, 127));
    for (int i = 0; i < kLamps; ++i)
        p.fillRect(LampRect(i).adjusted(0, 1, 0, 0), shown_[i] ? LitColor(i) : DarkColor());
}
