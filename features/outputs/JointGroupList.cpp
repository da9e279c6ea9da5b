#include "features/outputs/JointGroupList.h"

#include <QMouseEvent>

CJointGroupList::CJointGroupList(QWidget* parent) : CJointGroupList(0, 0, parent) {}

CJointGroupList::CJointGroupList(int rows, int columns, QWidget* parent)
    : QTableWidget(rows, columns, parent), m_Pen(QColor(192, 192, 192)),
      m_Brush(QColor(247, 247, 255)), m_Font(font()) {
    // No hover look either: the list never reacts to the pointer.
    setMouseTracking(false);
    viewport()->setMouseTracking(false);
}

// The mouse is taken and dropped: no selection, no current row, no drag.
void CJointGroupList::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

void CJointGroupList::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
}

void CJointGroupList::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
}

void CJointGroupList::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
}
