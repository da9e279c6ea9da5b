// The link against the simulated device, over TCP on 127.0.0.1 and over the
// in-process HID double: paced exchanges, one item write and its 'Q', and
// the read of a whole preset. The pacing floor is exchanges x 5 ms.
#include "tools/sim/SimDevice.h"
#include "tools/sim/SimServer.h"
#include "tools/bench/LoopbackNet.h"
#include "link/KTVCommand.h"
#include "link/LinkGlobals.h"
#include "link/LinkWorker.h"
#include "link/NetSocket.h"
#include "model/PacketPoller.h"
#include "link/UsbLink.h"
#include "model/DataDefine.h"
#include "model/FrameBuilder.h"
#include "model/Globals.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {

using Clock = std::chrono::steady_clock;

class CountingView : public IViewNotify {
public:
    void Post(unsigned msg, WPARAM, LPARAM) override { Count(msg); }
    LRESULT Send(unsigned msg, WPARAM, LPARAM) override {
        Count(msg);
        return 0;
    }
    int Of(unsigned msg) {
        std::lock_guard<std::mutex> lock(mutex_);
        return counts_[msg];
    }
    void WaitFor(unsigned msg, int count) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return counts_[msg] >= count; });
    }

private:
    void Count(unsigned msg) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ++counts_[msg];
        }
        changed_.notify_all();
    }
    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<unsigned, int> counts_;
};

// The model's poller: the status request, or while busy an item write on
// every pass, as while the user drags a control.
class BenchPoller : public IPacketPoller {
public:
    PacketPtr GetNextPacket() override {
        return busy ? BuildItemPacket(kGroupOutput, 3, 7) : BuildItemPacket(kGroupStatus, 0, 0);
    }
    bool busy = false;
};

// One link to the simulated device over the chosen transport.
struct Rig {
    explicit Rig(bool usbLink) : usbLink(usbLink) {
        InitParamModel();
        g_MainView = &view;
        cmd.SetNotifyWnd(&view);
        if (usbLink) {
            backend.Plug("/dev/hidraw-sim", &device);
            usb.OpenUsbDevice();
        } else {
            server.Start(0);
            g_DeviceIpAddress = "127.0.0.1";
            g_DevicePort = server.Port();
            net.SetReachable(true);
            net.Connect();
            g_ConnectionKind = 2;
            g_NetLinkUp = 1;
        }
        g_UsbLinkUp = 1;
    }
    ~Rig() {
        worker.StopIo(true);
        net.StopProbe(false);
        net.Close();
        usb.CloseHidDevice();
        server.Stop();
        g_MainView = nullptr;
        g_ConnectionKind = 0;
        g_UsbLinkUp = 0;
        g_NetLinkUp = 0;
    }
    void Exchange() { usbLink ? worker.UsbExchange() : worker.NetExchange(); }
    void WaitForFrames(size_t n) {
        while (device.FrameCount() < n)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    bool usbLink;
    sim::SimDevice device;
    sim::SimTcpServer server{device};
    sim::SimHidBackend backend;
    CMemorySettingsGroup marks;
    CUsbLink usb{backend, marks};
    LoopbackAdapters adapters;
    LoopbackPinger pinger;
    LinkTimings timings;
    CNet_Socket net{adapters, pinger, timings};
    CKTVCommand cmd;
    BenchPoller poller;
    CountingView view;
    CLinkWorker worker{cmd, usb, net, poller, timings};
};

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// The worker with a change to send on every step and its 5 ms pacing:
// exchanges per second and the time taken against the floor of 5 ms per exchange.
void BM_PacedExchanges(benchmark::State& state) {
    Rig rig(state.range(0) == 0);
    rig.poller.busy = true;
    rig.worker.StartIo();
    rig.WaitForFrames(5);
    long exchanges = 0;
    double elapsed = 0;
    for (auto _ : state) {
        const size_t before = rig.device.FrameCount();
        const auto start = Clock::now();
        std::this_thread::sleep_for(std::chrono::milliseconds(1000));
        const long done = static_cast<long>(rig.device.FrameCount() - before);
        const double s = Seconds(Clock::now() - start);
        state.SetIterationTime(s);
        exchanges += done;
        elapsed += s;
    }
    state.counters["exchanges_per_s"] = exchanges / elapsed;
    state.counters["x_floor"] = elapsed / (exchanges * rig.timings.pacing / 1000.0);
}
BENCHMARK(BM_PacedExchanges)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("net")
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

// One item write and its acknowledgement, without the pacing.
void BM_ItemWriteAck(benchmark::State& state) {
    Rig rig(state.range(0) == 0);
    for (auto _ : state) {
        rig.cmd.AddPacket(BuildItemPacket(kGroupOutput, 3, 7));
        rig.Exchange();
        if (rig.cmd.GetCount() != 0) state.SkipWithError("the item was not acknowledged");
    }
}
BENCHMARK(BM_ItemWriteAck)->Arg(0)->Arg(1)->ArgName("net")->Unit(benchmark::kMicrosecond);

// A whole preset read (4 music-input and 12 output blocks) by the paced worker.
void BM_PresetRead(benchmark::State& state) {
    Rig rig(state.range(0) == 0);
    rig.worker.StartIo();
    rig.WaitForFrames(2);
    int done = 0;
    double elapsed = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        {
            DeviceLockGuard lock(g_DeviceLock);
            for (int c = 0; c < kMusicInputCount; ++c)
                rig.cmd.AddPacket(BuildBlockReadPacket(0, kGroupMusic, c, 1, 1));
            for (int c = 0; c < kOutputCount; ++c)
                rig.cmd.AddPacket(BuildBlockReadPacket(0, kGroupOutput, c, 1, 1));
        }
        rig.view.WaitFor(WM_DEVICE_DATA_DONE, ++done);
        const double s = Seconds(Clock::now() - start);
        state.SetIterationTime(s);
        elapsed += s;
    }
    const double floor = (kMusicInputCount + kOutputCount) * rig.timings.pacing / 1000.0;
    state.counters["x_floor"] = elapsed / state.iterations() / floor;
}
BENCHMARK(BM_PresetRead)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("net")
    ->UseManualTime()
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond);

} // namespace
