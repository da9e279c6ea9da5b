// Enter and Escape in the output page's dialogs: the focus goes to the
// dialog itself, so that a field that had it takes its value, and nothing
// closes.
#pragma once

#include <QKeyEvent>
#include <QWidget>

// True when the key was one of them and is taken.
inline bool KeepOpenOnEnterOrEscape(QWidget* dialog, QKeyEvent* event) {
    const int key = event->key();
    if (key != Qt::Key_Escape && key != Qt::Key_Return && key != Qt::Key_Enter) return false;
    dialog->setFocus(Qt::OtherFocusReason);
    event->accept();
    return true;
}
