#include "controls/GroupBox.h"

#include "controls/SkinControl.h"
#include "platform/Fonts.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <cstring>

CCaptionFont::CCaptionFont(int height, int weight, bool italic, const char* face)
    : lfHeight(height), lfWeight(weight), lfItalic(italic ? 1 : 0), lfOutPrecision(3),
      lfClipPrecision(2), lfQuality(2), lfPitchAndFamily(0) {
    // A longer name is cut: the record has room for 31 characters.
    if (face) std::strncpy(lfFaceName, face, kFaceChars - 1);
}

QFont CCaptionFont::PointFont() const {
    // Tenths of a point at 96 dpi; a negative height asks for the em size.
    const int em = (lfHeight * 96 + 360) / 720;
    QFont f = platform::FaceFont(QString::fromLatin1(lfFaceName), -std::max(1, em), lfWeight);
    f.setItalic(lfItalic != 0);
    return f;
}

// ---------------------------------------------------------------------------

namespace {
// The system's edge and border sizes.
constexpr int kEdge = 2;
constexpr int kBorder = 1;
} // namespace

CGroupBox::CGroupBox(QWidget* parent, unsigned style, unsigned exStyle)
    : QWidget(parent), exStyle_(exStyle), line_(ctl::kButtonShadow),
      secondLine_(ctl::kButtonHighlight), shadow_(ctl::kButtonShadow),
      highlight_(ctl::kButtonHighlight), captionHidden_((exStyle & 0xC0) != 0),
      captionFont_(CCaptionFont(100, 700, false, "Arial").PointFont()) {
    switch (style & 0x300) {
    case BS_RIGHT:
        alignment_ = kRight;
        break;
    case BS_CENTER:
        alignment_ = kCentre;
        break;
    default:
        alignment_ = kLeft;
        break;
    }
    frame_ = style & BS_FLAT ? kFlat : kEtched;
}

void CGroupBox::SetText(const QString& text, bool redraw) {
    caption_ = text;
    if (redraw) repaint();
}

QRect CGroupBox::FrameRect() const {
    // The lines run on the outermost pixels, inside the edges the extended
    // styles draw.
    QRect f = rect();
    if (exStyle_ & WS_EX_DLGMODALFRAME) f.adjust(2 * kEdge - 1, 2 * kEdge, -2 * kEdge, -2 * kEdge);
    if (exStyle_ & WS_EX_CLIENTEDGE)
        f.adjust(kEdge, kEdge + 1, -(kEdge + 1) + ((exStyle_ & WS_EX_DLGMODALFRAME) ? 1 : 0),
                 -(kEdge + 1));
    if (exStyle_ & WS_EX_STATICEDGE)
        f.adjust(2 * kBorder - 1, 2 * kBorder, -2 * kBorder, -2 * kBorder);
    return f;
}

int CGroupBox::TopEdgeY() const {
    return FrameRect().top() + QFontMetrics(font()).height() / 2 - 1;
}

std::pair<int, int> CGroupBox::CaptionGap() const {
    const QRect f = FrameRect();
    // Template captions write a literal & as &&.
    const int cw = QFontMetrics(captionFont_)
                       .size(Qt::TextShowMnemonic | Qt::TextSingleLine, caption_)
                       .width();
    switch (alignment_) {
    case kRight:
        return {f.right() - margin_ - cw, f.right() - margin_};
    case kCentre: {
        const int xa = (f.right() - f.left() - cw) / 2;
        return {xa, xa + cw};
    }
    case kLeft:
        break;
    }
    return {f.left() + margin_, f.left() + margin_ + cw};
}

void CGroupBox::paintEvent(QPaintEvent*) {
    const QRect f = FrameRect();
    const int L = f.left(), R = f.right(), B = f.bottom();
    const int w = lineWidth_;
    const int y = TopEdgeY();
    const auto [xa, xb] = CaptionGap();
    const bool enabled = isEnabled();
    const QColor first = enabled ? line_ : shadow_;
    const QColor second = enabled ? secondLine_ : highlight_;

    QPainter p(this);
    auto stroke = [&](const QColor& colour,
                      std::initializer_list<std::initializer_list<QPoint>> lines) {
        p.setPen(QPen(colour, w, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        for (const auto& line : lines) {
            QPolygon poly;
            for (const QPoint& pt : line)
                poly << pt;
            p.drawPolyline(poly);
        }
    };
    const QPoint a(xa, y), b(xb, y);
    switch (frame_) {
    case kFlat:
        stroke(first, {{a, {L, y}, {L, B}, {R, B}, {R, y}, b}});
        break;
    case kDouble:
        stroke(first, {{a, {L, y}, {L, B}, {R, B}, {R, y}, b}});
        stroke(second, {{{xa, y - w},
                         {L - w, y - w},
                         {L - w, B + w},
                         {R + w, B + w},
                         {R + w, y - w},
                         {xb, y - w}}});
        break;
    case kEtched:
        stroke(first, {{a, {L, y}, {L, B - w}, {R - w, B - w}, {R - w, y}, b}});
        stroke(second, {{{xa, y + w}, {L + w, y + w}, {L + w, B - 2 * w}},
                        {{L + w, B}, {R, B}, {R, y + w}},
                        {{R - 2 * w, y + w}, {xb, y + w}}});
        break;
    }
    if (caption_.isEmpty() || captionHidden_ || !enabled) return;
    p.setFont(captionFont_);
    p.setPen(captionColor_);
    p.drawText(QRect(xa, y - lift_, xb - xa, lift_),
               Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip | Qt::TextShowMnemonic,
               caption_);
}
