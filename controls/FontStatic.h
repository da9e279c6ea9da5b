// A static text that paints itself: a colour and height of the Arial face,
// left, centred or right and vertically centred, optionally on a filled
// background. Pages use it for captions over their controls.
#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

class CFontStatic : public QWidget {
public:
    // Alignment bits of SetFontStyle's style argument.
    static constexpr unsigned kStyleCentre = 0x20;
    static constexpr unsigned kStyleRight = 0x80;
    static constexpr unsigned kStyleLeft = 0x40;

    explicit CFontStatic(QWidget* parent = nullptr);

    // Stores the height. Only a colour different from the current one is
    // taken, together with the alignment of the style bits (0x20 centred,
    // else 0x80 right, else 0x40 left, else centred), and shows.
    void SetFontStyle(const QString& fontName, int height, QColor color, unsigned style);
    void SetTextColor(QColor color);
    // Switches the fill on.
    void SetBackgroundColor(QColor color);
    void SetText(const QString& text);
    void SetFontSize(int height);
    void SetLeftAlign(int left) { left_ = left != 0; }
    // Repaints the parent's area under the control, so that the parent's
    // background shows behind the text.
    void InvalidateParentArea();

    QString Text() const { return text_; }
    QColor TextColor() const { return textColor_; }
    int FontHeight() const { return height_; }
    // Qt::AlignLeft, Qt::AlignRight or Qt::AlignHCenter.
    Qt::Alignment HorizontalAlignment() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
    QColor textColor_{0, 0, 0};
    QColor backColor_;
    bool fill_ = false;
    int height_ = 14;
    bool left_ = false;
    bool right_ = false;
};
