// CJointGroupList: a report-style list that ignores the mouse: presses,
// double clicks and moves over it do nothing, so the rows a caller shows in
// it can be read but never selected or dragged. Keys and the caller's own
// selection calls still work.
#pragma once

#include <QBrush>
#include <QFont>
#include <QPen>
#include <QTableWidget>

class CJointGroupList : public QTableWidget {
public:
    explicit CJointGroupList(QWidget* parent = nullptr);
    CJointGroupList(int rows, int columns, QWidget* parent = nullptr);

    // The drawing tools the list is built with (grid pen, row brush, font).
    const QPen& GridPen() const { return m_Pen; }
    const QBrush& RowBrush() const { return m_Brush; }
    const QFont& RowFont() const { return m_Font; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPen m_Pen;
    QBrush m_Brush;
    QFont m_Font;
};
