// The start page: a form with two buttons that open the main view in
// display mode 2 (left) or 1 (right). No command of the program opens it.
#pragma once

#include <QImage>
#include <QWidget>

class QAbstractButton;

class CCaptionView : public QWidget {
public:
    explicit CCaptionView(QWidget* parent = nullptr);

    QAbstractButton* LeftButton() const { return m_Button1837; }
    QAbstractButton* RightButton() const { return m_Button1781; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QAbstractButton* m_Button1837 = nullptr; // sends command 8001
    QAbstractButton* m_Button1781 = nullptr; // sends command 8000
    QImage m_Background;                     // never loaded
};
