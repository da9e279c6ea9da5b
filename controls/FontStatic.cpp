#include "controls/FontStatic.h"

#include "platform/Fonts.h"

#include <QPainter>

CFontStatic::CFontStatic(QWidget* parent) : QWidget(parent) {}

void CFontStatic::SetFontStyle(const QString&, int height, QColor color, unsigned style) {
    height_ = height;
    if (color == textColor_) return;
    textColor_ = color;
    const bool centre = (style & kStyleCentre) != 0;
    right_ = !centre && (style & kStyleRight) != 0;
    left_ = !centre && !right_ && (style & kStyleLeft) != 0;
    InvalidateParentArea();
}

void CFontStatic::SetTextColor(QColor color) {
    textColor_ = color;
    repaint();
    InvalidateParentArea();
}

void CFontStatic::SetBackgroundColor(QColor color) {
    backColor_ = color;
    fill_ = true;
    repaint();
}

void CFontStatic::SetText(const QString& text) {
    text_ = text;
    InvalidateParentArea();
}

void CFontStatic::SetFontSize(int height) {
    height_ = height;
    InvalidateParentArea();
}

void CFontStatic::InvalidateParentArea() {
    if (QWidget* parent = parentWidget())
        parent->update(geometry()); // also repaints this child over it
    else
        update();
}

Qt::Alignment CFontStatic::HorizontalAlignment() const {
    if (left_) return Qt::AlignLeft;
    if (right_) return Qt::AlignRight;
    return Qt::AlignHCenter;
}

void CFontStatic::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (fill_) p.fillRect(rect(), backColor_);
    if (text_.isEmpty()) return;
    p.setFont(platform::ArialFont(height_, 400));
    p.setPen(textColor_);
    p.drawText(rect(),
               int(HorizontalAlignment() | Qt::AlignVCenter) | Qt::TextSingleLine |
                   Qt::TextDontClip,
               text_);
}
