#include "controls/grid/GridDropTarget.h"

#include "controls/grid/GridCtrl.h"

#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>

namespace {

Qt::DropAction ToAction(CGridCtrl::DropEffect effect) {
    switch (effect) {
    case CGridCtrl::DROPEFFECT_COPY:
        return Qt::CopyAction;
    case CGridCtrl::DROPEFFECT_MOVE:
        return Qt::MoveAction;
    default:
        return Qt::IgnoreAction;
    }
}

GridPoint At(const QDropEvent* e) {
    const QPoint p = e->position().toPoint();
    return {p.x(), p.y()};
}

bool Ctrl(const QDropEvent* e) {
    return e->modifiers() & Qt::ControlModifier;
}

} // namespace

bool CGridDropTarget::Register(CGridCtrl* grid) {
    if (m_Registered || !grid) return false;
    m_Grid = grid;
    grid->viewport()->setAcceptDrops(true);
    grid->viewport()->installEventFilter(this);
    m_Registered = true;
    return true;
}

void CGridDropTarget::Revoke() {
    if (m_Grid) {
        m_Grid->viewport()->removeEventFilter(this);
        m_Grid->viewport()->setAcceptDrops(false);
    }
    m_Registered = false;
}

bool CGridDropTarget::eventFilter(QObject* watched, QEvent* e) {
    if (!m_Grid || watched != m_Grid->viewport()) return false;
    switch (e->type()) {
    case QEvent::DragEnter: {
        auto* d = static_cast<QDragEnterEvent*>(e);
        const Qt::DropAction action = ToAction(m_Grid->OnDragEnter(d->mimeData(), Ctrl(d), At(d)));
        // Taken in, so that the moves over other cells keep coming; a cell
        // that takes nothing shows no effect.
        if (m_Grid->IsDragAndDropEnabled() && d->mimeData() && d->mimeData()->hasText()) {
            d->setDropAction(action);
            d->accept();
        } else {
            d->ignore();
        }
        return true;
    }
    case QEvent::DragMove: {
        auto* d = static_cast<QDragMoveEvent*>(e);
        const Qt::DropAction action = ToAction(m_Grid->OnDragOver(d->mimeData(), Ctrl(d), At(d)));
        if (action == Qt::IgnoreAction) {
            d->ignore();
        } else {
            d->setDropAction(action);
            d->accept();
        }
        return true;
    }
    case QEvent::DragLeave:
        m_Grid->OnDragLeave();
        e->accept();
        return true;
    case QEvent::Drop: {
        auto* d = static_cast<QDropEvent*>(e);
        if (m_Grid->OnDrop(d->mimeData()))
            d->acceptProposedAction();
        else
            d->ignore();
        return true;
    }
    default:
        return false;
    }
}
