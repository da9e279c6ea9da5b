// The program's resident memory while it runs against the simulated device on
// 127.0.0.1, on Qt's offscreen platform:
//   connected_mb   linked over TCP, the device's data loaded, then idle for a while;
//   windows_mb     after every page, dialog, message box and popup of the gallery
//                  has been opened once (and closed again), idle again;
//   windows_more_mb  the difference, the memory the windows leave behind.
// The *_peak_mb counters are the peak (VmHWM) up to that moment. Each
// iteration is a new process started with --probe; the simulated device runs
// inside it (its own memory is a few hundred kilobytes).
#include "platform/Display.h"
#include "tools/bench/LoopbackNet.h"
#include "tools/bench/SelfProbe.h"
#include "tools/screenshot/gallery/ProgramGallery.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct Memory {
    long rssKb = -1;
    long peakKb = -1;
};

Memory OwnMemory() {
    return {selfprobe::StatusKb("VmRSS:"), selfprobe::StatusKb("VmHWM:")};
}

// The program as a user starts it, linked over TCP to the simulated device on
// 127.0.0.1 (loopback is the only adapter, the device answers its ping); the
// gallery's shots open its windows. Their USB side is a simulated one with
// nothing plugged unless a shot plugs something.
class Runner : public ProgramGallery {
public:
    Runner()
        : ProgramGallery("/dev/hidraw-bench", std::make_unique<LoopbackAdapters>(),
                         std::make_unique<LoopbackPinger>()) {}
    ~Runner() override { unsetenv("LUMARA_DEVICE_ADDRESS"); }

    // Starts the device and the program, which links it by itself.
    bool Start() {
        if (!server_.Start(0)) return false;
        const std::string address = "127.0.0.1:" + std::to_string(server_.Port());
        setenv("LUMARA_DEVICE_ADDRESS", address.c_str(), 1);
        if (!app_.InitInstance({}) || !view_) return false;
        return WaitForData(0);
    }
    void Stop() {
        app_.ExitInstance();
        server_.Stop();
    }

    bool GoOnline() override {
        const int before = view_->loads;
        view_->Session().Net().SetReachable(true);
        if (!view_->Session().NetConnect()) return false;
        return WaitForData(before);
    }

private:
    sim::SimTcpServer server_{device_};
};

int Probe(int argc, char** argv) {
    // The offscreen platform's notes on what it cannot do say nothing here.
    qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& text) {
            if (!text.startsWith(QLatin1String("This plugin does not support")))
                std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
        });
    platform::PrepareDisplay();
    QApplication qt(argc, argv);
    Runner runner;
    if (!runner.Start()) {
        std::fprintf(stderr, "the program did not load the simulated device's data\n");
        return 1;
    }
    // Idle: the link polls the device now and then.
    runner.Settle(1500);
    const Memory connected = OwnMemory();
    int shots = 0;
    for (const Shot& shot : Shots()) {
        Pose pose = shot.pose(runner);
        runner.Settle();
        if (pose.undo) pose.undo();
        runner.Settle();
        if (!runner.View().IsConnected()) runner.GoOnline();
        ++shots;
    }
    runner.Settle(1500);
    const Memory windows = OwnMemory();
    std::printf("connected_rss_kb=%ld connected_peak_kb=%ld windows_rss_kb=%ld windows_peak_kb=%ld "
                "shots=%d\n",
                connected.rssKb, connected.peakKb, windows.rssKb, windows.peakKb, shots);
    std::fflush(stdout);
    runner.Stop();
    return 0;
}

struct ProbeResult {
    Memory connected, windows;
    int shots = 0;
    bool ok = false;
};

ProbeResult RunProbe(const std::string& self, const std::string& configDir) {
    const std::string text = selfprobe::Run(self, configDir, true);
    ProbeResult r;
    r.ok = std::sscanf(text.c_str(),
                       "connected_rss_kb=%ld connected_peak_kb=%ld windows_rss_kb=%ld "
                       "windows_peak_kb=%ld shots=%d",
                       &r.connected.rssKb, &r.connected.peakKb, &r.windows.rssKb, &r.windows.peakKb,
                       &r.shots) == 5;
    return r;
}

std::string g_self;

void BM_ConnectedAndEveryWindow(benchmark::State& state) {
    const std::string dir = selfprobe::MakeConfigDir();
    if (dir.empty()) {
        state.SkipWithError("no temporary folder");
        return;
    }
    double connected = 0, connectedPeak = 0, windows = 0, windowsPeak = 0, shots = 0;
    for (auto _ : state) {
        const ProbeResult r = RunProbe(g_self, dir);
        if (!r.ok) {
            state.SkipWithError("the probe did not finish");
            break;
        }
        connected += r.connected.rssKb / 1024.0;
        connectedPeak += r.connected.peakKb / 1024.0;
        windows += r.windows.rssKb / 1024.0;
        windowsPeak += r.windows.peakKb / 1024.0;
        shots = r.shots;
    }
    const auto avg = [](double v) {
        return benchmark::Counter(v, benchmark::Counter::kAvgIterations);
    };
    state.counters["connected_mb"] = avg(connected);
    state.counters["connected_peak_mb"] = avg(connectedPeak);
    state.counters["windows_mb"] = avg(windows);
    state.counters["windows_peak_mb"] = avg(windowsPeak);
    state.counters["windows_more_mb"] = avg(windows - connected);
    state.counters["windows_opened"] = shots;
    selfprobe::RemoveConfigDir(dir);
}
BENCHMARK(BM_ConnectedAndEveryWindow)->Unit(benchmark::kSecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--probe") == 0) return Probe(argc, argv);
    g_self = selfprobe::SelfPath(argv[0]);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
