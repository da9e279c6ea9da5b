#include "controls/SkinDialog.h"

#include "controls/TemplateDialog.h"

#include <QKeyEvent>

CSkinDialog::CSkinDialog(QWidget* parent, const platform::TemplateFont& font, QSize dlu, Keys keys)
    : MessageTarget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      font_(font), keys_(keys) {
    SetUpTemplateDialog(*this, font, dlu);
}

QPushButton* CSkinDialog::PlaceButton(int id, const QRect& dlu, bool isDefault) {
    QPushButton* button = ::PlaceButton(this, id, dlu, font_, isDefault);
    SetControlId(button, id);
    return button;
}

void CSkinDialog::Name(QWidget* control, int id) {
    control->setObjectName(QString::number(id));
    SetControlId(control, id);
}

void CSkinDialog::showEvent(QShowEvent* event) {
    if (!initialised_) {
        initialised_ = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

void CSkinDialog::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const bool enterOrEsc = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
    if (keys_ == Keys::StayOpen && enterOrEsc) {
        // The field that had the focus takes its value as it loses it.
        setFocus(Qt::OtherFocusReason);
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
