// Connecting to the simulated device on 127.0.0.1: from the TCP connection
// to "device data complete" (WM_USER+110 reaching the main view), with the
// program's own view, link worker and reply handling on Qt's offscreen
// platform. The pacing floor is the number of exchanges x 5 ms (the worker
// pauses that long after every exchange); the counter "floor_ratio" is the
// time over that floor.
#include "tools/bench/ProgramOnSim.h"
#include "tools/bench/QtBenchMain.h"

#include <QElapsedTimer>

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

void BM_ConnectToDeviceDataComplete(benchmark::State& state) {
    ProgramOnSim<> program;
    if (!program.Start()) {
        state.SkipWithError(program.error.c_str());
        return;
    }
    auto* view = program.view;
    const int pacing = program.app.m_LinkEnvironment.timings.pacing;

    double seconds = 0, floor = 0, exchanges = 0;
    for (auto _ : state) {
        view->done = false;
        view->Session().Net().SetReachable(true);
        const size_t framesBefore = program.device.FrameCount();
        const auto start = ProgramOnSim<>::Clock::now();
        if (!view->Session().NetConnect()) {
            state.SkipWithError("no connection");
            break;
        }
        while (!view->done)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        const size_t frames = view->framesAtDone - framesBefore;
        const double s = std::chrono::duration<double>(view->doneAt - start).count();
        state.SetIterationTime(s);
        seconds += s;
        exchanges += static_cast<double>(frames);
        floor += static_cast<double>(frames) * pacing / 1000.0;
        // Let the transfer window finish, then close the link for the next round.
        QElapsedTimer settle;
        settle.start();
        while (settle.elapsed() < 50)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        view->OnConnectButton();
    }
    state.counters["exchanges"] = exchanges / static_cast<double>(state.iterations());
    state.counters["floor_ms"] = 1000.0 * floor / static_cast<double>(state.iterations());
    state.counters["floor_ratio"] = floor > 0 ? seconds / floor : 0;
}
BENCHMARK(BM_ConnectToDeviceDataComplete)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

} // namespace

int main(int argc, char** argv) {
    return RunQtBenchmarks(argc, argv);
}
