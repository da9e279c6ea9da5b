// A progress bar painted as a gradient from red to blue in bands, filling in
// steps of one band. Its position may be set from any thread (the link worker
// moves the transfer and update bars); it repaints on its own thread.
#pragma once

#include "platform/Message.h"

#include <QColor>
#include <QString>
#include <QWidget>

#include <atomic>

class CGradientProgressCtrl : public platform::MessageTarget<QWidget> {
public:
    // Posted to itself by SetPos: the bar repaints on its own thread.
    static constexpr unsigned PBM_SETPOS = WM_USER + 2;

    explicit CGradientProgressCtrl(QWidget* parent = nullptr);

    // position := lower.
    void SetRange(int lower, int upper);
    int GetUpperRange() const { return upper_; }
    int GetPos() const { return position_; }
    // Limited to at most the upper end (not raised to the lower one); any thread.
    void SetPos(int pos);
    // The bar colour its callers set; the bar is always the red-to-blue gradient.
    void SetBarColor(QColor color) { barColor_ = color; }
    void SetOrientation(Qt::Orientation orientation);
    // Draws the position as a percentage of the range over the bar.
    void SetShowText(bool on);
    bool ShowsText() const { return showText_; }
    // The percentage as the bar draws it ("%3.2f %%", "%3.0f %%" at the end).
    QString PercentText() const;

    LRESULT WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) override;

    // Paints the bar into rect (left and top 0) as the widget does.
    void Paint(QPainter& painter, const QRect& rect) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void PaintGradient(QPainter& painter, const QRect& rect, int extent) const;

    std::atomic<int> lower_{0};
    std::atomic<int> upper_{100};
    std::atomic<int> position_{0};
    QColor startColor_{255, 0, 0};
    QColor endColor_{0, 0, 255};
    QColor backColor_;
    QColor barColor_;
    Qt::Orientation orientation_ = Qt::Horizontal;
    QColor textColor_{0, 0, 0};
    bool showText_ = false;
};
