#include "controls/GradientProgressCtrl.h"

#include "controls/MemDC.h"
#include "model/ValueScale.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>

#include <algorithm>
#include <cstdlib>

CGradientProgressCtrl::CGradientProgressCtrl(QWidget* parent)
    : MessageTarget<QWidget>(parent), backColor_(QApplication::palette().color(QPalette::Button)) {
    // The paint covers the whole client area: no erasing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CGradientProgressCtrl::SetRange(int lower, int upper) {
    lower_ = lower;
    upper_ = upper;
    position_ = lower;
    update();
}

void CGradientProgressCtrl::SetPos(int pos) {
    position_ = std::min(pos, upper_.load());
    PostMessage(PBM_SETPOS, static_cast<WPARAM>(pos), 0);
}

void CGradientProgressCtrl::SetShowText(bool on) {
    showText_ = on;
    update();
}

QString CGradientProgressCtrl::PercentText() const {
    const int lower = lower_, upper = upper_, position = position_;
    if (upper == lower) return QString();
    const double percent = (position - lower) * 100.0 / (upper - lower);
    return position == upper ? QString::asprintf("%3.0f %%", percent)
                             : QString::asprintf("%3.2f %%", percent);
}

void CGradientProgressCtrl::SetOrientation(Qt::Orientation orientation) {
    orientation_ = orientation;
    update();
}

LRESULT CGradientProgressCtrl::WindowProc(unsigned msg, WPARAM, LPARAM) {
    if (msg == PBM_SETPOS) update();
    return 0;
}

void CGradientProgressCtrl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    Paint(painter, rect());
}

void CGradientProgressCtrl::Paint(QPainter& painter, const QRect& r) const {
    const int lower = lower_, upper = upper_, position = position_;
    // The fraction below is of the upper end, not of the range; a range that
    // ends at 0 has no fraction and shows as an empty bar.
    if (position <= lower || position > upper || upper == 0) {
        painter.fillRect(r.adjusted(-2, -2, 2, 2), backColor_);
        return;
    }
    const bool vertical = orientation_ == Qt::Vertical;
    const float fraction = static_cast<float>(position) / upper;
    const int extent = SaturatingToInt(fraction * (vertical ? r.height() : r.width()));
    {
        CClipMemDC dc(&painter);
        PaintGradient(*dc, r, extent);
    }
    if (showText_) {
        painter.setPen(textColor_);
        painter.setFont(font());
        painter.drawText(r, Qt::AlignCenter | Qt::TextSingleLine, PercentText());
    }
}

void CGradientProgressCtrl::PaintGradient(QPainter& p, const QRect& r, int extent) const {
    const bool vertical = orientation_ == Qt::Vertical;
    const int r0 = startColor_.red(), g0 = startColor_.green(), b0 = startColor_.blue();
    int dR = endColor_.red() - r0, dG = endColor_.green() - g0, dB = endColor_.blue() - b0;
    int steps;
    if (dR == 0 && dG == 0 && dB == 0) {
        dR = r0;
        dG = g0;
        dB = b0;
        steps = (r0 | g0 | b0) == 0 ? 255 : std::max({r0, g0, b0});
    } else {
        steps = std::max({std::abs(dR), std::abs(dG), std::abs(dB)});
    }
    const int length = vertical ? r.height() : r.width();
    const float bandSize = static_cast<float>(length) / steps;
    const float rStep = dR / static_cast<float>(steps), gStep = dG / static_cast<float>(steps),
                bStep = dB / static_cast<float>(steps);
    for (int i = 0; i < steps; ++i) {
        const int from = static_cast<int>(i * bandSize);
        const int to = static_cast<int>((i + 1) * bandSize);
        const QRect band = vertical ? QRect(0, from, r.width() + 1, to - from)
                                    : QRect(from, 0, to - from, r.height() + 1);
        const QColor color(static_cast<int>(r0 + i * rStep) & 0xFF,
                           static_cast<int>(g0 + i * gStep) & 0xFF,
                           static_cast<int>(b0 + i * bStep) & 0xFF);
        p.fillRect(band, color);
        if (to > extent) {
            // The band across the position is drawn whole; the rest is background.
            const QRect rest = vertical ? QRect(0, to, r.width(), r.height() - to)
                                        : QRect(to, 0, r.width() - to, r.height());
            p.fillRect(rest, backColor_);
            break;
        }
    }
}
