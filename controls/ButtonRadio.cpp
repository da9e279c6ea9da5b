#include "controls/ButtonRadio.h"

CButtonRadio::CButtonRadio(QWidget* parent) : CButtonRadio(QString(), parent) {}

CButtonRadio::CButtonRadio(const QString& text, QWidget* parent) : QRadioButton(text, parent) {
    setAutoFillBackground(false); // the parent's picture shows through
    setAttribute(Qt::WA_NoSystemBackground);
    SetTextColor(textColor_);
}

void CButtonRadio::SetTextColor(QColor color) {
    textColor_ = color;
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, color);
    pal.setColor(QPalette::ButtonText, color);
    setPalette(pal);
}
