// The start page: a form with two buttons that open the main view in
// display mode 2 (left) or 1 (right). No command of the program opens it.
#pragma once

#include "platform/Message.h"

#include <QImage>
#include <QWidget>

class CSkinButton;

class CStartPage : public platform::MessageTarget<QWidget> {
public:
    explicit CStartPage(QWidget* parent = nullptr);

    CSkinButton* LeftButton() const { return m_LeftButton; }
    CSkinButton* RightButton() const { return m_RightButton; }

    // The buttons' clicks: 1781 sends command 8000, 1837 command 8001 to the
    // main window.
    LRESULT WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CSkinButton* m_LeftButton = nullptr;
    CSkinButton* m_RightButton = nullptr;
    QImage m_Background; // never loaded
};
