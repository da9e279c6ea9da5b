#include "controls/SkinButtonBase.h"

#include <QMouseEvent>

namespace ctl {

SkinButtonBase::SkinButtonBase(QWidget* parent, int id) : MessageTarget(parent) {
    SetControlId(this, id);
    setCursor(HandCursor());
    setMouseTracking(true);
    connect(this, &QAbstractButton::clicked, this, [this] { SendCommand(this, BN_CLICKED); });
}

void SkinButtonBase::SetHoverLook(bool hover) {
    hover_ = hover;
    Refresh();
}

void SkinButtonBase::SetPartnerButtons(SkinButtonBase* first, SkinButtonBase* second) {
    partners_[0] = first;
    partners_[1] = second;
}

void SkinButtonBase::ForgetPartners() {
    partners_[0] = partners_[1] = nullptr;
}

void SkinButtonBase::LendHover(bool hover) {
    if (!LendsHover()) return;
    for (SkinButtonBase* partner : partners_)
        if (partner) partner->SetHoverLook(hover);
}

void SkinButtonBase::SetHover(bool hover) {
    if (hover == hover_) return;
    hover_ = hover;
    LendHover(hover);
    Refresh();
}

void SkinButtonBase::SetPressed(bool pressed) {
    pressed_ = pressed;
    Refresh();
}

void SkinButtonBase::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) SetPressed(true);
    QAbstractButton::mousePressEvent(e);
}

void SkinButtonBase::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) SetPressed(false);
    QAbstractButton::mouseReleaseEvent(e);
}

void SkinButtonBase::mouseMoveEvent(QMouseEvent* e) {
    const QPoint at = e->position().toPoint();
    // While the button holds the mouse the pointer may be outside it.
    const bool inside = rect().contains(at);
    const bool entered = inside && !hover_;
    SetHover(inside);
    if (entered) OnEntered(e);
    if (moves_.IsNew(at)) MoveReport::Send(this, MouseKeyFlags(e));
    QAbstractButton::mouseMoveEvent(e);
}

void SkinButtonBase::leaveEvent(QEvent* e) {
    SetHover(false);
    QAbstractButton::leaveEvent(e);
}

} // namespace ctl
