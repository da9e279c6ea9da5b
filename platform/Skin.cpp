#include "platform/Skin.h"

#include "platform/Fonts.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <unordered_map>

namespace skin {

namespace {

// ---------------------------------------------------------------------------
// The look: one palette for the whole program.
// ---------------------------------------------------------------------------

struct Fill {
    QColor top, bottom, border, text;
};

const QColor kLabel(201, 209, 220);
const QColor kLabelDim(112, 121, 134);
const QColor kDarkText(40, 48, 60);

QColor Accent(const QString& tone) {
    if (tone == QLatin1String("orange")) return QColor(238, 128, 24);
    if (tone == QLatin1String("blue")) return QColor(52, 136, 222);
    if (tone == QLatin1String("red")) return QColor(214, 58, 52);
    return QColor(14, 181, 42); // green, the program's "on" and selection colour
}

Fill BackgroundFill(const QString& tone) {
    if (tone == QLatin1String("light"))
        return {QColor(227, 228, 238), QColor(210, 212, 226), QColor(168, 172, 190), kDarkText};
    if (tone == QLatin1String("grey"))
        return {QColor(70, 76, 86), QColor(52, 57, 65), QColor(90, 98, 110), kLabel};
    return {QColor(44, 51, 62), QColor(26, 31, 39), QColor(63, 73, 87), kLabel};
}

Fill ButtonFill(const QString& state, const QString& tone) {
    const QColor a = Accent(tone);
    if (state == QLatin1String("hover"))
        return {QColor(88, 102, 123), QColor(67, 80, 100), QColor(122, 138, 163), Qt::white};
    if (state == QLatin1String("pressed"))
        return {QColor(47, 55, 68), QColor(58, 68, 83), QColor(85, 98, 122), QColor(208, 214, 222)};
    if (state == QLatin1String("on"))
        return {a.lighter(118), a.darker(125), a.lighter(140), Qt::white};
    if (state == QLatin1String("on-hover"))
        return {a.lighter(135), a.darker(108), a.lighter(160), Qt::white};
    if (state == QLatin1String("on-pressed"))
        return {a.darker(130), a.darker(110), a.lighter(110), QColor(230, 240, 232)};
    if (state == QLatin1String("disabled"))
        return {QColor(58, 63, 71), QColor(51, 56, 63), QColor(71, 77, 86), QColor(125, 132, 142)};
    if (state == QLatin1String("disabled-on"))
        return {a.darker(220), a.darker(250), a.darker(180), QColor(157, 181, 162)};
    if (tone == QLatin1String("grey"))
        return {QColor(92, 97, 104), QColor(76, 80, 87), QColor(110, 116, 124),
                QColor(180, 184, 190)};
    return {QColor(75, 86, 104), QColor(57, 67, 83), QColor(94, 107, 128), QColor(227, 232, 238)};
}

qreal Radius(const QRectF& r, qreal most) {
    return std::min(most, std::min(r.width(), r.height()) * 0.25);
}

void FillRounded(QPainter& p, const QRectF& r, const Fill& f, qreal radius) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, f.top);
    g.setColorAt(1, f.bottom);
    p.setPen(QPen(f.border, 1));
    p.setBrush(g);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
}

// ---------------------------------------------------------------------------
// Text, fitted into its box.
// ---------------------------------------------------------------------------

void DrawText(QPainter& p, const QRectF& box, const QString& text, const QColor& color, int maxPx,
              int weight, Qt::Alignment align) {
    if (text.isEmpty() || box.width() < 2 || box.height() < 2) return;
    QFont font;
    QRectF need;
    for (int px = std::max(maxPx, 6);; --px) {
        font = platform::ArialFont(-px, weight);
        need = QFontMetricsF(font).boundingRect(QRectF(), Qt::AlignLeft, text);
        if (px <= 6 || (need.width() <= box.width() - 2 && need.height() <= box.height())) break;
    }
    p.setFont(font);
    p.setPen(color);
    p.drawText(box, int(align) | Qt::TextDontClip, text);
}

int TextPx(const QRectF& box) {
    return std::clamp(int(box.height() * 0.6), 7, 16);
}

// ---------------------------------------------------------------------------
// Icons, drawn into a square box.
// ---------------------------------------------------------------------------

QRectF Square(const QRectF& r) {
    const qreal s = std::min(r.width(), r.height());
    return QRectF(r.center().x() - s / 2, r.center().y() - s / 2, s, s);
}

void DrawSpeaker(QPainter& p, const QRectF& b, const QColor& c, bool off) {
    QPainterPath body;
    body.moveTo(b.left() + b.width() * 0.12, b.top() + b.height() * 0.38);
    body.lineTo(b.left() + b.width() * 0.32, b.top() + b.height() * 0.38);
    body.lineTo(b.left() + b.width() * 0.55, b.top() + b.height() * 0.16);
    body.lineTo(b.left() + b.width() * 0.55, b.top() + b.height() * 0.84);
    body.lineTo(b.left() + b.width() * 0.32, b.top() + b.height() * 0.62);
    body.lineTo(b.left() + b.width() * 0.12, b.top() + b.height() * 0.62);
    body.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPath(body);
    const qreal w = std::max(1.0, b.width() * 0.08);
    p.setPen(QPen(c, w, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    if (off) {
        p.drawLine(QPointF(b.left() + b.width() * 0.66, b.top() + b.height() * 0.34),
                   QPointF(b.left() + b.width() * 0.9, b.top() + b.height() * 0.66));
        p.drawLine(QPointF(b.left() + b.width() * 0.9, b.top() + b.height() * 0.34),
                   QPointF(b.left() + b.width() * 0.66, b.top() + b.height() * 0.66));
    } else {
        p.drawArc(QRectF(b.left() + b.width() * 0.4, b.top() + b.height() * 0.3, b.width() * 0.3,
                         b.height() * 0.4),
                  -50 * 16, 100 * 16);
        p.drawArc(QRectF(b.left() + b.width() * 0.34, b.top() + b.height() * 0.16, b.width() * 0.56,
                         b.height() * 0.68),
                  -50 * 16, 100 * 16);
    }
}

void DrawIcon(QPainter& p, const QString& name, const QRectF& area, const QColor& c) {
    const QRectF b = Square(area).adjusted(1, 1, -1, -1);
    const qreal w = std::max(1.5, b.width() * 0.12);
    p.save();
    if (name == QLatin1String("speaker") || name == QLatin1String("speaker-off")) {
        DrawSpeaker(p, b, c, name == QLatin1String("speaker-off"));
    } else if (name == QLatin1String("plus") || name == QLatin1String("minus")) {
        p.setPen(QPen(c, w, Qt::SolidLine, Qt::RoundCap));
        const QRectF s =
            b.adjusted(b.width() * 0.22, b.height() * 0.22, -b.width() * 0.22, -b.height() * 0.22);
        p.drawLine(QPointF(s.left(), s.center().y()), QPointF(s.right(), s.center().y()));
        if (name == QLatin1String("plus"))
            p.drawLine(QPointF(s.center().x(), s.top()), QPointF(s.center().x(), s.bottom()));
    } else if (name == QLatin1String("padlock")) {
        p.setPen(QPen(c, w * 0.9));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(b.left() + b.width() * 0.25, b.top(), b.width() * 0.5, b.height() * 0.6),
                  0, 180 * 16);
        p.drawLine(QPointF(b.left() + b.width() * 0.25, b.top() + b.height() * 0.3),
                   QPointF(b.left() + b.width() * 0.25, b.top() + b.height() * 0.45));
        p.drawLine(QPointF(b.left() + b.width() * 0.75, b.top() + b.height() * 0.3),
                   QPointF(b.left() + b.width() * 0.75, b.top() + b.height() * 0.45));
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        const QRectF body(b.left() + b.width() * 0.15, b.top() + b.height() * 0.45, b.width() * 0.7,
                          b.height() * 0.52);
        p.drawRoundedRect(body, b.width() * 0.06, b.width() * 0.06);
        p.setBrush(QColor(0, 0, 0, 140));
        p.drawEllipse(QPointF(body.center().x(), body.center().y() - body.height() * 0.08),
                      body.width() * 0.08, body.width() * 0.08);
    } else if (name == QLatin1String("link")) {
        p.setPen(QPen(c, w * 0.8));
        p.setBrush(Qt::NoBrush);
        const QRectF l(area.center().x() - area.height() * 0.9,
                       area.center().y() - area.height() * 0.22, area.height() * 1.1,
                       area.height() * 0.44);
        p.drawRoundedRect(l, l.height() / 2, l.height() / 2);
        p.drawRoundedRect(l.translated(area.height() * 0.7, 0), l.height() / 2, l.height() / 2);
    } else if (name == QLatin1String("car")) {
        // A car from above: body, windscreens, wheels.
        const QRectF car(area.center().x() - area.width() * 0.32, area.top() + area.height() * 0.04,
                         area.width() * 0.64, area.height() * 0.92);
        p.setPen(QPen(c.darker(160), 2));
        p.setBrush(QColor(c.red(), c.green(), c.blue(), 60));
        p.drawRoundedRect(car, car.width() * 0.35, car.width() * 0.3);
        p.setBrush(QColor(c.red(), c.green(), c.blue(), 110));
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(QRectF(car.left() + car.width() * 0.14, car.top() + car.height() * 0.2,
                                 car.width() * 0.72, car.height() * 0.16),
                          6, 6);
        p.drawRoundedRect(QRectF(car.left() + car.width() * 0.16, car.top() + car.height() * 0.7,
                                 car.width() * 0.68, car.height() * 0.12),
                          6, 6);
        p.setBrush(c.darker(200));
        for (qreal y : {0.14, 0.72})
            for (qreal x : {-0.08, 0.96})
                p.drawRoundedRect(QRectF(car.left() + car.width() * x, car.top() + car.height() * y,
                                         car.width() * 0.12, car.height() * 0.14),
                                  3, 3);
    } else if (name == QLatin1String("panel")) {
        // The device's input panel: a rounded front with rows of sockets.
        const QRectF front = area.adjusted(2, 2, -2, -2);
        QLinearGradient g(front.topLeft(), front.bottomLeft());
        g.setColorAt(0, QColor(70, 78, 92));
        g.setColorAt(1, QColor(34, 39, 48));
        p.setPen(QPen(QColor(110, 122, 140), 1.5));
        p.setBrush(g);
        p.drawRoundedRect(front, 18, 18);
        p.setPen(QPen(QColor(20, 24, 30), 2));
        for (int i = 0; i < 12; ++i) {
            const QPointF centre(front.left() + front.width() * (0.08 + i * 0.077),
                                 front.center().y() + front.height() * 0.08);
            p.setBrush(QColor(150, 156, 166));
            p.drawEllipse(centre, front.height() * 0.11, front.height() * 0.11);
            p.setBrush(QColor(30, 34, 40));
            p.drawEllipse(centre, front.height() * 0.04, front.height() * 0.04);
        }
    } else if (name == QLatin1String("wave")) {
        QPainterPath wave;
        for (int i = 0; i <= 64; ++i) {
            const QPointF pt(area.left() + area.width() * i / 64.0,
                             area.center().y() -
                                 area.height() * 0.35 * std::sin(i * 3.14159265 / 16));
            i ? wave.lineTo(pt) : wave.moveTo(pt);
        }
        p.setPen(QPen(c, std::max(1.5, area.height() * 0.05)));
        p.setBrush(Qt::NoBrush);
        p.drawPath(wave);
    } else {
        // An icon the painter does not know: a plain mark, so it still shows.
        p.setPen(QPen(c, w));
        p.drawEllipse(b.adjusted(w, w, -w, -w));
    }
    p.restore();
}

// ---------------------------------------------------------------------------
// Roles.
// ---------------------------------------------------------------------------

// The captions that have a box in the layout, then the rest laid out as a
// title and a column of labels.
void DrawCaptions(QPainter& p, const Picture& pic, const QRectF& r, const QColor& text) {
    int i = 0;
    for (const TextBox& box : pic.textBoxes) {
        if (i >= pic.texts.size()) break;
        const QColor c = box.look == TextBox::Lit   ? Accent(pic.tone).lighter(130)
                         : box.look == TextBox::Dim ? kLabelDim
                                                    : text;
        DrawText(p, box.rect, pic.texts[i++], c, TextPx(box.rect),
                 box.look == TextBox::Lit ? 700 : 400,
                 (box.centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter);
    }
    const int rest = int(pic.texts.size()) - i;
    if (rest <= 0) return;
    if (r.height() < 48) { // a strip: captions side by side
        const qreal w = (r.width() - 8) / rest;
        for (int k = 0; k < rest; ++k)
            DrawText(p, QRectF(r.left() + 6 + k * w, r.top(), w - 4, r.height()), pic.texts[i + k],
                     text, TextPx(r), 700, Qt::AlignLeft | Qt::AlignVCenter);
        return;
    }
    const qreal titleH = std::clamp(r.height() * 0.12, 18.0, 30.0);
    DrawText(p, QRectF(r.left() + 10, r.top() + 6, r.width() - 20, titleH), pic.texts[i], text,
             int(titleH * 0.7), 700, Qt::AlignLeft | Qt::AlignVCenter);
    if (rest == 1) return;
    const qreal top = r.top() + titleH + 14, rowH = (r.bottom() - 8 - top) / (rest - 1);
    for (int k = 1; k < rest; ++k)
        DrawText(p,
                 QRectF(r.left() + 14, top + (k - 1) * rowH, r.width() * 0.5, std::min(rowH, 26.0)),
                 pic.texts[i + k], text, 13, 400, Qt::AlignLeft | Qt::AlignVCenter);
}

void PaintBackground(QPainter& p, const Picture& pic, const QRectF& r) {
    const Fill f = BackgroundFill(pic.tone);
    if (pic.transparent) {
        // Only what the layout draws; the rest stays transparent.
    } else {
        QLinearGradient g(r.topLeft(), r.bottomLeft());
        g.setColorAt(0, f.top);
        g.setColorAt(1, f.bottom);
        p.fillRect(r, g);
        p.setPen(QPen(f.border, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(0.5, 0.5, -0.5, -0.5));
    }
    const bool light = pic.tone == QLatin1String("light");
    for (const QRect& frame : pic.frames) {
        const Fill inset =
            light ? Fill{QColor(250, 250, 253), QColor(240, 241, 247), QColor(150, 155, 175),
                         kDarkText}
                  : Fill{QColor(18, 22, 28), QColor(24, 29, 36), QColor(70, 82, 98), kLabel};
        FillRounded(p, frame, inset, Radius(frame, 6));
    }
    if (!pic.icon.isEmpty())
        DrawIcon(p, pic.icon, pic.iconRect.isEmpty() ? r : QRectF(pic.iconRect),
                 light ? kDarkText : kLabel);
    DrawCaptions(p, pic, r, f.text);
}

void PaintButton(QPainter& p, const Picture& pic, const QRectF& r) {
    const Fill f = ButtonFill(pic.state, pic.tone);
    // A transparent button is round: only its disc is drawn.
    FillRounded(p, r, f, pic.transparent ? std::min(r.width(), r.height()) / 2 : Radius(r, 5));
    // A highlight along the top edge gives the face some depth.
    if (!pic.transparent && !pic.state.endsWith(QLatin1String("pressed")) && r.height() > 8) {
        p.setPen(QPen(QColor(255, 255, 255, 40), 1));
        p.drawLine(QPointF(r.left() + 3, r.top() + 1.5), QPointF(r.right() - 3, r.top() + 1.5));
    }
    const QRectF inner =
        r.adjusted(2, 1, -2, -1)
            .translated(pic.state.endsWith(QLatin1String("pressed")) ? QPointF(0.5, 0.5)
                                                                     : QPointF());
    const QString caption = pic.texts.join(QLatin1Char('\n'));
    if (!pic.icon.isEmpty() && !caption.isEmpty()) {
        // The caption keeps the size the other buttons' captions have; where
        // it would not fit beside a full-height icon, the icon gives way.
        const int px = TextPx(inner);
        const qreal need = QFontMetricsF(platform::ArialFont(-px, 700))
                               .boundingRect(QRectF(), Qt::AlignLeft, caption)
                               .width();
        const qreal side =
            std::clamp(inner.width() - 2 - need - 2, inner.height() * 0.6, inner.height());
        const QRectF iconBox(inner.left(), inner.top(), side, inner.height());
        DrawIcon(p, pic.icon, iconBox, f.text);
        DrawText(p, inner.adjusted(side + 2, 0, 0, 0), caption, f.text, px, 700, Qt::AlignCenter);
    } else if (!pic.icon.isEmpty()) {
        DrawIcon(p, pic.icon, pic.iconRect.isEmpty() ? inner : QRectF(pic.iconRect), f.text);
    } else {
        DrawText(p, inner, caption, f.text, TextPx(inner), 700, Qt::AlignCenter);
    }
}

void PaintLamp(QPainter& p, const Picture& pic, const QRectF& r) {
    const bool lit = pic.state == QLatin1String("lit");
    const QColor a = Accent(pic.tone);
    QRectF dot = Square(r).adjusted(2, 2, -2, -2);
    if (r.width() > r.height() * 1.6) {
        // A pill with its light at the left and the caption beside it.
        FillRounded(p, r, ButtonFill(QStringLiteral("normal"), QStringLiteral("grey")),
                    r.height() / 2 - 0.5);
        const qreal d = r.height() * 0.55;
        dot = QRectF(r.left() + r.height() * 0.35, r.center().y() - d / 2, d, d);
        DrawText(p, r.adjusted(r.height() * 0.35 + d + 4, 0, -4, 0),
                 pic.texts.join(QLatin1Char(' ')), lit ? Qt::white : kLabelDim, TextPx(r), 700,
                 Qt::AlignCenter);
    }
    QRadialGradient g(dot.center(), dot.width() / 2,
                      dot.center() - QPointF(dot.width() / 6, dot.height() / 6));
    g.setColorAt(0, lit ? a.lighter(170) : QColor(90, 97, 108));
    g.setColorAt(1, lit ? a.darker(115) : QColor(32, 36, 43));
    p.setPen(QPen(lit ? a.lighter(120) : QColor(70, 78, 90), 1));
    p.setBrush(g);
    p.drawEllipse(dot);
}

void PaintTrack(QPainter& p, const Picture& pic, const QRectF& r) {
    const bool vertical = pic.orientation == Qt::Vertical;
    const bool grey = pic.tone == QLatin1String("grey");
    const qreal across = vertical ? r.width() : r.height();
    const qreal groove = std::max(3.0, across * 0.22);
    const QRectF g = vertical
                         ? QRectF(r.center().x() - groove / 2, r.top() + 2, groove, r.height() - 4)
                         : QRectF(r.left() + 2, r.center().y() - groove / 2, r.width() - 4, groove);
    // Ticks on both sides of the groove.
    p.setPen(QPen(grey ? QColor(80, 86, 95) : QColor(76, 88, 104), 1));
    const int ticks = 10;
    for (int i = 0; i <= ticks; ++i) {
        const qreal t = i / qreal(ticks);
        const qreal len = (i % 5 == 0 ? 0.36 : 0.26) * across;
        if (vertical) {
            const qreal y = g.top() + t * g.height();
            p.drawLine(QPointF(r.center().x() - len, y), QPointF(g.left() - 2, y));
            p.drawLine(QPointF(g.right() + 2, y), QPointF(r.center().x() + len, y));
        } else {
            const qreal x = g.left() + t * g.width();
            p.drawLine(QPointF(x, r.center().y() - len), QPointF(x, g.top() - 2));
            p.drawLine(QPointF(x, g.bottom() + 2), QPointF(x, r.center().y() + len));
        }
    }
    const Fill f = grey
                       ? Fill{QColor(40, 44, 50), QColor(50, 54, 60), QColor(76, 82, 90), kLabelDim}
                       : Fill{QColor(12, 15, 19), QColor(24, 29, 36),
                              pic.state == QLatin1String("active") ? Accent(QStringLiteral("blue"))
                                                                   : QColor(66, 77, 92),
                              kLabel};
    FillRounded(p, g, f, groove / 2);
    if (!pic.icon.isEmpty()) DrawIcon(p, pic.icon, r, grey ? kLabelDim : kLabel);
}

void PaintThumb(QPainter& p, const Picture& pic, const QRectF& r) {
    const bool grey = pic.tone == QLatin1String("grey");
    const bool active = pic.state == QLatin1String("active");
    // A coloured thumb (a band outside the crossover, a moving fader) wears its tone.
    const bool toned = !grey && !pic.tone.isEmpty() && pic.tone != QLatin1String("dark") &&
                       pic.tone != QLatin1String("light");
    const QColor tone = Accent(pic.tone);
    const Fill f =
        grey    ? Fill{QColor(130, 135, 142), QColor(100, 105, 112), QColor(80, 85, 92), kLabel}
        : toned ? Fill{tone.lighter(150), tone.darker(110), tone.darker(140), kLabel}
                : Fill{QColor(228, 232, 238), QColor(156, 165, 178),
                       active ? Accent(QStringLiteral("blue")) : QColor(84, 93, 108), kLabel};
    FillRounded(p, r, f, Radius(r, 4));
    if (active) {
        p.setPen(QPen(Accent(QStringLiteral("blue")), 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(r.adjusted(1, 1, -1, -1), Radius(r, 4), Radius(r, 4));
    }
    // Grip lines across the direction of travel: a wide knob moves vertically.
    p.setPen(QPen(QColor(60, 66, 76, 160), 1));
    const bool wide = r.width() >= r.height();
    for (int k = -1; k <= 1; ++k) {
        if (wide) {
            const qreal y = r.center().y() + k * 3;
            p.drawLine(QPointF(r.left() + r.width() * 0.25, y),
                       QPointF(r.right() - r.width() * 0.25, y));
        } else {
            const qreal x = r.center().x() + k * 3;
            p.drawLine(QPointF(x, r.top() + r.height() * 0.25),
                       QPointF(x, r.bottom() - r.height() * 0.25));
        }
    }
}

void PaintSpin(QPainter& p, const Picture& pic, const QRectF& r) {
    FillRounded(p, r, ButtonFill(QStringLiteral("normal"), pic.tone), Radius(r, 4));
    const qreal zone = r.height();
    const QRectF down(r.left(), r.top(), zone, r.height()),
        up(r.right() - zone, r.top(), zone, r.height());
    const QRectF middle(down.right(), r.top(), up.left() - down.right(), r.height());
    const QRectF* lit = pic.state == QLatin1String("down")     ? &down
                        : pic.state == QLatin1String("up")     ? &up
                        : pic.state == QLatin1String("middle") ? &middle
                                                               : nullptr;
    if (lit) FillRounded(p, *lit, ButtonFill(QStringLiteral("on"), pic.tone), Radius(*lit, 4));
    p.setPen(QPen(QColor(30, 36, 44), 1));
    p.drawLine(QPointF(down.right(), r.top() + 2), QPointF(down.right(), r.bottom() - 2));
    p.drawLine(QPointF(up.left(), r.top() + 2), QPointF(up.left(), r.bottom() - 2));
    // Arrows pointing outwards: left steps down, right steps up.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(227, 232, 238));
    for (int side : {-1, 1}) {
        const QRectF& z = side < 0 ? down : up;
        const qreal s = zone * 0.22;
        const QPointF c = z.center();
        QPolygonF tri;
        tri << QPointF(c.x() + side * s, c.y()) << QPointF(c.x() - side * s, c.y() - s)
            << QPointF(c.x() - side * s, c.y() + s);
        p.drawPolygon(tri);
    }
}

void PaintPicture(QPainter& p, const Picture& pic, const QRectF& r) {
    if (!pic.transparent) FillRounded(p, r, BackgroundFill(pic.tone), Radius(r, 6));
    const QColor ink = pic.transparent ? QColor(201, 209, 220, 38) : kLabel;
    if (!pic.icon.isEmpty())
        DrawIcon(p, pic.icon, pic.iconRect.isEmpty() ? r : QRectF(pic.iconRect), ink);
    if (pic.textBoxes.isEmpty() && pic.icon.isEmpty()) {
        DrawText(p, r.adjusted(4, 4, -4, -4), pic.texts.join(QLatin1Char('\n')), ink,
                 int(r.height() * 0.3), 700, Qt::AlignCenter);
    } else {
        DrawCaptions(p, pic, r, ink);
    }
}

// The cache of drawn pictures.
std::mutex g_cacheMutex;
struct Kept {
    QImage image;
    unsigned long long lastUse = 0;
};
std::unordered_map<int, Kept>& Cache() {
    static std::unordered_map<int, Kept> cache;
    return cache;
}
unsigned long long g_useClock = 0;

// Pictures no window holds (only the cache refers to them) stay for the next
// use up to this many bytes, the least recently used going first: a dialog's
// pictures go soon after it closed, those drawn at every paint (under 1 MB
// for the main window) stay.
constexpr qsizetype kUnheldBytes = 2 << 20;

void TrimUnheld() {
    qsizetype unheld = 0;
    for (const auto& [id, kept] : Cache())
        if (kept.image.isDetached()) unheld += kept.image.sizeInBytes();
    while (unheld > kUnheldBytes) {
        auto oldest = Cache().end();
        for (auto it = Cache().begin(); it != Cache().end(); ++it)
            if (it->second.image.isDetached() &&
                (oldest == Cache().end() || it->second.lastUse < oldest->second.lastUse))
                oldest = it;
        unheld -= oldest->second.image.sizeInBytes();
        Cache().erase(oldest);
    }
}

int LoadResource(unsigned id, Kind kind, QImage& out) {
    const Picture* pic = Catalogue::Program().Find(static_cast<int>(id));
    if (!pic || pic->kind != kind) return 0;
    QImage img = Image(pic->id);
    if (img.isNull()) return 0;
    out = img;
    return 1;
}

} // namespace

// A picture without transparent pixels becomes Format_RGB32 in place: a
// pixmap made from it then shares its pixels instead of converting a copy.
QImage Opaque(QImage img) {
    for (int y = 0; y < img.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if (qAlpha(line[x]) != 255) return img;
    }
    img.reinterpretAsFormat(QImage::Format_RGB32);
    return img;
}

namespace {

// Draws a picture into an image of its scaled size; with a part, only that
// part is cleared and drawn, with the same pixels as in the whole: the
// painter is clipped, neither moved nor given a smaller image (either would
// round some edges otherwise). The rest of the image is never touched, so
// its memory is never taken (a large block is a mapping of its own).
QImage Draw(const Picture& pic, qreal scale, const QRect& part = QRect()) {
    QImage img((QSizeF(pic.size) * scale).toSize(), QImage::Format_ARGB32_Premultiplied);
    if (part.isNull()) {
        img.fill(Qt::transparent);
    } else {
        for (int y = part.top(); y <= part.bottom(); ++y)
            std::fill_n(reinterpret_cast<QRgb*>(img.scanLine(y)) + part.left(), part.width(), 0);
    }
    QPainter p(&img);
    if (!part.isNull()) p.setClipRect(part);
    p.scale(scale, scale);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRectF r(QPointF(0, 0), QSizeF(pic.size));
    switch (pic.role) {
    case Role::Background:
        PaintBackground(p, pic, r);
        break;
    case Role::Button:
        PaintButton(p, pic, r);
        break;
    case Role::Lamp:
        PaintLamp(p, pic, r);
        break;
    case Role::Track:
        PaintTrack(p, pic, r);
        break;
    case Role::Thumb:
        PaintThumb(p, pic, r);
        break;
    case Role::Spin:
        PaintSpin(p, pic, r);
        break;
    case Role::Picture:
        PaintPicture(p, pic, r);
        break;
    }
    p.end();
    return part.isNull() ? img : img.copy(part);
}

} // namespace

QImage Render(const Picture& pic, qreal scale) {
    return Opaque(Draw(pic, scale));
}

QImage RenderPart(int id, const QRect& part) {
    const Picture* pic = Catalogue::Program().Find(id);
    const QRect inside = pic ? part & QRect(QPoint(0, 0), pic->size) : QRect();
    return inside.isEmpty() ? QImage() : Opaque(Draw(*pic, 1, inside));
}

QImage Image(int id) {
    const Picture* pic = Catalogue::Program().Find(id);
    if (!pic) return QImage();
    std::lock_guard<std::mutex> lock(g_cacheMutex);
    auto it = Cache().find(id);
    if (it == Cache().end()) {
        // Before the new one is drawn, so that it is not counted as unheld.
        TrimUnheld();
        it = Cache().emplace(id, Kept{Render(*pic), 0}).first;
    }
    it->second.lastUse = ++g_useClock;
    return it->second.image;
}

QPixmap Pixmap(int id) {
    const QImage img = Image(id);
    return img.isNull() ? QPixmap() : QPixmap::fromImage(img);
}

QSize Size(int id) {
    const Picture* pic = Catalogue::Program().Find(id);
    return pic ? pic->size : QSize();
}

void ClearCache() {
    std::lock_guard<std::mutex> lock(g_cacheMutex);
    Cache().clear();
}

void ReleaseOtherLanguage(bool chinese) {
    const Set other = chinese ? Set::English : Set::Chinese;
    std::lock_guard<std::mutex> lock(g_cacheMutex);
    for (auto it = Cache().begin(); it != Cache().end();) {
        const Picture* pic = Catalogue::Program().Find(it->first);
        it = pic && pic->set == other ? Cache().erase(it) : std::next(it);
    }
}

std::vector<int> CachedIds() {
    std::vector<int> ids;
    {
        std::lock_guard<std::mutex> lock(g_cacheMutex);
        for (const auto& entry : Cache())
            ids.push_back(entry.first);
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

const QPixmap& LanguagePixmap::In(bool chinese) {
    if (pixmap_.isNull() || chinese != chinese_) {
        pixmap_ = QPixmap(); // the other language's goes before the new one is drawn
        pixmap_ = Pixmap(ids_[chinese ? 1 : 0]);
        chinese_ = chinese;
    }
    return pixmap_;
}

void PartedPixmap::SetCovered(const QRect& covered) {
    const QRect whole(QPoint(0, 0), Size(ids_[0]));
    parts_.clear();
    const QRect hidden = covered & whole;
    if (!hidden.isEmpty()) parts_.push_back({hidden, QPixmap()});
    for (const QRect& r : QRegion(whole) - hidden)
        parts_.push_back({r, QPixmap()});
}

void PartedPixmap::Draw(QPainter& p, const QPoint& origin, const QRegion& exposed, bool chinese) {
    if (parts_.empty()) SetCovered(QRect());
    if (chinese != chinese_) Release();
    chinese_ = chinese;
    const QRegion wanted = exposed.translated(-origin);
    for (Part& part : parts_) {
        if (!wanted.intersects(part.rect)) continue;
        if (part.pixmap.isNull())
            part.pixmap = QPixmap::fromImage(RenderPart(ids_[chinese ? 1 : 0], part.rect));
        // Only what is exposed: a field or thumb repaints a few pixels.
        const QRegion shown = wanted & part.rect;
        for (const QRect& r : shown)
            p.drawPixmap(origin + r.topLeft(), part.pixmap, r.translated(-part.rect.topLeft()));
    }
}

void PartedPixmap::ReleaseCovered() {
    if (parts_.size() > 1) parts_.front().pixmap = QPixmap();
}

void PartedPixmap::Release() {
    for (Part& part : parts_)
        part.pixmap = QPixmap();
}

int PartedPixmap::HeldParts() const {
    return static_cast<int>(std::count_if(parts_.begin(), parts_.end(),
                                          [](const Part& part) { return !part.pixmap.isNull(); }));
}

} // namespace skin

int LoadPngResource(unsigned id, const char* type, QImage& out) {
    if (!type || QString::fromLatin1(type).compare(QLatin1String("PNG"), Qt::CaseInsensitive) != 0)
        return 0;
    return skin::LoadResource(id, skin::Kind::Png, out);
}

int LoadBitmapResource(unsigned id, QImage& out) {
    return skin::LoadResource(id, skin::Kind::Bitmap, out);
}
