#include "pages/input/MixTile.h"

#include "model/Globals.h"
#include "platform/DialogUnits.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

CMixTile::CMixTile(QWidget* parent) : MessageTarget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
    resize(platform::DluToPixels(QSize(114, 300), platform::kArial7));
}

void CMixTile::SetPictures(const QPixmap& unselected, const QPixmap& selected) {
    m_Unselected = unselected;
    m_Selected = selected;
    update();
}

bool CMixTile::IsCurrent() const {
    return m_Output == g_CurrentOutput;
}

void CMixTile::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, IsCurrent() ? m_Selected : m_Unselected);
}

void CMixTile::mousePressEvent(QMouseEvent* event) {
    // The click is the tile's alone.
    event->accept();
    if (event->button() != Qt::LeftButton) return;
    if (!IsCurrent()) m_Focus = 0;
    setFocus(Qt::MouseFocusReason);
}

void CMixTile::keyPressEvent(QKeyEvent* event) {
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_C:
        if (ctrl) PostMessage(kCopyMessage, 0, 0);
        break;
    case Qt::Key_V:
        if (ctrl) PostMessage(kPasteMessage, 0, 0);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Tab:
        // Neither ends the tile nor moves the focus on.
        setFocus(Qt::OtherFocusReason);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}
