#include "controls/SkinControl.h"

#include "platform/Skin.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

namespace ctl {

QCursor HandCursor() {
    return QCursor(Qt::PointingHandCursor);
}

QPixmap Picture(unsigned id) {
    return id ? skin::Pixmap(static_cast<int>(id)) : QPixmap();
}

void FitToPicture(QWidget* control, unsigned id) {
    const QSize size = id ? skin::Size(static_cast<int>(id)) : QSize();
    if (size.isValid() && control->size() != size) control->resize(size);
}

void DrawFace(QPainter& painter, const QWidget* control, unsigned id) {
    const QPixmap face = Picture(id);
    if (face.isNull())
        painter.fillRect(control->rect(), kButtonFace);
    else
        painter.drawPixmap(0, 0, face);
}

QImage Dimmed(const QImage& picture) {
    if (picture.isNull()) return picture;
    QImage dimmed = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter p(&dimmed);
    // Source-atop keeps the picture's own transparency: only its pixels darken.
    p.setCompositionMode(QPainter::CompositionMode_SourceAtop);
    p.fillRect(dimmed.rect(), QColor(24, 28, 34, 150));
    return dimmed;
}

QPixmap DisabledFace(unsigned disabledId, unsigned normalId) {
    const QPixmap own = Picture(disabledId);
    if (!own.isNull()) return own;
    const QImage normal = normalId ? skin::Image(static_cast<int>(normalId)) : QImage();
    return normal.isNull() ? QPixmap() : QPixmap::fromImage(Dimmed(normal));
}

WPARAM MouseKeyFlags(const QMouseEvent* e) {
    WPARAM keys = 0;
    if (e->buttons() & Qt::LeftButton) keys |= MK_LBUTTON;
    if (e->buttons() & Qt::RightButton) keys |= MK_RBUTTON;
    if (e->buttons() & Qt::MiddleButton) keys |= MK_MBUTTON;
    if (e->modifiers() & Qt::ShiftModifier) keys |= MK_SHIFT;
    if (e->modifiers() & Qt::ControlModifier) keys |= MK_CONTROL;
    return keys;
}

void RepaintParentArea(QWidget* control) {
    if (QWidget* parent = control->parentWidget())
        parent->update(control->geometry()); // also repaints the control over it
    else
        control->update();
}

bool MoveReport::IsNew(QPoint point) {
    if (!enabled_ || last_ == point) return false;
    last_ = point;
    return true;
}

void MoveReport::Send(QWidget* control, WPARAM keys) {
    if (QWidget* parent = control->parentWidget())
        platform::SendMessage(parent, WM_CONTROL_HOVER, keys, ControlId(control));
}

} // namespace ctl
