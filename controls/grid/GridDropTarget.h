// The grid as a place to drop text: it watches the grid's cell area for
// drags and hands them to the grid (CGridCtrl::OnDragEnter ... OnDrop),
// whose effect decides whether the drop is taken here, as a copy (Ctrl
// held) or a move.
#pragma once

#include <QObject>
#include <QPointer>

class CGridCtrl;

class CGridDropTarget : public QObject {
public:
    // False when registered already or without a grid.
    bool Register(CGridCtrl* grid);
    void Revoke();
    bool IsRegistered() const { return m_Registered; }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    QPointer<CGridCtrl> m_Grid;
    bool m_Registered = false;
};
