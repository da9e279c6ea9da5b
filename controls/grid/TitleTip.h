// The grid's title tip: a borderless pop-up in the tooltip colours that shows
// a cell's whole text over the cell when the cell is too narrow for it. It
// stays while the pointer stays over the cell; a move away, a click (which
// reaches the window under it as if the tip were not there) or a key (which
// reaches the grid) hides it.
#pragma once

#include <QFont>
#include <QRect>
#include <QString>
#include <QWidget>

class CTitleTip : public QWidget {
public:
    // parent: the grid; the tip is a window of its own that goes with it.
    explicit CTitleTip(QWidget* parent);

    // title and hover are in the parent's client coordinates (right and
    // bottom one past the area); the text shows with a space either side,
    // xOffset in from the title's left, in font (the parent's when none).
    void Show(const QRect& title, const QString& text, int xOffset = 0,
              const QRect* hover = nullptr, const QFont* font = nullptr);
    void Hide();

    // The hover rectangle on the screen, and the text shown.
    QRect HoverRect() const { return m_Hover; }
    QString ShownText() const { return m_Text; }

protected:
    void paintEvent(QPaintEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    // The window under a screen point other than the tip (the parent when
    // it is the tip itself).
    QWidget* WindowUnder(const QPoint& screen) const;
    // The parent's client area (a scroll area's viewport).
    QWidget* Client() const;

    QWidget* m_Owner;
    QRect m_Hover;
    QString m_Text;
    QFont m_Font;
};
