// Small drawing helpers the two graphs share: the model's rectangles and
// colours in Qt terms, and text placed as a window's text output places it
// (the point is the top-left corner of the text cell).
#pragma once

#include "model/ChannelColors.h"
#include "model/GraphTypes.h"

#include <QColor>
#include <QFontMetrics>
#include <QPainter>
#include <QRect>
#include <QString>

namespace graphpaint {

// The model's rectangles exclude their right and bottom edges, as QRect's
// width and height do.
inline QRect ToQRect(const GraphRect& r) {
    return QRect(r.left, r.top, r.Width(), r.Height());
}

// Whether a point lies in a rectangle, the right and bottom edges excluded.
inline bool Contains(const GraphRect& r, GraphPoint p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

inline QColor ColorOf(COLORREF c) {
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}
inline QColor ColorOf(const ArgbColor& c) {
    return QColor(c.r, c.g, c.b, c.a);
}

// Text with the top-left corner of its cell at (x, y), in the painter's font
// and pen.
inline void TextOut(QPainter& p, int x, int y, const QString& text) {
    p.drawText(QPoint(x, y + QFontMetrics(p.font()).ascent()), text);
}

} // namespace graphpaint
