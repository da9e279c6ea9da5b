// CButtonRadio: a radio button whose text is drawn in a colour of its own
// straight on the dialog's picture, without a box of the dialog colour.
#pragma once

#include <QColor>
#include <QRadioButton>

class CButtonRadio : public QRadioButton {
public:
    explicit CButtonRadio(QWidget* parent = nullptr);
    CButtonRadio(const QString& text, QWidget* parent);

    void SetTextColor(QColor color);
    QColor GetTextColor() const { return textColor_; }

private:
    QColor textColor_{0, 0, 0};
};
