// Start-up of the program: from starting the process to the first paint of
// its window, and the memory it holds then, on Qt's offscreen platform.
//
// Each iteration starts this program again with --probe: the probe runs the
// program's own start-up (the application object, its main frame and view,
// the real link engine) and, at the first paint of the main view, prints the
// monotonic clock, its resident memory and its peak resident memory (VmHWM,
// what start-up needed at most), then ends. The parent took the clock just
// before starting the process; the difference is the start-up time.
//
//   lumara_startup_bench --max-peak-mb N
// starts the probe three times and fails when a peak is above N megabytes
// (the ceiling CI keeps; it takes seconds).
#include "app/LumaraApp.h"
#include "app/MainWindow.h"
#include "platform/Display.h"
#include "tools/bench/SelfProbe.h"

#include <QApplication>
#include <QEvent>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Reports the first paint of the main view and ends the program.
class FirstPaint : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!done_ && event->type() == QEvent::Paint && g_ActiveView && watched == g_ActiveView) {
            done_ = true;
            std::printf("first_paint_ns=%lld rss_kb=%ld peak_kb=%ld\n", selfprobe::MonotonicNs(),
                        selfprobe::StatusKb("VmRSS:"), selfprobe::StatusKb("VmHWM:"));
            std::fflush(stdout);
            QMetaObject::invokeMethod(
                qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
        }
        return false;
    }

private:
    bool done_ = false;
};

int Probe(int argc, char** argv) {
    CLumaraApp app;
    static FirstPaint filter;
    // As the program's start-up makes it, with the filter watching.
    platform::PrepareDisplay();
    QApplication qt(argc, argv);
    qt.installEventFilter(&filter);
    if (!app.InitInstance({})) return 1;
    const int rc = QApplication::exec();
    app.ExitInstance();
    return rc;
}

struct ProbeResult {
    double ms = -1;
    double rssMb = -1;
    double peakMb = -1;
};

ProbeResult RunProbe(const std::string& self, const std::string& configDir) {
    long long start = 0;
    const std::string text = selfprobe::Run(self, configDir, false, &start);
    ProbeResult r;
    long long paint = 0;
    long rss = 0, peak = 0;
    if (std::sscanf(text.c_str(), "first_paint_ns=%lld rss_kb=%ld peak_kb=%ld", &paint, &rss,
                    &peak) == 3) {
        r.ms = (paint - start) / 1e6;
        r.rssMb = rss / 1024.0;
        r.peakMb = peak / 1024.0;
    }
    return r;
}

std::string g_self;

void BM_StartToFirstPaint(benchmark::State& state) {
    const std::string dir = selfprobe::MakeConfigDir();
    if (dir.empty()) {
        state.SkipWithError("no temporary folder");
        return;
    }
    double rssTotal = 0;
    double peakTotal = 0;
    double peakMax = 0;
    for (auto _ : state) {
        const ProbeResult r = RunProbe(g_self, dir);
        if (r.ms < 0) {
            state.SkipWithError("the probe did not paint");
            break;
        }
        state.SetIterationTime(r.ms / 1000.0);
        rssTotal += r.rssMb;
        peakTotal += r.peakMb;
        peakMax = std::max(peakMax, r.peakMb);
    }
    state.counters["rss_mb"] = benchmark::Counter(rssTotal, benchmark::Counter::kAvgIterations);
    state.counters["peak_mb"] = benchmark::Counter(peakTotal, benchmark::Counter::kAvgIterations);
    state.counters["peak_mb_max"] = peakMax;
    selfprobe::RemoveConfigDir(dir);
}
BENCHMARK(BM_StartToFirstPaint)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// The ceiling: three starts, each peak at most maxMb.
int CheckPeak(double maxMb) {
    const std::string dir = selfprobe::MakeConfigDir();
    if (dir.empty()) return 2;
    int failures = 0;
    for (int i = 0; i < 3; ++i) {
        const ProbeResult r = RunProbe(g_self, dir);
        const bool over = r.peakMb < 0 || r.peakMb > maxMb;
        std::printf("peak resident memory at first paint: %.1f MB (at most %.0f MB)%s\n", r.peakMb,
                    maxMb, over ? ": too much" : "");
        failures += over;
    }
    selfprobe::RemoveConfigDir(dir);
    return failures ? 1 : 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--probe") == 0) return Probe(argc, argv);
    g_self = selfprobe::SelfPath(argv[0]);
    if (argc == 3 && std::strcmp(argv[1], "--max-peak-mb") == 0)
        return CheckPeak(std::atof(argv[2]));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
