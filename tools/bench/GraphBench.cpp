// The equaliser graph at the output page's size, on Qt's offscreen platform:
// a full repaint with all twelve outputs shown and every filter's curve
// computed again, the same repaint when nothing changed, and one drag step
// (a mouse move that changes a band, then the repaint). The input page's
// graph with one and with twelve outputs marked for its overlay pass: an
// edit of the input's band, then the repaint. Also a repaint of the system
// page's dynamics curve.
#include "controls/DynamicsGraph.h"
#include "controls/EqGraph.h"
#include "tools/screenshot/snapshots/GraphSnapshots.h"
#include "model/DataDefine.h"
#include "model/Filter.h"
#include "model/Globals.h"
#include "tools/bench/QtBenchMain.h"
#include "tools/bench/BusyModel.h"

#include <QApplication>
#include <QMouseEvent>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// The output page with its graph, every output busy and shown, a band selected.
struct OutputPage {
    OutputPage() {
        InitParamModel();
        g_StartChoice = 1;
        bench::MakeBusy(model);
        for (int& shown : g_ShowCurve)
            shown = 1;
        page.resize(OutputGraphSize());
        graph = new CEqGraph(&page);
        graph->resize(OutputGraphSize());
        graph->Attach(&model, CEqGraph::kAttachOutput);
        graph->ShowOutput(0);
        graph->SetMode(CEqGraph::kModeOutput);
        graph->Redraw(10);
        page.show();
        QCoreApplication::processEvents();
    }
    void RecomputeEveryCurve() {
        for (int ch = 0; ch < kOutputCount; ++ch) {
            CKTVEQ& eq = model.GetOut(ch)->GetEq();
            for (int i = 0; i < eq.GetCount(); ++i)
                eq.GetAt(i)->UpdateCurve();
        }
    }
    void Mouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent e(type, QPointF(at), QPointF(graph->mapToGlobal(at)), button, held,
                      Qt::NoModifier);
        QApplication::sendEvent(graph, &e);
    }

    CKTV_Data model;
    QWidget page;
    CEqGraph* graph = nullptr;
};

void BM_OutputGraphFullRepaint(benchmark::State& state) {
    OutputPage p;
    for (auto _ : state) {
        p.RecomputeEveryCurve();
        p.graph->repaint();
    }
}
BENCHMARK(BM_OutputGraphFullRepaint)->Unit(benchmark::kMillisecond);

void BM_OutputGraphRepaintUnchanged(benchmark::State& state) {
    OutputPage p;
    for (auto _ : state)
        p.graph->repaint();
}
BENCHMARK(BM_OutputGraphRepaintUnchanged)->Unit(benchmark::kMillisecond);

// Grabs band 11 and moves it back and forth, each move changing its gain
// and frequency.
void BM_OutputGraphDragStep(benchmark::State& state) {
    OutputPage p;
    const GraphRect& r = p.model.GetOut(0)->GetFilter(10)->GetHandleRect();
    const QPoint start((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    p.Mouse(QEvent::MouseMove, start, Qt::NoButton, Qt::NoButton);
    p.Mouse(QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    int step = 0;
    for (auto _ : state) {
        step = (step + 1) % 40;
        const QPoint to = start + QPoint(step * 3, (step % 2 ? -1 : 1) * (12 + step));
        p.Mouse(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
        p.graph->repaint();
    }
    p.Mouse(QEvent::MouseButtonRelease, start, Qt::LeftButton, Qt::NoButton);
}
BENCHMARK(BM_OutputGraphDragStep)->Unit(benchmark::kMillisecond);

// The input page's graph over busy outputs, all shown, `marked` of them
// marked for the overlay pass (which nothing in the program marks); each step changes a band of the
// input shown and repaints.
void BM_InputGraphOverlayEditStep(benchmark::State& state) {
    const int marked = static_cast<int>(state.range(0));
    InitParamModel();
    g_StartChoice = 1;
    CKTV_Data model;
    bench::MakeBusy(model);
    for (int& shown : g_ShowCurve)
        shown = 1;
    for (int n = 0; n < marked; ++n)
        g_StateFlags[n] = 1;
    QWidget page;
    page.resize(OutputGraphSize());
    auto* graph = new CEqGraph(&page);
    graph->resize(OutputGraphSize());
    graph->Attach(&model, CEqGraph::kAttachMusic);
    // The output page's graph, of the same size, lays the outputs out.
    const QRect plot = graph->PlotRect();
    model.SetOutputGraphRect(
        {plot.left(), plot.top(), plot.left() + plot.width(), plot.top() + plot.height()});
    graph->ShowMusic(0);
    graph->SetMode(CEqGraph::kModeMusic);
    page.show();
    QCoreApplication::processEvents();
    CFilter& band = *model.GetMusic(0)->GetFilter(3);
    int step = 0;
    for (auto _ : state) {
        step = (step + 1) % 2;
        band.SetGainCode(step ? 260 : 140);
        graph->repaint();
    }
    for (int n = 0; n < marked; ++n)
        g_StateFlags[n] = 0;
}
BENCHMARK(BM_InputGraphOverlayEditStep)
    ->ArgName("marked")
    ->Arg(1)
    ->Arg(12)
    ->Unit(benchmark::kMillisecond);

void BM_DynamicsCurveRepaint(benchmark::State& state) {
    CKTV_Data model;
    QWidget page;
    auto* curve = new CDynamicsGraph(&page);
    curve->resize(DynamicsGraphSize());
    curve->InitLayout();
    curve->SetMode(CDynamicsGraph::kModeCurve);
    curve->SetData(&model);
    curve->SetChannel(0);
    page.show();
    QCoreApplication::processEvents();
    int ratio = 1;
    for (auto _ : state) {
        ratio = ratio % 191 + 1;
        curve->SetLevels({360, 200, ratio});
        curve->repaint();
    }
}
BENCHMARK(BM_DynamicsCurveRepaint)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return RunQtBenchmarks(argc, argv);
}
