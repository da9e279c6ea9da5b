// The small dialogs built from their templates: the template's font and
// fixed size in dialog units on the dialog background, and each control
// named by its id and placed from its dialog units.
#pragma once

#include "platform/DialogUnits.h"
#include "platform/UiGlobals.h"

#include <QDialog>
#include <QKeyEvent>
#include <QPalette>
#include <QPushButton>

inline void SetUpTemplateDialog(QDialog& dialog, const platform::TemplateFont& font, QSize dlu) {
    dialog.setFont(platform::TemplateQFont(font));
    dialog.setFixedSize(platform::DluToPixels(dlu, font));
    QPalette pal = dialog.palette();
    pal.setColor(QPalette::Window, QColor(g_DialogBkColor));
    dialog.setPalette(pal);
    dialog.setAutoFillBackground(true);
}

template <class Control>
Control* PlaceControl(QWidget* parent, int id, const QRect& dlu,
                      const platform::TemplateFont& font) {
    auto* control = new Control(parent);
    control->setObjectName(QString::number(id));
    control->setGeometry(platform::DluToPixels(dlu, font));
    return control;
}

// A push button; the default one answers Enter.
inline QPushButton* PlaceButton(QWidget* parent, int id, const QRect& dlu,
                                const platform::TemplateFont& font, bool isDefault) {
    auto* button = PlaceControl<QPushButton>(parent, id, dlu, font);
    button->setDefault(isDefault);
    button->setAutoDefault(isDefault);
    return button;
}

// Dialogs that only their own buttons close: Enter and Escape move the
// focus to the dialog and press nothing. Whether the key was one of them.
inline bool KeepDialogOnEnterOrEscape(QDialog& dialog, QKeyEvent* key) {
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        dialog.setFocus(Qt::OtherFocusReason);
        key->accept();
        return true;
    default:
        return false;
    }
}
