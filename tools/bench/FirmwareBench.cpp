// A whole firmware update against the simulated device: a 262,143-byte DSP
// image and a 64 KB controller part, over the HID double and over TCP on
// 127.0.0.1, with the program's own waits, from the first connection to
// the update's end reaching the view (WM_FIRMWARE_DONE).
//
// Counters: exchanges (the steps the device took), fixed_s (the waits the
// protocol fixes: the enter-boot burst, and over USB the device's restart
// as its boot loader), rtt_us (one request and its reply on the bare
// transport), floor_s = fixed + exchanges x 5 ms + one round trip (the
// protocol floor) and floor_ratio = time / floor; rtt_ratio compares the
// time with fixed + exchanges x round trip, what the steps cost beyond the
// transport itself.
#include "link/DeviceSession.h"
#include "link/LinkGlobals.h"
#include "model/KTV_Data.h"
#include "tests/link/UpdateFiles.h"
#include "tools/bench/LoopbackNet.h"
#include "tools/sim/Offline.h"
#include "tools/sim/SimDevice.h"
#include "tools/sim/SimServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <deque>
#include <functional>
#include <mutex>

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kControllerPartSize = 64 * 1024;
constexpr double kPacingMs = 5.0;

// The window's message queue, emptied by the benchmark's own loop.
class QueueNotify : public IViewNotify {
public:
    void Post(unsigned msg, WPARAM w, LPARAM l) override {
        std::lock_guard<std::mutex> lock(mutex_);
        posted_.push_back({msg, w, l});
    }
    LRESULT Send(unsigned, WPARAM, LPARAM) override { return 0; }
    bool Take(unsigned& msg, WPARAM& w, LPARAM& l) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (posted_.empty()) return false;
        msg = posted_.front().msg;
        w = posted_.front().w;
        l = posted_.front().l;
        posted_.pop_front();
        return true;
    }

private:
    struct M {
        unsigned msg;
        WPARAM w;
        LPARAM l;
    };
    std::mutex mutex_;
    std::deque<M> posted_;
};

class QuietHost : public ISessionHost {
public:
    void ShowLinkState(bool) override {}
    void ClearLinkDisplay(int) override {}
    void Say(const char* text, int) override { said = text; }
    void ShowTransfer(int) override {}
    void HideTransfer() override {}
    void ShowPresetTransfer() override {}
    void ShowFactoryTransfer() override {}
    void ResetTransferProgress(int, bool) override {}
    void PressConnectButton() override {}
    std::string said;
};

std::vector<uint8_t> StatusRequest() {
    std::vector<uint8_t> f = {0x6B, 0x6B, 0x6B, 0xEE, 0xA2, 1, 0, 9, 3, 0, 0, 0,
                              8,    0,    0,    0,    0,    0, 0, 0, 0, 0, 0, 0xAA};
    uint8_t x = 0;
    for (size_t i = 4; i < 22; ++i)
        x ^= f[i];
    f[22] = x;
    return f;
}

// One request and its reply on the bare transport, averaged; the request is
// a status read in a 65-byte block, as reports and firmware blocks go.
double RoundTripUs(const std::function<void(const uint8_t* block)>& exchange) {
    uint8_t block[65] = {};
    const auto frame = StatusRequest();
    std::copy(frame.begin(), frame.end(), block + 1);
    constexpr int n = 500;
    const auto start = Clock::now();
    for (int i = 0; i < n; ++i)
        exchange(block);
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / n;
}

double UsbRoundTripUs(sim::SimHidBackend& hid, const std::string& path) {
    HidOpenError error;
    auto dev = hid.Open(path, error);
    uint8_t in[64];
    return RoundTripUs([&](const uint8_t* block) {
        dev->Write(block, 65);
        dev->ReadTimeout(in, sizeof in, 1000);
    });
}

double TcpRoundTripUs(uint16_t port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) return 0;
    const int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    uint8_t in[512];
    const double us = RoundTripUs([&](const uint8_t* block) {
        send(fd, block, 65, MSG_NOSIGNAL);
        recv(fd, in, sizeof in, 0);
    });
    close(fd);
    return us;
}

void BM_FirmwareUpdate(benchmark::State& state) {
    const bool network = state.range(0) != 0;
    ResetDeviceAddress();
    sim::SimDevice device;
    sim::SimTcpServer server(device);
    sim::SimHidBackend hid;
    const std::string path = "/dev/hidraw0";
    if (network) {
        if (!server.Start(0)) {
            state.SkipWithError("the simulated device cannot listen on 127.0.0.1");
            return;
        }
        setenv("LUMARA_DEVICE_ADDRESS", ("127.0.0.1:" + std::to_string(server.Port())).c_str(), 1);
    } else {
        hid.Plug(path, &device);
    }
    const double rttUs = network ? TcpRoundTripUs(server.Port()) : UsbRoundTripUs(hid, path);

    char file[] = "/tmp/lumara-firmware-bench-XXXXXX";
    const int fd = mkstemp(file);
    close(fd);
    const auto part = ControllerPart(kControllerPartSize - 4);
    WriteFileBytes(file, FullUpdateFile(FirmwareBytes(kDspImageSize), &part));

    LoopbackAdapters adapters;
    LoopbackPinger pinger;
    CMemorySettingsGroup marks;
    LinkEnvironment env = sim::ToolEnvironment(hid, adapters, pinger);
    env.timings.closePause = 0;
    const FirmwareTimings& fw = env.timings.firmware;
    const double fixedS = network ? fw.netBurst / 1000.0 : (fw.usbBurst + fw.bootRestart) / 1000.0;
    CKTV_Data data;
    QueueNotify notify;
    QuietHost host;
    CDeviceSession session(
        data, marks, notify, [] {}, env);
    session.SetHost(&host);
    session.Attach();
    if (network) session.Net().SetReachable(true);

    double seconds = 0, exchanges = 0;
    for (auto _ : state) {
        const size_t stepsBefore = device.Firmware().steps.size();
        g_HexFilePath = file;
        if (!session.LoadUpdateFile()) {
            state.SkipWithError("the update file was refused");
            break;
        }
        session.DisconnectDevice();
        g_ConnectionKind = network ? kLinkNetwork : kLinkUsb;
        const auto start = Clock::now();
        if (!(network ? session.ConnectFirmwareNetwork() : session.ConnectFirmwareUsb(path))) {
            state.SkipWithError("no connection");
            break;
        }
        Clock::time_point done;
        bool finished = false;
        while (g_StateFlags[kFlagFirmwareMode].load()) {
            unsigned msg;
            WPARAM w;
            LPARAM l;
            while (notify.Take(msg, w, l)) {
                if (msg == WM_FIRMWARE_DONE && !finished) {
                    finished = true;
                    done = Clock::now();
                }
                session.OnMessage(msg, w, l);
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        if (!finished || host.said != "Update successfully") {
            state.SkipWithError("the update failed");
            break;
        }
        const double s = std::chrono::duration<double>(done - start).count();
        state.SetIterationTime(s);
        seconds += s;
        exchanges += static_cast<double>(device.Firmware().steps.size() - stepsBefore);
    }
    const double iterations =
        static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
    const double perRun = exchanges / iterations;
    const double floorS = fixedS + perRun * kPacingMs / 1000.0 + rttUs / 1e6;
    const double rttFloorS = fixedS + perRun * rttUs / 1e6;
    state.counters["exchanges"] = perRun;
    state.counters["fixed_s"] = fixedS;
    state.counters["rtt_us"] = rttUs;
    state.counters["floor_s"] = floorS;
    state.counters["floor_ratio"] = seconds / iterations / floorS;
    state.counters["rtt_ratio"] = seconds / iterations / rttFloorS;
    state.counters["per_step_us"] = (seconds / iterations - fixedS) * 1e6 / std::max(perRun, 1.0);
    session.Detach();
    server.Stop();
    unlink(file);
    unsetenv("LUMARA_DEVICE_ADDRESS");
}
BENCHMARK(BM_FirmwareUpdate)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("net")
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
