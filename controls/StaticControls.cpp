#include "controls/StaticControls.h"

#include "controls/SkinControl.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

namespace {

CHyperlink::Opener& OpenerSlot() {
    static CHyperlink::Opener opener = [](const QString& address) {
        QDesktopServices::openUrl(QUrl::fromUserInput(address));
    };
    return opener;
}

} // namespace

StaticTextLayout LayoutOfStaticStyle(unsigned style) {
    int flags = style & SS_RIGHT    ? Qt::AlignRight
                : style & SS_CENTER ? Qt::AlignHCenter
                                    : Qt::AlignLeft;
    flags |= style & SS_CENTERIMAGE ? (Qt::AlignVCenter | Qt::TextSingleLine) : Qt::AlignTop;
    if (!(style & SS_NOPREFIX)) flags |= Qt::TextShowMnemonic;
    if (!(style & 0xC20Cu)) flags |= Qt::TextWordWrap;
    Qt::TextElideMode elide = Qt::ElideNone;
    switch (style & SS_WORDELLIPSIS) {
    case SS_ENDELLIPSIS:
    case SS_WORDELLIPSIS:
        elide = Qt::ElideRight;
        break;
    case SS_PATHELLIPSIS:
        elide = Qt::ElideMiddle;
        break;
    default:
        break;
    }
    return {flags, elide};
}

void DrawStaticText(QPainter& p, const QRect& rect, const QString& text, unsigned style) {
    const StaticTextLayout layout = LayoutOfStaticStyle(style);
    const QString shown = layout.elide == Qt::ElideNone
                              ? text
                              : p.fontMetrics().elidedText(text, layout.elide, rect.width());
    p.drawText(rect, layout.flags, shown);
}

// ---------------------------------------------------------------------------

CTransparentStatic::CTransparentStatic(QWidget* parent, unsigned style)
    : QWidget(parent), style_(style) {}

void CTransparentStatic::SetTextColor(QColor color) {
    textColor_ = color;
    update();
}

void CTransparentStatic::SetText(const QString& text) {
    if (text == lastSet_) return;
    lastSet_ = text;
    setText(text);
}

void CTransparentStatic::setText(const QString& text) {
    text_ = text;
    ctl::RepaintParentArea(this);
}

void CTransparentStatic::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(textColor_);
    DrawStaticText(p, rect(), text_, style_);
}

// ---------------------------------------------------------------------------

CHyperlink::CHyperlink(QWidget* parent, unsigned style) : QWidget(parent), style_(style) {
    setCursor(ctl::HandCursor());
    setMouseTracking(true);
}

CHyperlink::Opener CHyperlink::SetOpener(Opener opener) {
    Opener previous = std::move(OpenerSlot());
    OpenerSlot() = std::move(opener);
    return previous;
}

void CHyperlink::setText(const QString& text) {
    text_ = text;
    update();
}

void CHyperlink::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), background_);
    p.setPen(CurrentTextColor());
    DrawStaticText(p, rect(), text_, style_);
}

void CHyperlink::SetHover(bool hover) {
    if (hover == hover_) return;
    hover_ = hover;
    repaint();
}

void CHyperlink::mouseMoveEvent(QMouseEvent* e) {
    SetHover(rect().contains(e->position().toPoint()));
    QWidget::mouseMoveEvent(e);
}

void CHyperlink::leaveEvent(QEvent* e) {
    SetHover(false);
    QWidget::leaveEvent(e);
}

void CHyperlink::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !(style_ & SS_NOTIFY) ||
        !rect().contains(e->position().toPoint()))
        return QWidget::mouseReleaseEvent(e);
    repaint();
    if (OpenerSlot() && !text_.isEmpty()) OpenerSlot()(text_);
}
