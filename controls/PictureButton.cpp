#include "controls/PictureButton.h"

#include <QMouseEvent>
#include <QPainter>

CPictureButton::CPictureButton(QWidget* parent, int id) : SkinButtonBase(parent, id) {}

void CPictureButton::SetBitmaps(unsigned onNormal, unsigned onHover, unsigned onPressed,
                                unsigned offNormal, unsigned offHover, unsigned offPressed) {
    faces_[OnNormal] = onNormal;
    faces_[OnHover] = onHover;
    faces_[OnPressed] = onPressed;
    faces_[OffNormal] = offNormal;
    faces_[OffHover] = offHover;
    faces_[OffPressed] = offPressed;
    Refresh();
}

void CPictureButton::SetCheck(int state) {
    state_ = state;
    Refresh();
}

unsigned CPictureButton::CurrentBitmap() const {
    const int group = state_ ? OnNormal : OffNormal;
    if (hover_ && pressed_) return faces_[group + 1] ? faces_[group + 2] : 0;
    if (hover_) return faces_[group + 1];
    return faces_[group];
}

QSize CPictureButton::sizeHint() const {
    const QSize s = ctl::Picture(CurrentBitmap()).size();
    return s.isEmpty() ? size() : s;
}

void CPictureButton::Refresh() {
    ctl::FitToPicture(this, CurrentBitmap());
    update();
}

void CPictureButton::paintEvent(QPaintEvent*) {
    // Disabled, the button shows the normal face of its state dimmed.
    const QPixmap face = isEnabled() ? ctl::Picture(CurrentBitmap())
                                     : ctl::DisabledFace(0, faces_[state_ ? OnNormal : OffNormal]);
    if (face.isNull()) return;
    QPainter p(this);
    p.drawPixmap(0, 0, face);
}

void CPictureButton::OnEntered(QMouseEvent* e) {
    // Once per entry point: entering again at the same point tells nothing new.
    const QPoint at = e->position().toPoint();
    if (!hoverNotify_ || lastEntry_ == at) return;
    lastEntry_ = at;
    ctl::MoveReport::Send(this, ctl::MouseKeyFlags(e));
}
