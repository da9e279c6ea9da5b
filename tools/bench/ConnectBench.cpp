// Connecting to the simulated device on 127.0.0.1: from the TCP connection
// to "device data complete" (WM_USER+110 reaching the main view), with the
// program's own view, link worker and reply handling on Qt's offscreen
// platform. The pacing floor is the number of exchanges x 5 ms (the worker
// pauses that long after every exchange); the counter "floor_ratio" is the
// time over that floor.
#include "tools/bench/SimProgram.h"
#include "app/LumaraApp.h"
#include "app/LumaraView.h"
#include "link/LinkGlobals.h"
#include "model/Globals.h"
#include "tools/bench/QtBenchMain.h"

#include <QApplication>
#include <QElapsedTimer>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

// The program's view; it connects only when told and stamps the moment the
// device's data is complete.
class TimedView : public CLumaraView {
public:
    using CLumaraView::CLumaraView;
    LRESULT OnFirstConnect(WPARAM, LPARAM) override { return 0; }
    LRESULT WindowProc(unsigned msg, WPARAM w, LPARAM l) override {
        if (msg == WM_DEVICE_DATA_DONE && !done) {
            done = true;
            doneAt = Clock::now();
            framesAtDone = frames();
        }
        return CLumaraView::WindowProc(msg, w, l);
    }
    bool done = false;
    Clock::time_point doneAt;
    std::function<size_t()> frames; // frames the device has taken so far
    size_t framesAtDone = 0;
};

void BM_ConnectToDeviceDataComplete(benchmark::State& state) {
    SimProgram sim;
    sim::SimDevice& device = sim.device;
    CLumaraApp app;
    if (!sim.Prepare(app)) {
        state.SkipWithError("the simulated device cannot listen on 127.0.0.1");
        return;
    }
    app.m_LinkEnvironment.timings.closePause = 0;
    TimedView* view = nullptr;
    app.m_ViewFactory = [&](CLumaraDoc& doc, QWidget* parent) {
        view = new TimedView(doc, app.Settings(), app.m_LinkEnvironment, parent);
        view->frames = [&device] { return device.FrameCount(); };
        return view;
    };
    if (!app.InitInstance({})) {
        state.SkipWithError("the program did not start");
        return;
    }
    const int pacing = app.m_LinkEnvironment.timings.pacing;

    double seconds = 0, floor = 0, exchanges = 0;
    for (auto _ : state) {
        view->done = false;
        view->Net().SetReachable(true);
        const size_t framesBefore = device.FrameCount();
        const auto start = Clock::now();
        if (!view->NetConnect()) {
            state.SkipWithError("no connection");
            break;
        }
        while (!view->done) QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        const size_t frames = view->framesAtDone - framesBefore;
        const double s = std::chrono::duration<double>(view->doneAt - start).count();
        state.SetIterationTime(s);
        seconds += s;
        exchanges += static_cast<double>(frames);
        floor += static_cast<double>(frames) * pacing / 1000.0;
        // Let the transfer window finish, then close the link for the next round.
        QElapsedTimer settle;
        settle.start();
        while (settle.elapsed() < 50) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        view->OnConnectButton();
    }
    state.counters["exchanges"] = exchanges / static_cast<double>(state.iterations());
    state.counters["floor_ms"] = 1000.0 * floor / static_cast<double>(state.iterations());
    state.counters["floor_ratio"] = floor > 0 ? seconds / floor : 0;
    app.ExitInstance();
}
BENCHMARK(BM_ConnectToDeviceDataComplete)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

int main(int argc, char** argv) { return RunQtBenchmarks(argc, argv); }
