// The program's resident memory while it runs against the simulated device on
// 127.0.0.1, on Qt's offscreen platform:
//   connected_mb   linked over TCP, the device's data loaded, then idle for a while;
//   windows_mb     after every page, dialog, message box and popup of the gallery
//                  has been opened once (and closed again), idle again;
//   windows_more_mb  the difference, the memory the windows leave behind.
// The *_peak_mb counters are the peak (VmHWM) up to that moment. Each
// iteration is a new process started with --probe; the simulated device runs
// inside it (its own memory is a few hundred kilobytes).
#include "app/DisplayDlg.h"
#include "app/LumaraApp.h"
#include "app/LumaraView.h"
#include "platform/Display.h"
#include "tools/bench/LoopbackNet.h"
#include "tools/screenshot/gallery/Gallery.h"
#include "tools/sim/SimDevice.h"
#include "tools/sim/SimServer.h"

#include <QApplication>
#include <QMenu>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

struct Memory {
    long rssKb = -1;
    long peakKb = -1;
};

Memory OwnMemory() {
    Memory m;
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) m.rssKb = std::atol(line.c_str() + 6);
        if (line.rfind("VmHWM:", 0) == 0) m.peakKb = std::atol(line.c_str() + 6);
    }
    return m;
}

// The program's view: it counts the loads of the device's data and hands a
// connection popup to the shot that asked for it.
class BenchView : public CLumaraView {
public:
    using CLumaraView::CLumaraView;
    LRESULT WindowProc(unsigned msg, WPARAM w, LPARAM l) override {
        const LRESULT result = CLumaraView::WindowProc(msg, w, l);
        if (msg == WM_DEVICE_DATA_DONE) ++loads;
        return result;
    }
    int TrackConnectPopup(QMenu& menu, const QPoint& at) override {
        if (!takePopup) return CLumaraView::TrackConnectPopup(menu, at);
        auto take = std::move(takePopup);
        takePopup = nullptr;
        take(menu, at);
        return 0;
    }
    int loads = 0;
    std::function<void(QMenu&, QPoint)> takePopup;
};

// The program as a user starts it, linked over TCP to the simulated device on
// 127.0.0.1 (loopback is the only adapter, the device answers its ping); the
// gallery's shots open its windows. Their USB side is a simulated one with
// nothing plugged unless a shot plugs something.
class Runner : public Gallery {
public:
    Runner() {
        app_.m_SettingsPath = settings_.filePath(QStringLiteral("lumara.ini"));
        app_.m_LinkEnvironment.hid = &hid_;
        app_.m_LinkEnvironment.adapters = &adapters_;
        app_.m_LinkEnvironment.pinger = &pinger_;
        app_.m_LinkEnvironment.watchHotplug = false;
        app_.m_LinkEnvironment.timings.closePause = 0;
        app_.m_ViewFactory = [this](CLumaraDoc& doc, QWidget* parent) {
            view_ = new BenchView(doc, app_.Settings(), app_.m_LinkEnvironment, parent);
            return view_;
        };
    }
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

    CLumaraApp& App() override { return app_; }
    CMainFrame& Frame() override { return *app_.MainFrame(); }
    CLumaraView& View() override { return *view_; }
    sim::SimHidBackend& Hid() override { return hid_; }
    sim::SimDevice* Device() override { return &device_; }
    std::string DevicePath() const override { return "/dev/hidraw-bench"; }

    bool GoOffline() override {
        if (view_->IsConnected()) view_->OnConnectButton();
        Settle();
        return !view_->IsConnected();
    }
    bool GoOnline() override {
        const int before = view_->loads;
        view_->Net().SetReachable(true);
        if (!view_->NetConnect()) return false;
        return WaitForData(before);
    }
    void OnNextConnectPopup(std::function<void(QMenu&, QPoint)> take) override {
        view_->takePopup = std::move(take);
    }

private:
    bool WaitForData(int loadsBefore) {
        const bool loaded = WaitFor(
            [&] {
                return view_->loads > loadsBefore && view_->IsConnected() && g_TransferDlg &&
                       !g_TransferDlg->isVisible();
            },
            20000);
        Settle(50);
        return loaded;
    }

    sim::SimDevice device_;
    sim::SimTcpServer server_{device_};
    sim::SimHidBackend hid_;
    LoopbackAdapters adapters_;
    LoopbackPinger pinger_;
    QTemporaryDir settings_;
    CLumaraApp app_;
    BenchView* view_ = nullptr;
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

ProbeResult RunProbe(const char* self, const std::string& configDir) {
    ProbeResult r;
    int out[2];
    if (pipe(out) != 0) return r;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("XDG_CONFIG_HOME", configDir.c_str(), 1);
    if (!getenv("XDG_RUNTIME_DIR")) setenv("XDG_RUNTIME_DIR", configDir.c_str(), 1);
    char* args[] = {const_cast<char*>(self), const_cast<char*>("--probe"), nullptr};
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, self, &actions, nullptr, args, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned == 0) {
        std::string text;
        char buf[256];
        ssize_t n;
        while ((n = read(out[0], buf, sizeof buf)) > 0)
            text.append(buf, static_cast<size_t>(n));
        int status = 0;
        waitpid(pid, &status, 0);
        r.ok = std::sscanf(text.c_str(),
                           "connected_rss_kb=%ld connected_peak_kb=%ld windows_rss_kb=%ld "
                           "windows_peak_kb=%ld shots=%d",
                           &r.connected.rssKb, &r.connected.peakKb, &r.windows.rssKb,
                           &r.windows.peakKb, &r.shots) == 5;
    }
    close(out[0]);
    return r;
}

std::string g_self;

void BM_ConnectedAndEveryWindow(benchmark::State& state) {
    char dir[] = "/tmp/lumara-bench-XXXXXX";
    if (!mkdtemp(dir)) {
        state.SkipWithError("no temporary folder");
        return;
    }
    double connected = 0, connectedPeak = 0, windows = 0, windowsPeak = 0, shots = 0;
    for (auto _ : state) {
        const ProbeResult r = RunProbe(g_self.c_str(), dir);
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
    std::system((std::string("rm -rf ") + dir).c_str());
}
BENCHMARK(BM_ConnectedAndEveryWindow)->Unit(benchmark::kSecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--probe") == 0) return Probe(argc, argv);
    char self[4096] = {};
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    g_self = n > 0 ? std::string(self, static_cast<size_t>(n)) : std::string(argv[0]);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
