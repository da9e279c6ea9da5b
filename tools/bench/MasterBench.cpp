// A master-volume click to its frame at the simulated device on 127.0.0.1:
// from the click on the master strip's plus or minus button to the moment
// the device holds the new volume, with the program's own view, strip, send
// poller and link worker on Qt's offscreen platform. The master record is
// sent on the worker's next step, so the time is at most about one exchange
// (the 5 ms pacing plus the round trip of the exchange running when the user
// clicks, if any) and one more for the record itself. The counter
// "exchange_ratio" is the time over one exchange of the link (target: at
// most 1); "exchange_ms" is that exchange as measured on this machine, over
// requests queued back to back.
#include "tools/bench/ProgramOnSim.h"
#include "tools/bench/QtBenchMain.h"

#include "features/outputs/MasterStrip.h"

#include <QElapsedTimer>

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

void BM_MasterClickToDeviceFrame(benchmark::State& state) {
    ProgramOnSim<> program;
    if (!program.Start() || !program.Connect()) {
        state.SkipWithError(program.error.c_str());
        return;
    }
    auto* strip = dynamic_cast<CMasterStrip*>(program.view->LevelBar());
    if (!strip) {
        state.SkipWithError("the level bar is no master strip");
        return;
    }
    const double exchange = program.ExchangeMs() / 1000.0;
    double seconds = 0;
    bool up = false;
    for (auto _ : state) {
        // Between clicks the link runs idle for a while, so that a click
        // meets the worker anywhere in its exchange.
        QElapsedTimer idle;
        idle.start();
        while (idle.elapsed() < 7 + static_cast<int>(state.iterations() % 5))
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        up = !up;
        const int want = strip->GetValue() + (up ? 1 : -1);
        const auto start = Clock::now();
        (up ? strip->PlusButton() : strip->MinusButton())->click();
        while (program.device.Record(5)[0] != want)
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        const double s = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(s);
        seconds += s;
    }
    const double mean = seconds / static_cast<double>(state.iterations());
    state.counters["exchange_ms"] = 1000.0 * exchange;
    state.counters["exchange_ratio"] = exchange > 0 ? mean / exchange : 0;
}
BENCHMARK(BM_MasterClickToDeviceFrame)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(100);

} // namespace

int main(int argc, char** argv) {
    return RunQtBenchmarks(argc, argv);
}
