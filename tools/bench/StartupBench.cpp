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
#include "app/MainFrm.h"
#include "platform/Display.h"

#include <QApplication>
#include <QEvent>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

long long MonotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

// A field of /proc/self/status in kilobytes ("VmRSS:", "VmHWM:").
long StatusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
    return -1;
}

// Reports the first paint of the main view and ends the program.
class FirstPaint : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!done_ && event->type() == QEvent::Paint && g_ActiveView && watched == g_ActiveView) {
            done_ = true;
            std::printf("first_paint_ns=%lld rss_kb=%ld peak_kb=%ld\n", MonotonicNs(),
                        StatusKb("VmRSS:"), StatusKb("VmHWM:"));
            std::fflush(stdout);
            QMetaObject::invokeMethod(qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
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

ProbeResult RunProbe(const char* self, const std::string& configDir) {
    int out[2];
    if (pipe(out) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("XDG_CONFIG_HOME", configDir.c_str(), 1);
    if (!getenv("XDG_RUNTIME_DIR")) setenv("XDG_RUNTIME_DIR", configDir.c_str(), 1);
    char* args[] = {const_cast<char*>(self), const_cast<char*>("--probe"), nullptr};
    const long long start = MonotonicNs();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, self, &actions, nullptr, args, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    ProbeResult r;
    if (spawned == 0) {
        std::string text;
        char buf[256];
        ssize_t n;
        while ((n = read(out[0], buf, sizeof buf)) > 0) text.append(buf, static_cast<size_t>(n));
        int status = 0;
        waitpid(pid, &status, 0);
        long long paint = 0;
        long rss = 0, peak = 0;
        if (std::sscanf(text.c_str(), "first_paint_ns=%lld rss_kb=%ld peak_kb=%ld", &paint, &rss,
                        &peak) == 3) {
            r.ms = (paint - start) / 1e6;
            r.rssMb = rss / 1024.0;
            r.peakMb = peak / 1024.0;
        }
    }
    close(out[0]);
    return r;
}

std::string g_self;

std::string MakeConfigDir() {
    char dir[] = "/tmp/lumara-bench-XXXXXX";
    return mkdtemp(dir) ? std::string(dir) : std::string();
}

void BM_StartToFirstPaint(benchmark::State& state) {
    const std::string dir = MakeConfigDir();
    if (dir.empty()) {
        state.SkipWithError("no temporary folder");
        return;
    }
    double rssTotal = 0;
    double peakTotal = 0;
    double peakMax = 0;
    for (auto _ : state) {
        const ProbeResult r = RunProbe(g_self.c_str(), dir);
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
    std::system(("rm -rf " + dir).c_str());
}
BENCHMARK(BM_StartToFirstPaint)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// The ceiling: three starts, each peak at most maxMb.
int CheckPeak(double maxMb) {
    const std::string dir = MakeConfigDir();
    if (dir.empty()) return 2;
    int failures = 0;
    for (int i = 0; i < 3; ++i) {
        const ProbeResult r = RunProbe(g_self.c_str(), dir);
        const bool over = r.peakMb < 0 || r.peakMb > maxMb;
        std::printf("peak resident memory at first paint: %.1f MB (at most %.0f MB)%s\n", r.peakMb,
                    maxMb, over ? ": too much" : "");
        failures += over;
    }
    std::system(("rm -rf " + dir).c_str());
    return failures ? 1 : 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--probe") == 0) return Probe(argc, argv);
    char self[4096] = {};
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    g_self = n > 0 ? std::string(self, static_cast<size_t>(n)) : std::string(argv[0]);
    if (argc == 3 && std::strcmp(argv[1], "--max-peak-mb") == 0)
        return CheckPeak(std::atof(argv[2]));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
