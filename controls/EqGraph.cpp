#include "controls/EqGraph.h"

#include "controls/GraphPaint.h"
#include "model/Filter.h"
#include "model/Globals.h"
#include "model/KTV_Data.h"
#include "model/ModelLock.h"
#include "model/ValueScale.h"

#include <QMouseEvent>

#include <algorithm>
#include <cmath>

using graphpaint::Contains;

namespace {

// The vertical grid lines: nine per decade from 20 Hz, 20 kHz left out.
constexpr int kGridFreqs[CEqGraph::kGridCount] = {
    20,  30,  40,  50,   60,   70,   80,   90,   100,  200,  300,  400,  500,  600,
    700, 800, 900, 1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000, 9000, 10000};

// On the input page the mouse finds only the first fifteen filters.
constexpr int kMusicScanCount = 15;

bool IsCrossover(const CFilter& f) {
    return f.GetKind() == FilterKind::HighPass || f.GetKind() == FilterKind::LowPass;
}

bool HasBandwidthEdges(const CFilter& f) {
    return f.GetKind() == FilterKind::Peaking || f.GetKind() == FilterKind::Special;
}

bool StartChoiceShowsGraph() {
    const int choice = g_StartChoice.load();
    return choice == 1 || choice == 2;
}

// Mouse positions far outside any screen are kept to a range the filters'
// pixel arithmetic takes.
constexpr double kMouseLimit = 1 << 20;

GraphPoint ToGraphPoint(const QPointF& p) {
    return {static_cast<int>(std::floor(std::clamp(p.x(), -kMouseLimit, kMouseLimit))),
            static_cast<int>(std::floor(std::clamp(p.y(), -kMouseLimit, kMouseLimit)))};
}

} // namespace

CEqGraph::CEqGraph(QWidget* parent)
    : MessageTarget<QWidget>(parent), timer_([this] { OnTimer(); }) {
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    Layout();
}

CEqGraph::~CEqGraph() {
    owner_ = nullptr;
}

void CEqGraph::SetOwner(QObject* owner) {
    owner_ = owner;
}

void CEqGraph::Attach(CKTV_Data* data, int type) {
    data_ = data;
    effect_ = data ? data->GetEffect() : nullptr;
    currentMic_ = nullptr;
    currentMusic_ = nullptr;
    currentOut_ = nullptr;
    eq_ = nullptr;
    hovered_ = nullptr;
    attachType_ = type;
    DropPictures();
    Layout();
    HandPlotArea();
    timer_.Start(kTimerPeriodMs);
}

void CEqGraph::Layout() {
    clientRect_ = QRect(QPoint(0, 0), size());
    // Kept as left/top/width/height even where the control is too small for
    // a plotting area: the width and height are then negative.
    graphRect_ = QRect(clientRect_.left() + kMarginLeft, clientRect_.top() + kMarginTop,
                       clientRect_.width() - kMarginLeft - kMarginRight,
                       clientRect_.height() - kMarginTop - kMarginBottom);
    for (int i = 0; i < kGridCount; ++i)
        gridX_[i] = FreqToGraphX(kGridFreqs[i], graphRect_.width()) + kMarginLeft;
}

void CEqGraph::HandPlotArea() {
    if (!data_) return;
    const GraphRect area{graphRect_.left(), graphRect_.top(),
                         graphRect_.left() + graphRect_.width(),
                         graphRect_.top() + graphRect_.height()};
    if (attachType_ == kAttachMusic) data_->SetMusicGraphRect(area);
    if (attachType_ == kAttachOutput) data_->SetOutputGraphRect(area);
}

void CEqGraph::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (QRect(QPoint(0, 0), size()) == clientRect_) return;
    Layout();
    HandPlotArea();
}

// --- Channel and mode ----------------------------------------------------------

void CEqGraph::Show(CKTVEQ& eq, int kind, int mode, int channelCode) {
    eq_ = &eq;
    kind_ = kind;
    mode_ = mode;
    channelCode_ = channelCode;
    hovered_ = nullptr;
    Redraw(-1);
}

void CEqGraph::ShowEffect() {
    if (effect_) Show(effect_->GetEQ(), 0, kModeEffect, 0);
}

void CEqGraph::ShowMic(int n) {
    currentMic_ = data_ ? data_->GetMic(n) : nullptr;
    if (currentMic_) Show(currentMic_->GetEq(), 1, kModeMic, 256 + n);
}

void CEqGraph::ShowMusic(int n) {
    CMusic_InData* music = data_ ? data_->GetMusic(n) : nullptr;
    if (!music) return;
    currentMusic_ = music;
    Show(music->GetEq(), 2, kModeMusic, n);
}

void CEqGraph::ShowOutput(int n) {
    CKTV_OutData* out = data_ ? data_->GetOut(n) : nullptr;
    if (!out) return;
    currentOut_ = out;
    outputIndex_ = n;
    Show(out->GetEq(), 3, kModeOutput, 768 + n);
}

void CEqGraph::SetMode(int mode) {
    mode_ = mode;
    Redraw(-1);
}

void CEqGraph::Redraw(int band) {
    selectedBand_ = band;
    TakeSelection();
    Repaint();
}

void CEqGraph::TakeSelection() {
    // A band the equaliser does not have selects nothing.
    CFilter* selected = eq_ ? eq_->GetAt(selectedBand_) : nullptr;
    if (!selected) {
        selectedBand_ = -1;
        return;
    }
    if (mode_ == kModeMusic || mode_ == kModeOutput) {
        hovered_ = selected;
        bandCode_ = selectedBand_;
    }
}

CFilter* CEqGraph::Highlighted() const {
    if (selectedBand_ >= 0 && eq_) return eq_->GetAt(selectedBand_);
    return hovered_;
}

void CEqGraph::EnableGraph(bool enable) {
    hovered_ = nullptr;
    Enable(enable);
    repaint();
}

void CEqGraph::Enable(bool enable) {
    update();
    setEnabled(enable);
}

void CEqGraph::StopTimer() {
    timer_.Stop();
}

void CEqGraph::Repaint() {
    update();
}

// --- Mouse ---------------------------------------------------------------------

bool CEqGraph::TracksMouse() const {
    return eq_ && mode_ >= kModeEffect && mode_ <= kModeOutput;
}

void CEqGraph::mouseMoveEvent(QMouseEvent* event) {
    // The drags change filters the link worker's poller reads and marks
    // clear: under the device lock, as every change of the model.
    if (TracksMouse() && StartChoiceShowsGraph())
        WithDeviceLock([&]() REQUIRES(g_DeviceLock) { MoveStep(ToGraphPoint(event->position())); });
    UpdateCursor();
    QWidget::mouseMoveEvent(event);
}

void CEqGraph::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const auto press = [&]() REQUIRES(g_DeviceLock) { PressStep(ToGraphPoint(event->position())); };
    if (TracksMouse()) WithDeviceLock(press);
    released_ = false;
    UpdateCursor();
    QWidget::mousePressEvent(event);
}

void CEqGraph::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    released_ = true;
    if (TracksMouse()) WithDeviceLock([&]() REQUIRES(g_DeviceLock) { ReleaseStep(); });
    UpdateCursor();
    QWidget::mouseReleaseEvent(event);
}

void CEqGraph::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    if (owner_) platform::PostMessage(owner_, WM_GRAPH_FOCUS_LOST, 0, 0);
}

void CEqGraph::MoveStep(GraphPoint p) {
    if (hovered_ && IsCrossover(*hovered_)) {
        CrossoverStep(*hovered_, p);
        return;
    }
    bool hit = false;
    bool scan = hovered_ == nullptr;
    // A drag step: changed only when the band did.
    auto dragEdge = [&](CFilter& h) {
        const int before = h.GetBandwidthCode();
        lastDragResult_ = h.DragBandwidthEdge(p) != 0 && h.GetBandwidthCode() != before;
        if (lastDragResult_) {
            changed_ = true;
            Redraw(-1);
        }
    };
    if (hovered_) {
        CFilter& h = *hovered_;
        CFilter::Interaction& in = h.GetInteraction();
        const bool inHandle = Contains(h.GetHandleRect(), p);
        if (!inHandle && in.draggingHandle) {
            lastDragResult_ = h.DragHandleTo(p) != 0;
            Redraw(-1);
            if (lastDragResult_) {
                changed_ = true;
                Redraw(-1);
            }
        } else if (inHandle) {
            in.overHandle = 1;
            in.overLeftEdge = 0;
            in.overRightEdge = 0;
            if (in.draggingHandle) {
                lastDragResult_ = h.DragHandleTo(p) != 0;
                if (lastDragResult_) {
                    changed_ = true;
                    Redraw(-1);
                }
            }
            hit = true;
        } else if (h.IsGraphicEq()) {
            scan = true; // a graphic-EQ band has no bandwidth edges
        } else if (!Contains(h.GetLeftEdgeRect(), p) && in.draggingLeftEdge) {
            dragEdge(h);
        } else if (Contains(h.GetLeftEdgeRect(), p)) {
            in.overHandle = 0;
            in.overLeftEdge = 1;
            in.overRightEdge = 0;
            in.draggingRightEdge = 0;
            if (in.draggingLeftEdge) dragEdge(h);
            hit = true;
        } else if (!Contains(h.GetRightEdgeRect(), p) && in.draggingRightEdge) {
            dragEdge(h);
        } else if (Contains(h.GetRightEdgeRect(), p)) {
            in.overHandle = 0;
            in.overRightEdge = 1;
            in.overLeftEdge = 0;
            in.draggingLeftEdge = 0;
            if (in.draggingRightEdge) dragEdge(h);
            hit = true;
        } else {
            scan = true;
        }
    }
    if (scan) {
        const int count =
            mode_ == kModeMusic ? std::min(kMusicScanCount, eq_->GetCount()) : eq_->GetCount();
        for (int i = 0; i < count; ++i) {
            CFilter* f = eq_->GetAt(i);
            if (!Contains(f->GetHandleRect(), p)) continue;
            hovered_ = f;
            f->GetInteraction().overHandle = 1;
            hit = true;
            bandCode_ = i;
            Redraw(-1);
            break;
        }
    }
    overHandle_ = hit;
}

void CEqGraph::CrossoverStep(CFilter& h, GraphPoint p) {
    CFilter::Interaction& in = h.GetInteraction();
    if (!Contains(h.GetHandleRect(), p)) {
        if (!in.draggingHandle) {
            hovered_ = nullptr;
            overHandle_ = false;
            return;
        }
        lastDragResult_ = h.DragCrossoverHandle(p, CrossoverBound(h)) != 0;
        Redraw(-1);
        if (lastDragResult_) changed_ = true;
    } else if (in.draggingHandle) {
        lastDragResult_ = h.DragCrossoverHandle(p, CrossoverBound(h)) != 0;
        if (lastDragResult_) {
            changed_ = true;
            Redraw(-1);
        }
    }
    overHandle_ = true;
}

int CEqGraph::CrossoverBound(const CFilter& h) const {
    // The other crossover of the channel shown.
    const CFilter* other =
        h.GetKind() == FilterKind::HighPass ? eq_->GetLowPass() : eq_->GetHighPass();
    return other ? other->GetFreq() : h.GetFreq();
}

void CEqGraph::PressStep(GraphPoint p) {
    if (!overHandle_ || !hovered_) return;
    CFilter& h = *hovered_;
    CFilter::Interaction& in = h.GetInteraction();
    if (in.overHandle) {
        in.draggingHandle = 1;
        h.BeginHandleDrag(p);
    } else if (HasBandwidthEdges(h)) {
        if (in.overLeftEdge) {
            in.draggingLeftEdge = 1;
            h.DragEdgeHandle(p);
        } else if (in.overRightEdge) {
            in.draggingRightEdge = 1;
            h.DragEdgeHandle(p);
        }
    }
}

void CEqGraph::ReleaseStep() {
    if (!hovered_) return;
    CFilter::Interaction& in = hovered_->GetInteraction();
    if (in.overHandle) {
        in.draggingHandle = in.overHandle = 0;
        in.draggingLeftEdge = in.overLeftEdge = 0;
        in.draggingRightEdge = in.overRightEdge = 0;
        overHandle_ = false;
        return;
    }
    if (in.overLeftEdge) {
        in.draggingLeftEdge = in.overLeftEdge = 0;
        overHandle_ = false;
    }
    if (in.overRightEdge) {
        in.draggingRightEdge = in.overRightEdge = 0;
        overHandle_ = false;
    }
}

void CEqGraph::UpdateCursor() {
    Qt::CursorShape shape = overHandle_ ? Qt::SizeAllCursor : Qt::ArrowCursor;
    if (hovered_ && overHandle_) {
        const CFilter::Interaction& in = hovered_->GetInteraction();
        if (in.overLeftEdge || in.overRightEdge || IsCrossover(*hovered_))
            shape = Qt::SizeHorCursor;
        else if (hovered_->IsGraphicEq())
            shape = Qt::SizeVerCursor;
    }
    if (cursor().shape() != shape) setCursor(shape);
}

// --- Notifications -------------------------------------------------------------

void CEqGraph::OnTimer() {
    if (!owner_) return;
    if (changed_) {
        changed_ = false;
        platform::PostMessage(owner_, WM_GRAPH_BAND_CHANGED, static_cast<WPARAM>(bandCode_),
                              static_cast<LPARAM>(channelCode_));
    } else if (released_) {
        platform::PostMessage(owner_, WM_GRAPH_BAND_CHANGED, static_cast<WPARAM>(bandCode_),
                              static_cast<LPARAM>(channelCode_));
    }
}
