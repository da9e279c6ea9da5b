#include "controls/DynamicsGraph.h"

#include "controls/GraphPaint.h"
#include "controls/MemDC.h"
#include "model/ChannelColors.h"
#include "model/KTV_Data.h"
#include "platform/Fonts.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <utility>

using graphpaint::ColorOf;
using graphpaint::TextOut;

namespace {

const QColor kLabelText(200, 200, 200);
const QColor kFrame(0, 180, 0);
const QColor kGrid(21, 100, 21);
const QColor kReference(195, 195, 195);
const QColor kHandle(255, 255, 0);

// Outputs 1 to 8 have a colour of their own here.
constexpr int kColouredChannels = 8;

QPointF ToQPointF(const dynamics::Point& p) {
    return QPointF(p.x, p.y);
}

} // namespace

CDynamicsGraph::CDynamicsGraph(QWidget* parent)
    : QWidget(parent), font_(platform::ArialFont(kFontHeight, 400)) {
    setMouseTracking(true);
    InitLayout();
}

CDynamicsGraph::~CDynamicsGraph() = default;

void CDynamicsGraph::InitLayout() {
    clientRect_ = QRect(QPoint(0, 0), size());
    graphRect_ = QRect(clientRect_.left() + kMarginLeft, clientRect_.top() + kMarginTop,
                       clientRect_.width() - kMarginLeft - kMarginRight,
                       clientRect_.height() - kMarginTop - kMarginBottom);
    if (mode_ == kModeCurve) UpdateUnits();
    UpdateCurve();
}

void CDynamicsGraph::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    InitLayout();
}

void CDynamicsGraph::SetMode(int mode) {
    mode_ = mode;
    if (mode_ == kModeCurve) UpdateUnits();
    update();
}

void CDynamicsGraph::UpdateUnits() {
    unitY_ = graphRect_.height() / static_cast<double>(dynamics::kScaleUnits);
    unitX_ = graphRect_.width() / static_cast<double>(dynamics::kScaleUnits);
}

void CDynamicsGraph::SetData(CKTV_Data* data) {
    data_ = data;
}

void CDynamicsGraph::SetChannel(int n) {
    channel_ = n;
    output_ = data_ ? data_->GetOut(n) : nullptr;
    if (output_) {
        dynamicsCopy_ = output_->GetDynamicsRecord();
        // What the model reads back of the values the page writes.
        levels_.limiterLevel = output_->GetDynamicsParamA();
        levels_.compressorLevel = output_->GetDynamicsParamB();
    }
    if (n >= 0 && n < kColouredChannels) curveColor_ = ColorOf(g_OutCurveArgb[n]);
    UpdateCurve();
    update();
}

void CDynamicsGraph::Refresh() {
    if (output_) dynamicsCopy_ = output_->GetDynamicsRecord();
    update();
}

void CDynamicsGraph::SetLevels(const dynamics::Levels& levels) {
    levels_ = levels;
    UpdateCurve();
    update();
}

void CDynamicsGraph::SetLinkedControlsA(QWidget* a, QWidget* b) {
    linkedA_[0] = a;
    linkedA_[1] = b;
}

void CDynamicsGraph::SetLinkedControlsB(QWidget* a, QWidget* b) {
    linkedB_[0] = a;
    linkedB_[1] = b;
}

void CDynamicsGraph::UpdateCurve() {
    const dynamics::Area area{static_cast<double>(graphRect_.left()),
                              static_cast<double>(graphRect_.top()),
                              static_cast<double>(graphRect_.left() + graphRect_.width()),
                              static_cast<double>(graphRect_.top() + graphRect_.height())};
    curve_ = dynamics::ComputeCurve(levels_, area);
    const int half = kHandleSize / 2;
    handleRect_ = QRect(static_cast<int>(curve_.limit.x - half),
                        static_cast<int>(curve_.limit.y - half), kHandleSize, kHandleSize);
}

// --- Painting ----------------------------------------------------------------------

void CDynamicsGraph::paintEvent(QPaintEvent* event) {
    if (mode_ != kModeCurve) return; // nothing to show yet
    QPainter painter(this);
    painter.setClipRect(event->rect());
    PaintTo(painter);
}

void CDynamicsGraph::PaintTo(QPainter& painter) {
    if (mode_ != kModeCurve) return;
    QRect area = clientRect_;
    if (painter.hasClipping()) area &= painter.clipBoundingRect().toAlignedRect();
    if (area.isEmpty()) return;
    CMemDC buffer(&painter, &area);
    QPainter& p = *buffer;

    p.fillRect(clientRect_, Qt::black);
    p.setFont(font_);
    p.setPen(kLabelText);
    p.setBackgroundMode(Qt::OpaqueMode);
    p.setBackground(Qt::black);
    const QRect& g = graphRect_;
    auto down = [this, &g](double units, int shift) {
        return g.top() + static_cast<int>(unitY_ * units + shift);
    };
    // The output levels beside their lines, the input levels centred under
    // theirs (the last under the right edge), all inside the control.
    const QFontMetrics metrics(font_);
    const int half = metrics.height() / 2;
    TextOut(p, 2, std::max(0, g.top() - half), QStringLiteral(" 12"));
    TextOut(p, 2, down(120, -half), QStringLiteral("  0"));
    TextOut(p, 2, down(220, -half), QStringLiteral("-10"));
    TextOut(p, 2, down(320, -half), QStringLiteral("-20"));
    TextOut(p, 2, down(420, -half), QStringLiteral("-30"));
    const int inputY = down(420, 0);
    for (const auto& [units, text] :
         {std::pair{100, "-20"}, {200, "-10"}, {300, "0"}, {420, "12"}}) {
        const QString label = QString::fromLatin1(text);
        const int w = metrics.horizontalAdvance(label);
        const int x = g.left() + static_cast<int>(unitX_ * units) - w / 2;
        TextOut(p, std::max(0, std::min(x, clientRect_.width() - w)), inputY, label);
    }
    p.setBackgroundMode(Qt::TransparentMode);

    if (g.width() <= 0 || g.height() <= 0) return;
    const int right = g.left() + g.width();
    const int bottom = g.top() + g.height();
    p.setPen(QPen(kFrame, 0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(g.adjusted(0, 0, -1, -1));
    p.setPen(QPen(kGrid, 0));
    for (int u : {120, 220, 320}) {
        const int y = g.top() + static_cast<int>(unitY_ * u);
        p.drawLine(g.left(), y, right - 1, y);
    }
    for (int u : {100, 200, 300}) {
        const int x = g.left() + static_cast<int>(unitX_ * u);
        p.drawLine(x, bottom - 1, x, g.top());
    }

    if (!output_) return;
    p.setRenderHint(QPainter::Antialiasing, true);
    p.save();
    p.setClipRect(g, Qt::IntersectClip);
    QPen reference(kReference, 2, Qt::DashLine, Qt::FlatCap, Qt::RoundJoin);
    p.setPen(reference);
    p.drawLine(ToQPointF(curve_.refStart), ToQPointF(curve_.refEnd));
    const QPointF line[] = {ToQPointF(curve_.start), ToQPointF(curve_.knee),
                            ToQPointF(curve_.limit), ToQPointF(curve_.end)};
    p.setPen(QPen(curveColor_, 2, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    p.drawPolyline(line, 4);
    p.restore();
    p.setPen(QPen(kHandle, 2));
    p.setBrush(kHandle);
    p.drawEllipse(QRectF(handleRect_));
}

// --- Mouse ---------------------------------------------------------------------

void CDynamicsGraph::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        setFocus(Qt::MouseFocusReason);
        if (mode_ == kModeCurve && hovering_) dragging_ = true;
    }
    QWidget::mousePressEvent(event);
}

void CDynamicsGraph::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && mode_ == kModeCurve && hovering_) dragging_ = false;
    QWidget::mouseReleaseEvent(event);
}

void CDynamicsGraph::mouseMoveEvent(QMouseEvent* event) {
    // A drag of the handle changes no value: the model keeps none of them.
    if (mode_ == kModeCurve && !dragging_) {
        const QPoint p(static_cast<int>(std::floor(event->position().x())),
                       static_cast<int>(std::floor(event->position().y())));
        hovering_ = handleRect_.contains(p);
    }
    UpdateCursor();
    QWidget::mouseMoveEvent(event);
}

void CDynamicsGraph::UpdateCursor() {
    const Qt::CursorShape shape = hovering_ ? Qt::SizeBDiagCursor : Qt::ArrowCursor;
    if (cursor().shape() != shape) setCursor(shape);
}
