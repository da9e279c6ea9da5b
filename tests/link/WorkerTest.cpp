// The link worker end to end: over the HID double and over TCP on
// 127.0.0.1, each against the simulated device.
#include "tests/link/LinkTestSupport.h"

#include "tools/sim/SimDevice.h"
#include "tools/sim/SimServer.h"
#include "link/LinkWorker.h"
#include "link/UsbLink.h"
#include "link/ViewRelay.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::Contains;

namespace {

enum class Transport { Usb, Net };

const char* const kDevicePath = "/dev/hidraw-sim0";

// A status word the worker stores, read under the lock it writes under.
int32_t StatusWord(int i) {
    return g_DeviceRecords.Status()[i];
}

bool IsStatusRequest(const sim::SeenFrame& f) {
    return f.command == kCmdRead && f.group == 9 && f.channel == 3;
}

class WorkerTest : public ModelTest, public ::testing::WithParamInterface<Transport> {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        ResetLinkGlobals();
        g_MainView = &view;
        cmd.SetNotifyWnd(&view);
        backend.Plug(kDevicePath, &device);
        ASSERT_TRUE(server.Start(0));
        g_DeviceIpAddress = "127.0.0.1";
        g_DevicePort = server.Port();
    }
    void TearDown() override {
        if (worker) worker->StopIo(true);
        net.StopProbe(true);
        worker.reset();
        server.Stop();
        ResetLinkGlobals();
        ModelTest::TearDown();
    }

    // Opens the link of the test's transport and starts the worker.
    void Connect(const LinkTimings& t = FastTimings()) {
        OpenLink(t);
        worker->StartIo();
    }
    // Opens the link without a worker thread: the test runs the steps.
    void OpenLink(const LinkTimings& t = FastTimings()) {
        worker = std::make_unique<CLinkWorker>(cmd, usb, net, poller, t);
        if (GetParam() == Transport::Usb) {
            ASSERT_TRUE(usb.OpenUsbDevice());
            g_UsbLinkUp = 1;
        } else {
            net.SetReachable(true);
            ASSERT_TRUE(net.Connect());
            g_ConnectionKind = 2;
            g_NetLinkUp = 1;
        }
    }
    // One normal step as the worker's loop runs it (without the pause after it).
    void Step() { GetParam() == Transport::Usb ? worker->UsbExchange() : worker->NetExchange(); }

    // Frames of one kind the device has seen.
    size_t SeenCount(const std::function<bool(const sim::SeenFrame&)>& pred) {
        size_t n = 0;
        for (const auto& f : device.Seen())
            n += pred(f);
        return n;
    }

    sim::SimDevice device;
    sim::SimTcpServer server{device};
    sim::SimHidBackend backend;
    CMemorySettingsGroup marks;
    CUsbLink usb{backend, marks};
    AdaptersDouble adapters;
    PingerDouble pinger;
    CNet_Socket net{adapters, pinger, FastTimings()};
    CKTVCommand cmd;
    PollerDouble poller;
    RecordingView view;
    std::unique_ptr<CLinkWorker> worker;
};

// An item write of output 2, band 5, carrying recognisable bytes.
PacketPtr EditOfOutput2Band5() {
    const std::vector<uint8_t> band = Hex("E8 03 62 02 0E 00 00 00");
    std::copy(band.begin(), band.end(), OutputBlock(2) + 8 * 5);
    return BuildItemPacket(kGroupOutput, 2, 5);
}

std::vector<uint8_t> DeviceBand(const sim::SimDevice& device, int output, int item) {
    const auto image = device.Image();
    const size_t at = kOutputBlockOffset + kOutputBlockSize * static_cast<size_t>(output) +
                      8 * static_cast<size_t>(item);
    return std::vector<uint8_t>(image.begin() + static_cast<long>(at),
                                image.begin() + static_cast<long>(at + 8));
}

// ---------------------------------------------------------------------------
// Normal work
// ---------------------------------------------------------------------------

TEST_P(WorkerTest, IdleWorkerPollsTheStatus) {
    Connect();
    ASSERT_TRUE(Eventually([&] { return SeenCount(IsStatusRequest) >= 5; }));
    EXPECT_EQ(view.Count(WM_LINK_LOST), 0);
    EXPECT_EQ(StatusWord(2), 60) << "the device's first source volume";
    EXPECT_EQ(view.Count(WM_DEVICE_STATUS), 1) << "the device's status did not change";
}

TEST_P(WorkerTest, IdleStepsAskForTheStatusEveryOtherStepAndChangesLeaveAtOnce) {
    OpenLink();
    enum class Before { Nothing, ModelChanged, RecordQueued };
    const struct {
        Before before;
        const char* sent; // what the device receives in the step
    } steps[] = {
        {Before::Nothing, "status"},      {Before::Nothing, ""},
        {Before::Nothing, "status"},      {Before::Nothing, ""},
        {Before::Nothing, "status"},      {Before::ModelChanged, "item"}, // instead of a pause
        {Before::Nothing, "status"},      {Before::Nothing, ""},
        {Before::RecordQueued, "record"}, // instead of the status
        {Before::Nothing, "status"},      {Before::Nothing, ""},
    };
    int n = 0;
    for (const auto& step : steps) {
        SCOPED_TRACE(n++);
        if (step.before == Before::ModelChanged) poller.Yield(EditOfOutput2Band5());
        if (step.before == Before::RecordQueued) cmd.AddPacket(BuildSystemPacket(kRecordMaster, 0));
        const size_t before = device.FrameCount();
        Step();
        const auto seen = device.Seen();
        std::string sent;
        if (device.FrameCount() == before + 1)
            sent = IsStatusRequest(seen.back())           ? "status"
                   : seen.back().group == kGroupOutput    ? "item"
                   : seen.back().channel == kRecordMaster ? "record"
                                                          : "other";
        else if (device.FrameCount() != before)
            sent = "several";
        EXPECT_EQ(sent, step.sent);
        EXPECT_EQ(cmd.GetCount(), 0);
    }
    EXPECT_EQ(view.Count(WM_LINK_LOST), 0);
}

TEST_P(WorkerTest, AnEditReachesTheDeviceInTheNextExchange) {
    poller.Yield(EditOfOutput2Band5());
    Connect();
    ASSERT_TRUE(
        Eventually([&] { return DeviceBand(device, 2, 5) == Hex("E8 03 62 02 0E 00 00 00"); }));
    const auto seen = device.Seen();
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen[0].command, kCmdWrite) << "the first exchange carries the edit";
    EXPECT_EQ(seen[0].group, kGroupOutput);
    EXPECT_EQ(seen[0].item, 5);
    // The head is read under the queue's lock: the running worker removes it.
    EXPECT_TRUE(Eventually([&] {
        int headLength = 0;
        bool first = true;
        cmd.ForEachPacket([&](const CSendData& p) {
            if (first) headLength = p.GetLength();
            first = false;
        });
        return first || headLength == 24;
    }));
}

TEST_P(WorkerTest, AChangeMadeOnTheDeviceReachesTheView) {
    Connect();
    ASSERT_TRUE(view.WaitFor(WM_DEVICE_STATUS));
    device.TurnSource(3);
    device.TurnVolume(1, 44);
    EXPECT_TRUE(Eventually([] { return StatusWord(0) == 3 && StatusWord(3) == 44; }));
}

TEST_P(WorkerTest, APresetReadFillsTheImage) {
    device.SetImageBytes(kOutputBlockOffset + kOutputBlockSize * 11, {0xAB, 0xCD});
    device.SetImageBytes(kMusicBlockOffset + kMusicBlockSize * 2, {0x12});
    for (int c = 0; c < 4; ++c)
        cmd.AddPacket(BuildBlockReadPacket(0, kGroupMusic, c, 1, 1));
    for (int c = 0; c < 12; ++c)
        cmd.AddPacket(BuildBlockReadPacket(0, kGroupOutput, c, 1, 1));
    Connect();
    ASSERT_TRUE(view.WaitFor(WM_DEVICE_DATA_DONE));
    EXPECT_EQ(OutputBlock(11)[0], 0xAB);
    EXPECT_EQ(OutputBlock(11)[1], 0xCD);
    EXPECT_EQ(MusicInBlock(2)[0], 0x12);
    EXPECT_EQ(GetU16(OutputBlock(0) + 8 * 17), 1000) << "the device's band 17 frequency";
}

// ---------------------------------------------------------------------------
// Failures
// ---------------------------------------------------------------------------

TEST_P(WorkerTest, ASilentDeviceIsReportedLost) {
    device.SetSilent(true);
    Connect();
    EXPECT_TRUE(view.WaitFor(WM_LINK_LOST));
}

TEST_P(WorkerTest, ADeviceSendingGarbageIsReportedLost) {
    device.SetCorruptAll(true);
    Connect();
    EXPECT_TRUE(view.WaitFor(WM_LINK_LOST));
    EXPECT_EQ(view.Count(WM_DEVICE_STATUS), 0);
}

TEST_P(WorkerTest, ARepeatRequestSendsTheHeadAgainAtOnce) {
    // Waits far longer than the test may take: the exchange must end on the
    // repeat request itself, not on a time limit.
    LinkTimings t = FastTimings();
    t.usbRead = t.replyLimit = t.netReceiveTimeout = t.netReplyLimit = 60000;
    device.RepeatNext(1);
    poller.Yield(EditOfOutput2Band5());
    Connect(t);
    ASSERT_TRUE(
        Eventually([&] { return DeviceBand(device, 2, 5) == Hex("E8 03 62 02 0E 00 00 00"); }));
    const auto seen = device.Seen();
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen[0].payload, seen[1].payload);
    EXPECT_EQ(seen[1].item, 5);
    EXPECT_EQ(view.Count(WM_LINK_LOST), 0);
}

TEST_P(WorkerTest, RepeatRequestsWithoutEndAreReportedLost) {
    device.RepeatNext(1000);
    poller.Yield(EditOfOutput2Band5());
    Connect();
    ASSERT_TRUE(view.WaitFor(WM_LINK_LOST));
    EXPECT_EQ(SeenCount([](const sim::SeenFrame& f) { return f.group == kGroupOutput; }),
              static_cast<size_t>(CLinkWorker::kMaxSends));
}

TEST_P(WorkerTest, AnEmptyDataReplyStopsTheExchanges) {
    device.EmptyDataNext(1);
    Connect();
    ASSERT_TRUE(view.WaitFor(WM_DEVICE_ABNORMAL));
    EXPECT_EQ(g_DeviceAbnormal.load(), 1);
    const size_t frames = device.FrameCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(device.FrameCount(), frames);
}

// ---------------------------------------------------------------------------
// Stopping
// ---------------------------------------------------------------------------

TEST_P(WorkerTest, StopIoEndsASuspendedWorker) {
    Connect();
    worker->Events().Set(CLinkEvents::kSuspend);
    ASSERT_TRUE(Eventually([&] { return !worker->IsAwake(); }));
    worker->StopIo(true);
    EXPECT_FALSE(worker->HasWorker());
    EXPECT_FALSE(worker->IsConnected());
    EXPECT_EQ(g_UsbLinkUp.load(), 0);
}

TEST_P(WorkerTest, StopIoEndsEveryWaitPromptly) {
    // Real waits: a long-wait packet reads for 50 s over USB and sleeps 34 s
    // over the network. Stopping must not wait for them.
    device.SetSilent(true);
    auto longCommand = ToSendData(BuildSystemPacket(65, 0));
    longCommand->SetLongWait(1);
    cmd.AddPacket(std::move(longCommand));
    Connect(LinkTimings());
    ASSERT_TRUE(Eventually([&] { return device.FrameCount() >= 1; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    const auto before = std::chrono::steady_clock::now();
    worker->StopIo(true);
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(5));
    EXPECT_EQ(view.Count(WM_LINK_LOST), 0);
}

TEST_P(WorkerTest, StopIoWhileTheOutputMapIsBeingDelivered) {
    std::atomic<bool> sending{false};
    CViewRelay relay(view, [&] { sending = true; });
    cmd.SetNotifyWnd(&relay);
    cmd.AddPacket(BuildSystemReadPacket(6, 0));
    Connect();
    worker->SetWaitPump([&] { relay.Drain(); });
    // The worker now waits for this (UI) thread to take the first half of the map.
    ASSERT_TRUE(Eventually([&] { return sending.load(); }));
    worker->StopIo(true);
    EXPECT_THAT(view.All(), Contains(Sent(WM_OUTPUT_MAP, 0, 0)));
    cmd.SetNotifyWnd(&view);
}

// The report buffers are the worker's while it runs: another thread that
// touches them then ends a debug build; once it has stopped they are free.
TEST_P(WorkerTest, TheRunningWorkerOwnsItsBuffers) {
    if (!LUMARA_THREAD_CHECKS) GTEST_SKIP() << "thread checks are in debug builds only";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    Connect();
    ASSERT_TRUE(view.WaitFor(WM_DEVICE_STATUS));
    const char* const broken = "the link worker's buffer touched by another thread while it runs";
    EXPECT_DEATH(g_HidInReport[1] = 0, broken);
    EXPECT_DEATH(g_NetRxBuffer[0] = 0, broken);
    worker->StopIo(true);
    g_HidInReport[1] = 0;
    g_NetRxBuffer[0] = 0;
}

INSTANTIATE_TEST_SUITE_P(Transports, WorkerTest, ::testing::Values(Transport::Usb, Transport::Net),
                         [](const auto& info) {
                             return info.param == Transport::Usb ? "Usb" : "Net";
                         });

// ---------------------------------------------------------------------------
// USB only
// ---------------------------------------------------------------------------

class UsbWorkerTest : public WorkerTest {};

TEST_P(UsbWorkerTest, AHeadLeftUnansweredIsWrittenAgain) {
    LinkTimings t = FastTimings();
    t.usbRead = t.replyLimit = 60000;
    device.IgnoreNext(1);
    poller.Yield(EditOfOutput2Band5());
    Connect(t);
    ASSERT_TRUE(Eventually([&] { return device.FrameCount() >= 1; }));
    // The worker is stopped while it waits for the reply; the next worker
    // must write the head again rather than wait for a reply to nothing.
    worker->StopIo(false);
    worker->StartIo();
    ASSERT_TRUE(Eventually(
        [&] { return DeviceBand(device, 2, 5) == Hex("E8 03 62 02 0E 00 00 00"); }, 3000));
    EXPECT_EQ(view.Count(WM_LINK_LOST), 0);
}

TEST_P(UsbWorkerTest, AnUnpluggedDeviceIsReportedLost) {
    Connect();
    ASSERT_TRUE(view.WaitFor(WM_DEVICE_STATUS));
    backend.Unplug(kDevicePath);
    EXPECT_TRUE(view.WaitFor(WM_LINK_LOST));
}

INSTANTIATE_TEST_SUITE_P(Usb, UsbWorkerTest, ::testing::Values(Transport::Usb));

// ---------------------------------------------------------------------------
// Network only
// ---------------------------------------------------------------------------

class NetWorkerTest : public WorkerTest {};

TEST_P(NetWorkerTest, AClosedConnectionIsOpenedAgain) {
    Connect();
    ASSERT_TRUE(view.WaitFor(WM_DEVICE_STATUS));
    device.DropConnectionNext();
    ASSERT_TRUE(Eventually([&] { return server.Connections() == 2; }));
    const size_t before = SeenCount(IsStatusRequest);
    EXPECT_TRUE(Eventually([&] { return SeenCount(IsStatusRequest) >= before + 3; }));
    EXPECT_EQ(view.Count(WM_LINK_LOST), 0);
}

TEST_P(NetWorkerTest, ATimedOutReplyLeadsToAReconnect) {
    device.IgnoreNext(1);
    Connect();
    ASSERT_TRUE(view.WaitFor(WM_DEVICE_STATUS));
    EXPECT_EQ(server.Connections(), 2);
    EXPECT_EQ(view.Count(WM_LINK_LOST), 0);
}

TEST_P(NetWorkerTest, WithoutTheModulesSubnetTheLinkIsLost) {
    device.SetSilent(true);
    Connect();
    adapters.Set({{"203.0.113.3", "255.255.255.0"}});
    ASSERT_TRUE(view.WaitFor(WM_LINK_LOST));
    EXPECT_EQ(g_NetLinkUp.load(), 0);
    EXPECT_EQ(server.Connections(), 1) << "no reconnect attempt";
}

TEST_P(NetWorkerTest, ALongCommandGoesOutOnce) {
    auto longCommand = ToSendData(BuildSystemPacket(65, 0));
    longCommand->SetLongWait(1);
    cmd.AddPacket(std::move(longCommand));
    g_TransferRunning = 1;
    Connect();
    ASSERT_TRUE(view.WaitFor(WM_LONG_COMMAND_DONE));
    EXPECT_THAT(view.All(), Contains(Posted(WM_LONG_COMMAND_DONE, 0, 0)));
    EXPECT_EQ(g_TransferRunning.load(), 0);
    ASSERT_TRUE(Eventually([&] { return SeenCount(IsStatusRequest) >= 3; }));
    EXPECT_EQ(SeenCount([](const sim::SeenFrame& f) { return f.channel == 65; }), 1u);
}

INSTANTIATE_TEST_SUITE_P(Net, NetWorkerTest, ::testing::Values(Transport::Net));

} // namespace
