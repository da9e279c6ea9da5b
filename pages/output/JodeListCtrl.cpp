#include "pages/output/JodeListCtrl.h"

#include <QMouseEvent>

CJodeListCtrl::CJodeListCtrl(QWidget* parent) : CJodeListCtrl(0, 0, parent) {}

CJodeListCtrl::CJodeListCtrl(int rows, int columns, QWidget* parent)
    : QTableWidget(rows, columns, parent), m_Pen(QColor(192, 192, 192)),
      m_Brush(QColor(247, 247, 255)), m_Font(font()) {
    // No hover look either: the list never reacts to the pointer.
    setMouseTracking(false);
    viewport()->setMouseTracking(false);
}

// The mouse is taken and dropped: no selection, no current row, no drag.
void CJodeListCtrl::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

void CJodeListCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
}

void CJodeListCtrl::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
}

void CJodeListCtrl::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
}
