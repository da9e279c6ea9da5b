#include "controls/grid/TitleTip.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

CTitleTip::CTitleTip(QWidget* parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus),
      m_Owner(parent) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
}

void CTitleTip::Show(const QRect& title, const QString& text, int xOffset, const QRect* hover,
                     const QFont* font) {
    if (title.isEmpty() || !m_Owner) return;
    const QRect h = hover ? *hover : title;
    m_Hover = QRect(Client()->mapToGlobal(h.topLeft()), h.size());
    // Already up: only the hover area changes. No window of the program has
    // the focus: the program is not in front, and no tip shows.
    if (isVisible() || !QApplication::focusWidget()) return;
    const QRect screen(Client()->mapToGlobal(title.topLeft()), title.size());
    m_Text = QLatin1Char(' ') + text + QLatin1Char(' ');
    m_Font = font ? *font : m_Owner->font();
    const int width = QFontMetrics(m_Font).horizontalAdvance(m_Text);
    const int left = screen.left() + xOffset;
    const int right = left + width + xOffset;
    // Only a text that does not fit shows.
    if (right <= screen.left() + screen.width() - xOffset) return;
    setGeometry(left, screen.top(), right - left, screen.height());
    show();
    raise();
    update();
    grabMouse();
}

void CTitleTip::Hide() {
    if (QWidget::mouseGrabber() == this) releaseMouse();
    hide();
}

void CTitleTip::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::ToolTipBase));
    p.setPen(palette().color(QPalette::ToolTipText));
    p.setFont(m_Font);
    p.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, m_Text);
    p.setPen(palette().color(QPalette::ToolTipText));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

QWidget* CTitleTip::Client() const {
    if (auto* area = qobject_cast<QAbstractScrollArea*>(m_Owner)) return area->viewport();
    return m_Owner;
}

QWidget* CTitleTip::WindowUnder(const QPoint& screen) const {
    QWidget* w = QApplication::widgetAt(screen);
    if (!w || w == this || isAncestorOf(w)) w = m_Owner;
    return w;
}

void CTitleTip::mouseMoveEvent(QMouseEvent* e) {
    const QPoint at = e->globalPosition().toPoint();
    if (m_Hover.contains(at)) return;
    Hide();
    if (QWidget* w = WindowUnder(at))
        QApplication::postEvent(w, new QMouseEvent(QEvent::MouseMove, w->mapFromGlobal(at), at,
                                                   e->button(), e->buttons(), e->modifiers()));
}

void CTitleTip::mousePressEvent(QMouseEvent* e) {
    const QPoint at = e->globalPosition().toPoint();
    Hide();
    if (QWidget* w = WindowUnder(at))
        QApplication::postEvent(w, new QMouseEvent(QEvent::MouseButtonPress, w->mapFromGlobal(at),
                                                   at, e->button(), e->buttons(), e->modifiers()));
}

void CTitleTip::keyPressEvent(QKeyEvent* e) {
    Hide();
    if (m_Owner)
        QApplication::postEvent(m_Owner,
                                new QKeyEvent(e->type(), e->key(), e->modifiers(), e->text(),
                                              e->isAutoRepeat(), static_cast<ushort>(e->count())));
}
