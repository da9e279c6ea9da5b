// The pictures of the equaliser graph: the background with the axis texts,
// then the plotting area of the mode shown.
#include "controls/EqGraph.h"

#include "controls/GraphPaint.h"
#include "controls/MemDC.h"
#include "model/Filter.h"
#include "model/FilterResponse.h"
#include "model/Globals.h"
#include "model/KTV_Data.h"
#include "model/ValueScale.h"
#include "platform/Fonts.h"
#include "platform/Skin.h"
#include "platform/UiGlobals.h"

#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

using graphpaint::ColorOf;
using graphpaint::TextOut;
using graphpaint::ToQRect;

namespace {

const QColor kBackground(45, 45, 45);
const QColor kAxisText(100, 100, 100);
const QColor kGrid = QColor::fromRgba(g_GraphGridArgb);
const QColor kOutline(68, 86, 98);
const QColor kCurrentCurve = QColor::fromRgba(g_GraphCurveArgb);
const QColor kShownOutputCurve(100, 100, 100, 255);
const QColor kSelected(255, 0, 0);
const QColor kLabel(255, 255, 255);

// How each mode draws its plotting area.
struct ModeLook {
    QColor framePen;
    QColor frameBrush;
    int gridDivisions;   // horizontal divisions of the gain axis
    bool overlayPass;    // the outputs marked in g_StateFlags 0..11
    bool colourSelected; // the highlighted band's label in red
};

ModeLook LookOf(int mode) {
    switch (mode) {
    case CEqGraph::kModeEffect:
    case CEqGraph::kModeMic:
        return {QColor(0, 180, 0), Qt::black, 12, true, false};
    case CEqGraph::kModeMusic:
        return {kGrid, Qt::black, 8, true, true};
    case CEqGraph::kModeOutput:
        return {kGrid, kBackground, 8, false, true};
    default:
        return {Qt::white, Qt::black, 12, true, false};
    }
}

// Texts of the axes and labels: the same in both languages.
QFont GraphFont() {
    return platform::ArialFont(14);
}

// Curve points far off the graph are brought nearer before drawing: what
// shows inside the plotting area stays (to a fraction of a pixel), and the
// rasteriser never sees coordinates near its limits.
double ClampY(double y, const QRect& area) {
    const double reach = 4.0 * std::max(area.height(), 1) + 64.0;
    if (std::isnan(y)) return area.bottom() + reach;
    return std::clamp(y, area.top() - reach, area.bottom() + reach);
}

template <class Points> QPolygonF Polyline(const Points& points, const QRect& area) {
    QPolygonF line;
    line.reserve(static_cast<int>(points.size()));
    for (const auto& pt : points)
        line << QPointF(static_cast<double>(pt.x), ClampY(static_cast<double>(pt.y), area));
    return line;
}

QPen CurvePen(const QColor& colour, double width) {
    return QPen(colour, width, Qt::SolidLine, Qt::FlatCap, Qt::BevelJoin);
}

// A wide antialiased polyline is stroked as one outline, which costs several
// times more than its segments stroked one by one. An opaque curve is drawn
// as segments whose square ends overlap at the joints (the overlap does not
// show); a translucent one as a polyline, so the joints do not darken.
void DrawPolyline(QPainter& p, const QPolygonF& line, const QPen& pen) {
    p.setBrush(Qt::NoBrush);
    if (pen.color().alpha() != 255 || line.size() < 2) {
        p.setPen(pen);
        p.drawPolyline(line);
        return;
    }
    QPen segments = pen;
    segments.setCapStyle(Qt::SquareCap);
    p.setPen(segments);
    for (int i = 1; i < line.size(); ++i) {
        p.drawLine(QLineF(line[i - 1], line[i]));
        ClearWideVectorState();
    }
}

// The channel's points as cubic Bézier segments (1 + 3 n points), as the
// input pictures draw them.
void DrawBeziers(QPainter& p, const QPolygonF& pts, const QPen& pen) {
    if (pts.isEmpty()) return;
    QPainterPath path(pts[0]);
    for (int i = 1; i + 2 < pts.size(); i += 3)
        path.cubicTo(pts[i], pts[i + 1], pts[i + 2]);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

// A 1-pixel rectangle outline inside r, filled with brush.
void FrameRect(QPainter& p, const QRect& r, const QColor& pen, const QBrush& brush) {
    if (r.width() <= 0 || r.height() <= 0) return;
    p.fillRect(r, brush);
    p.setPen(QPen(pen, 0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0, 0, -1, -1));
}

// A layer's image at the size, all transparent; its memory is used again
// (a fresh image of this size is fresh pages, every one of them a fault).
void ClearLayer(QImage& image, const QSize& size) {
    if (image.size() != size) image = QImage(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
}

// A printer or PDF writer, or a painter that scales or turns: drawn straight
// through, not from a kept picture.
bool KeepsPicture(const QPainter& p) {
    if (p.device() && p.device()->devType() == QInternal::Printer) return false;
    if (p.paintEngine() && p.paintEngine()->type() == QPaintEngine::Pdf) return false;
    return p.transform().type() <= QTransform::TxTranslate;
}

QString BandLabelText(const CFilter& f, int index) {
    if (f.GetKind() == FilterKind::HighPass) return QStringLiteral("H");
    if (f.GetKind() == FilterKind::LowPass) return QStringLiteral("L");
    // Every other kind, the special band included, shows its number.
    return QString::number(index + 1);
}

} // namespace

void CEqGraph::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setClipRect(event->rect());
    PaintTo(painter);
}

void CEqGraph::PaintTo(QPainter& painter) {
    QRect area = clientRect_;
    if (painter.hasClipping()) area &= painter.clipBoundingRect().toAlignedRect();
    if (area.isEmpty()) return;
    if (!KeepsPicture(painter)) {
        CMemDC buffer(&painter, &area);
        DrawPicture(*buffer);
        return;
    }
    const qreal dpr = painter.device()->devicePixelRatioF();
    std::vector<std::uint64_t> key = PictureKey(painter, dpr);
    QImage& image = picture_.image;
    if (key != picture_.key || image.isNull()) {
        const QSize pixels = clientRect_.size() * dpr;
        if (image.size() != pixels || image.devicePixelRatio() != dpr) {
            image = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
            image.setDevicePixelRatio(dpr);
        }
        image.fill(painter.background().color());
        QPainter p(&image);
        p.setRenderHints(painter.renderHints());
        p.setFont(painter.font());
        p.setBackground(painter.background());
        DrawPicture(p);
        picture_.key.swap(key);
        ++pictureDraws_;
    }
    // Copied as the double buffer copies its picture.
    const QRect deviceRect = painter.transform().mapRect(area);
    painter.save();
    painter.resetTransform();
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(deviceRect.topLeft(), image, QRect(area.topLeft() * dpr, area.size() * dpr));
    painter.restore();
}

std::vector<std::uint64_t> CEqGraph::PictureKey(const QPainter& target, qreal dpr) const {
    auto word = [](const void* p) {
        return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(p));
    };
    auto signedWord = [](long long v) { return static_cast<std::uint64_t>(v); };
    std::vector<std::uint64_t> key = {
        signedWord(clientRect_.width()),
        signedWord(clientRect_.height()),
        static_cast<std::uint64_t>(std::llround(dpr * 1000)),
        static_cast<std::uint64_t>(target.renderHints().toInt()),
        target.background().color().rgba64(),
        signedWord(mode_),
        signedWord(g_StartChoice.load()),
        signedWord(g_LanguageFlag.load()),
        signedWord(selectedBand_),
        word(hovered_),
        word(eq_),
        eq_ ? eq_->GetChangeCount() : 0,
        word(data_),
        data_ ? data_->GetChangeCount() : 0,
        word(currentOut_),
        word(currentMusic_),
        word(currentMic_),
        signedWord(outputIndex_),
        mode_ == kModeOutput ? static_cast<std::uint64_t>(skin::Image(kWatermarkId).cacheKey()) : 0,
    };
    for (int n = 0; n < 12; ++n) {
        key.push_back(signedWord(g_ShowCurve[n]));
        key.push_back(signedWord(g_StateFlags[n].load()));
    }
    return key;
}

void CEqGraph::DropPictures() {
    picture_ = {};
    shownLayer_ = {};
    overlayLayer_ = {};
}

void CEqGraph::hideEvent(QHideEvent* event) {
    // A hidden graph keeps no picture; it is drawn again when shown.
    picture_ = {};
    QWidget::hideEvent(event);
}

void CEqGraph::DrawPicture(QPainter& p) {
    p.setFont(GraphFont());
    PaintBackground(p);
    PaintPicture(p);
}

void CEqGraph::PaintBackground(QPainter& p) const {
    p.fillRect(clientRect_, kBackground);
    p.setPen(kAxisText);
    const int gh = graphRect_.height();
    const int gw = graphRect_.width();
    const int eighth = gh / 8;
    TextOut(p, 6, clientRect_.top() + 5, QStringLiteral("+12"));
    TextOut(p, 6, 2 * eighth + 3, QStringLiteral("+6"));
    TextOut(p, 6, 4 * eighth + 3, QStringLiteral("0dB"));
    TextOut(p, 6, 6 * eighth + 3, QStringLiteral("-6"));
    TextOut(p, 6, gh, QStringLiteral("-12"));
    const int y = graphRect_.top() + gh;
    auto x = [gw](int freq) { return FreqToGraphX(freq, gw) + kMarginLeft; };
    TextOut(p, x(100) - 10, y, QStringLiteral("100"));
    TextOut(p, x(1000) - 8, y, QStringLiteral("1K"));
    TextOut(p, x(10000) - 10, y, QStringLiteral("10K"));
    TextOut(p, x(20000) - 15, y, QStringLiteral("20K"));
}

void CEqGraph::PaintPicture(QPainter& p) {
    if (graphRect_.isEmpty()) return;
    if (mode_ == kModeOutput && !(g_StartChoice.load() == 1 || g_StartChoice.load() == 2)) return;
    p.save();
    p.setClipRect(graphRect_, Qt::IntersectClip);
    const ModeLook look = LookOf(mode_);
    FrameRect(p, graphRect_, look.framePen, look.frameBrush);
    // The fills leave the wide vector registers in the state that slows the
    // scalar arithmetic of the curves and the drawing after them.
    ClearWideVectorState();
    const bool drawsChannel = mode_ >= kModeEffect && mode_ <= kModeOutput && eq_;
    CFilter* highlighted = drawsChannel ? Highlighted() : nullptr;

    if (mode_ == kModeOutput) {
        const QImage& mark = skin::Image(kWatermarkId);
        if (!mark.isNull()) p.drawImage(QPoint(kWatermarkX, kWatermarkY), mark);
    }
    p.setRenderHint(QPainter::Antialiasing, true);
    if (highlighted) {
        p.setPen(QPen(kOutline, 1));
        p.setBrush(kOutline);
        p.drawPolygon(Polyline(highlighted->GetCurvePoints(), graphRect_));
    }
    p.setRenderHint(QPainter::Antialiasing, false);
    PaintGrid(p, look.gridDivisions);
    p.setRenderHint(QPainter::Antialiasing, true);
    if (look.overlayPass) PaintOverlayPass(p);
    if (drawsChannel) {
        PaintChannelCurve(p);
        PaintBandLabels(p, look.colourSelected);
        const bool modeTwoColour = mode_ == kModeMusic || mode_ == kModeOutput;
        QColor edgePen = kSelected;
        if (mode_ == kModeEffect && effect_) edgePen = ColorOf(effect_->GetCurveColor());
        if (mode_ == kModeMic && currentMic_) edgePen = ColorOf(currentMic_->GetCurveColor());
        PaintEdgeHandles(p, edgePen);
        PaintValueLabel(p, modeTwoColour ? kSelected : kLabel);
    }
    p.restore();
}

void CEqGraph::PaintGrid(QPainter& p, int divisions) const {
    const QRect& g = graphRect_;
    const int bottom = g.top() + g.height();
    const int right = g.left() + g.width();
    p.setPen(QPen(kGrid, 0));
    for (int i = 1; i < kGridCount; ++i)
        p.drawLine(gridX_[i], g.top(), gridX_[i], bottom - 1);
    for (int i = 1; i <= 8; ++i) {
        const int y = g.top() + static_cast<int>(g.height() / static_cast<double>(divisions) * i);
        p.drawLine(g.left(), y, right - 1, y);
    }
}

std::vector<std::uint64_t> CEqGraph::ShownOutputsKey(std::vector<CKTV_OutData*>* shown) {
    std::vector<std::uint64_t> key;
    if (!data_) return key;
    for (int j = 0; j < 12; ++j) {
        if (j == outputIndex_ || !g_ShowCurve[j]) continue;
        CKTV_OutData* out = data_->GetOut(j);
        if (!out) continue;
        out->UpdateCurve();
        if (shown) shown->push_back(out);
        key.push_back(static_cast<std::uint64_t>(j));
        key.push_back(out->GetCurve().GetChangeCount());
    }
    return key;
}

void CEqGraph::PaintShownOutputs(QPainter& p) {
    std::vector<CKTV_OutData*> shown;
    std::vector<std::uint64_t> key = ShownOutputsKey(&shown);
    if (shown.empty()) return;
    CurvesLayer& layer = shownLayer_;
    if (layer.key != key || layer.area != graphRect_ || layer.image.isNull()) {
        ++layerDraws_;
        ClearLayer(layer.image, graphRect_.size());
        ClearWideVectorState();
        QPainter lp(&layer.image);
        lp.setRenderHint(QPainter::Antialiasing, true);
        lp.translate(-graphRect_.topLeft());
        for (CKTV_OutData* out : shown)
            DrawPolyline(lp, Polyline(out->GetCurve().GetRealPoints(), graphRect_),
                         CurvePen(kShownOutputCurve, 3));
        layer.area = graphRect_;
        layer.key.swap(key);
    }
    p.drawImage(graphRect_.topLeft(), layer.image);
}

// Each marked output lays the shown outputs' layer and then its own curve
// over what is there; all of it is kept as one layer.
void CEqGraph::PaintOverlayPass(QPainter& p) {
    if (!data_) return;
    std::vector<CKTV_OutData*> marked;
    std::vector<std::uint64_t> key;
    for (int n = 0; n < 12; ++n) {
        if (!g_StateFlags[n].load()) continue;
        CKTV_OutData* out = data_->GetOut(n);
        if (!out) continue;
        out->UpdateCurve();
        marked.push_back(out);
        key.push_back(static_cast<std::uint64_t>(n));
        key.push_back(out->GetCurve().GetChangeCount());
    }
    if (marked.empty()) return;
    const std::vector<std::uint64_t> shown = ShownOutputsKey(nullptr);
    key.push_back(~std::uint64_t{0});
    key.insert(key.end(), shown.begin(), shown.end());
    CurvesLayer& layer = overlayLayer_;
    if (layer.key != key || layer.area != graphRect_ || layer.image.isNull()) {
        ++layerDraws_;
        ClearLayer(layer.image, graphRect_.size());
        ClearWideVectorState();
        QPainter lp(&layer.image);
        lp.setRenderHints(p.renderHints());
        lp.translate(-graphRect_.topLeft());
        for (CKTV_OutData* out : marked) {
            PaintShownOutputs(lp);
            DrawPolyline(lp, Polyline(out->GetCurve().GetRealPoints(), graphRect_),
                         CurvePen(ColorOf(out->GetCurveGdiColor()), 2));
        }
        layer.area = graphRect_;
        layer.key.swap(key);
    }
    p.drawImage(graphRect_.topLeft(), layer.image);
}

void CEqGraph::PaintChannelCurve(QPainter& p) {
    if (mode_ == kModeOutput) {
        if (!currentOut_) return;
        currentOut_->UpdateCurve();
        PaintShownOutputs(p);
        DrawPolyline(p, Polyline(currentOut_->GetCurve().GetRealPoints(), graphRect_),
                     CurvePen(kCurrentCurve, 2));
        return;
    }
    // The inputs' pictures draw their points as Bézier segments.
    const CChannelCurve* curve = nullptr;
    QColor colour = kCurrentCurve;
    if (mode_ == kModeEffect && effect_) {
        effect_->UpdateCurve();
        curve = &effect_->GetCurve();
        colour = ColorOf(effect_->GetCurveArgb());
    } else if (mode_ == kModeMic && currentMic_) {
        currentMic_->UpdateCurve();
        curve = &currentMic_->GetCurve();
        colour = ColorOf(currentMic_->GetCurveGdiColor());
    } else if (mode_ == kModeMusic && currentMusic_) {
        currentMusic_->UpdateCurve();
        curve = &currentMusic_->GetCurve();
    }
    if (curve) DrawBeziers(p, Polyline(curve->GetRealPoints(), graphRect_), CurvePen(colour, 2));
}

void CEqGraph::PaintBandLabels(QPainter& p, bool colourSelected) const {
    const int n = eq_->GetCount();
    int first = n - 1;
    // The input page labels only the first fifteen bands at the first start choice.
    if (mode_ == kModeMusic && g_StartChoice.load() == 1) first = std::min(first, 14);
    const CFilter* red = colourSelected ? Highlighted() : nullptr;
    const int areaRight = graphRect_.left() + graphRect_.width();
    for (int i = first; i >= 0; --i) {
        const CFilter* f = eq_->GetAt(i);
        const GraphRect& r = f->GetHandleRect();
        int align = Qt::AlignHCenter;
        if (r.right == areaRight)
            align = Qt::AlignLeft;
        else if (f->GetFreq() <= 20)
            align = Qt::AlignRight;
        else if (f->GetFreq() >= 20000)
            align = Qt::AlignLeft;
        p.setPen(f == red ? kSelected : kLabel);
        p.drawText(ToQRect(r), align | Qt::AlignVCenter, BandLabelText(*f, i));
    }
}

void CEqGraph::PaintEdgeHandles(QPainter& p, const QColor& pen) const {
    if (!hovered_ ||
        (hovered_->GetKind() != FilterKind::Peaking && hovered_->GetKind() != FilterKind::Special))
        return;
    if ((mode_ == kModeMusic || mode_ == kModeOutput) && hovered_->IsGraphicEq()) return;
    p.setRenderHint(QPainter::Antialiasing, false);
    for (const GraphRect& r : {hovered_->GetLeftEdgeRect(), hovered_->GetRightEdgeRect()})
        FrameRect(p, ToQRect(r), pen, kOutline);
    p.setRenderHint(QPainter::Antialiasing, true);
}

void CEqGraph::PaintValueLabel(QPainter& p, const QColor& colour) {
    CFilter* f = selectedBand_ >= 0 ? eq_->GetAt(selectedBand_) : hovered_;
    if (!f) return;
    const QString text = QString::fromStdString(f->FormatHandleLabel());
    QRect box = ToQRect(f->GetLabelRect());
    // A text longer than its box widens it about its centre, kept on the graph.
    const int need = QFontMetrics(p.font()).horizontalAdvance(text) + 4;
    if (need > box.width()) {
        const int grow = need - box.width();
        box.adjust(-grow / 2, 0, grow - grow / 2, 0);
        const int right = graphRect_.left() + graphRect_.width();
        if (box.left() + box.width() > right) box.moveLeft(right - box.width());
        if (box.left() < graphRect_.left()) box.moveLeft(graphRect_.left());
    }
    p.setPen(colour);
    p.drawText(box, Qt::AlignHCenter | Qt::AlignTop | Qt::TextDontClip, text);
}
