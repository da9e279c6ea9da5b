// Finding the device among the HID interfaces, devices held by other copies
// of the program, hot-plug, and the report layout against hidapi's.
#include "tests/link/LinkTestSupport.h"

#include "tools/sim/SimDevice.h"
#include "tools/sim/SimServer.h"
#include "link/LinkWorker.h"
#include "link/UsbLink.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

// What the view does on hot-plug, recorded.
class HostDouble : public IUsbHost {
public:
    bool IsConnected() override { return connected; }
    bool ConnectUsbPath(const std::string& path) override {
        calls.push_back("connect " + path);
        return true;
    }
    void CloseLinkOnDeviceRemoval() override { calls.push_back("close"); }
    void ShowUsbFailureUnlessUpdating() override { calls.push_back("failure"); }
    bool connected = false;
    std::vector<std::string> calls;
};

// A mark left by a copy of the program that has ended.
std::string DeadCopysMark() {
    const pid_t child = fork();
    if (child == 0) _exit(0);
    int status = 0;
    waitpid(child, &status, 0);
    return std::to_string(child) + ":12345";
}

// A mark of another copy that still runs (the process that started the tests).
std::string LiveCopysMark() {
    return std::to_string(getppid());
}

class DiscoveryTest : public ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        ResetLinkGlobals();
        usb.SetHost(&host);
    }
    void TearDown() override {
        ResetLinkGlobals();
        ModelTest::TearDown();
    }

    sim::SimDevice first, second;
    sim::SimHidBackend backend;
    CMemorySettingsGroup marks;
    CUsbLink usb{backend, marks};
    HostDouble host;
};

TEST_F(DiscoveryTest, OnlyTheDspsInterfacesAreListed) {
    backend.Plug("/dev/hidraw0", nullptr, 0x046D, 0xC52B, 0x1200); // a keyboard receiver
    backend.Plug("/dev/hidraw1", &first);
    backend.Plug("/dev/hidraw2", &second, 0x0483, 0x5750, 0x0100); // another release
    backend.Plug("/dev/hidraw3", &second, 0x0483, 0x5751, 0x0200);
    EXPECT_EQ(usb.EnumerateUsbDevices(), 1);
    EXPECT_THAT(g_UsbDevicePaths, ElementsAre("/dev/hidraw1"));
}

TEST_F(DiscoveryTest, OneDeviceIsOpenedAndMarked) {
    backend.Plug("/dev/hidraw1", &first);
    ASSERT_TRUE(usb.OpenUsbDevice());
    EXPECT_EQ(g_UsbDevicePath, "/dev/hidraw1");
    EXPECT_EQ(g_ConnectionKind.load(), 1);
    EXPECT_EQ(g_UsbLinkUp.load(), 1);
    EXPECT_TRUE(usb.IsOpen());
    EXPECT_EQ(marks.Value("/dev/hidraw1"), OwnProcessMark());
    usb.UnmarkUsbDevice();
    EXPECT_THAT(marks.Keys(), IsEmpty());
}

TEST_F(DiscoveryTest, TwoCopiesShareTwoDevices) {
    backend.Plug("/dev/hidraw1", &first);
    backend.Plug("/dev/hidraw2", &second);
    marks.SetValue("/dev/hidraw1", LiveCopysMark());
    ASSERT_TRUE(usb.OpenUsbDevice());
    EXPECT_EQ(g_UsbDevicePath, "/dev/hidraw2");
    // Letting its own device go leaves the other copy's mark alone.
    usb.UnmarkUsbDevice();
    g_UsbDevicePath = "/dev/hidraw1";
    usb.UnmarkUsbDevice();
    EXPECT_THAT(marks.Keys(), ElementsAre("/dev/hidraw1"));
}

TEST_F(DiscoveryTest, TwoCopiesAndOneDevice) {
    backend.Plug("/dev/hidraw1", &first);
    marks.SetValue("/dev/hidraw1", LiveCopysMark());
    EXPECT_FALSE(usb.ChooseUsbDevice());
    EXPECT_FALSE(usb.OpenUsbDevice());
    EXPECT_TRUE(g_UsbDevicePath.empty());
    EXPECT_EQ(g_ConnectionKind.load(), 0);
    EXPECT_FALSE(usb.IsOpen());
}

TEST_F(DiscoveryTest, ADeadCopysMarkDoesNotBlockTheDevice) {
    backend.Plug("/dev/hidraw1", &first);
    for (const std::string& mark :
         {DeadCopysMark(), std::string("0"), std::string("garbage"),
          std::to_string(getpid()) + ":1"}) { // our pid, but another start
        marks.SetValue("/dev/hidraw1", mark);
        EXPECT_TRUE(usb.IsUsbPathFree("/dev/hidraw1")) << mark;
    }
    ASSERT_TRUE(usb.OpenUsbDevice());
    EXPECT_EQ(marks.Value("/dev/hidraw1"), OwnProcessMark());
    EXPECT_FALSE(usb.IsUsbPathFree("/dev/hidraw1"));
}

TEST_F(DiscoveryTest, NoDeviceAtAllDropsEveryMark) {
    marks.SetValue("/dev/hidraw7", LiveCopysMark());
    EXPECT_EQ(usb.EnumerateUsbDevices(), 0);
    EXPECT_THAT(marks.Keys(), IsEmpty());
}

TEST_F(DiscoveryTest, APermissionProblemIsSaidInWords) {
    backend.Plug("/dev/hidraw1", &first);
    backend.DenyPermission("/dev/hidraw1");
    EXPECT_FALSE(usb.OpenUsbDevice());
    EXPECT_EQ(usb.LastOpenError(), HidOpenError::Permission);
    EXPECT_THAT(usb.UsbFailureText(), ::testing::HasSubstr("permission"));
    g_LanguageFlag = 1;
    EXPECT_STREQ(usb.UsbFailureText(), g_UsbPermissionText.cn);
    backend.DenyPermission("/dev/hidraw1", false);
    ASSERT_TRUE(usb.OpenUsbDevice());
    EXPECT_STREQ(usb.UsbFailureText(), g_UsbFailText.cn);
}

TEST_F(DiscoveryTest, ReportsKeepTheirIdAgainstHidapisLayout) {
    backend.Plug("/dev/hidraw1", &first);
    ASSERT_TRUE(usb.OpenUsbDevice());
    auto packet = ToSendData(BuildSystemReadPacket(4, 0));
    uint8_t report[kHidReportSize];
    ASSERT_EQ(packet->NextChunk(report), 1);
    ASSERT_EQ(usb.WriteReport(report), kHidReportSize);
    uint8_t in[kHidReportSize];
    std::fill(std::begin(in), std::end(in), 0xFF);
    ASSERT_EQ(usb.ReadReport(in, 100), kHidDataSize);
    // Report id at 0, the reply's sync from byte 1 on.
    EXPECT_EQ(Bytes(in, 6), Hex("00 6B 6B 6B EE 53"));
    EXPECT_EQ(in[9], 4) << "the record number is echoed";
    EXPECT_EQ(usb.ReadReport(in, 0), 0);
}

// ---------------------------------------------------------------------------
// Hot-plug
// ---------------------------------------------------------------------------

TEST_F(DiscoveryTest, ArrivalConnectsOnlyWhenIdleAndMatching) {
    backend.Plug("/dev/hidraw1", &first);
    backend.Plug("/dev/hidraw0", nullptr, 0x046D, 0xC52B, 0x1200);
    usb.OnDeviceChange({HotplugEvent::Arrival, "/dev/hidraw0"});
    EXPECT_THAT(host.calls, IsEmpty());
    g_StateFlags[kFlagUpdateRetryRunning] = 1; // the firmware update dialog is retrying
    usb.OnDeviceChange({HotplugEvent::Arrival, "/dev/hidraw1"});
    EXPECT_THAT(host.calls, IsEmpty());
    g_StateFlags[kFlagUpdateRetryRunning] = 0;
    host.connected = true;
    usb.OnDeviceChange({HotplugEvent::Arrival, "/dev/hidraw1"});
    EXPECT_THAT(host.calls, IsEmpty());
    host.connected = false;
    usb.OnDeviceChange({HotplugEvent::Arrival, "/dev/hidraw1"});
    EXPECT_THAT(host.calls, ElementsAre("connect /dev/hidraw1"));
}

TEST_F(DiscoveryTest, RemovingAnUnrelatedDeviceKeepsTheLink) {
    backend.Plug("/dev/hidraw0", nullptr, 0x046D, 0xC52B, 0x1200);
    backend.Plug("/dev/hidraw1", &first);
    backend.Plug("/dev/hidraw2", &second);
    ASSERT_TRUE(usb.OpenUsbDevice());
    host.connected = true;
    const std::string linked = g_UsbDevicePath;
    const std::string other = linked == "/dev/hidraw1" ? "/dev/hidraw2" : "/dev/hidraw1";

    // A worker exchanging with the device the whole time.
    AdaptersDouble adapters;
    PingerDouble pinger;
    CNet_Socket net(adapters, pinger, FastTimings());
    CKTVCommand cmd;
    PollerDouble poller;
    RecordingView view;
    g_MainView = &view;
    cmd.SetNotifyWnd(&view);
    CLinkWorker worker(cmd, usb, net, poller, FastTimings());
    worker.StartIo();
    ASSERT_TRUE(view.WaitFor(WM_DEVICE_STATUS));

    backend.Unplug("/dev/hidraw0");
    usb.OnDeviceChange({HotplugEvent::Removal, "/dev/hidraw0"});
    backend.Unplug(other);
    usb.OnDeviceChange({HotplugEvent::Removal, other});
    EXPECT_THAT(g_UsbDevicePaths, ElementsAre(linked));
    EXPECT_TRUE(usb.IsOpen());
    EXPECT_EQ(g_UsbLinkUp.load(), 1);
    sim::SimDevice& device = linked == "/dev/hidraw1" ? first : second;
    const size_t before = device.FrameCount();
    EXPECT_TRUE(Eventually([&] { return device.FrameCount() >= before + 3; }));
    EXPECT_EQ(view.Count(WM_LINK_LOST), 0);
    EXPECT_THAT(host.calls, IsEmpty());
    worker.StopIo(true);
    net.StopProbe(false);
}

TEST_F(DiscoveryTest, RemovingTheLinkedDevice) {
    struct Case {
        int firmwareCode;
        std::vector<std::string> calls;
        bool pathKept;
    } cases[] = {
        {0, {"close", "failure"}, false},
        {54, {}, true},  // restarting into its boot loader during an update
        {255, {}, true}, // the boot-entry burst
    };
    for (const Case& c : cases) {
        ResetLinkGlobals();
        host.calls.clear();
        backend.Plug("/dev/hidraw1", &first);
        ASSERT_TRUE(usb.OpenUsbDevice());
        host.connected = true;
        g_LastFirmwareCode = c.firmwareCode;
        backend.Unplug("/dev/hidraw1");
        usb.OnDeviceChange({HotplugEvent::Removal, "/DEV/HIDRAW1"});
        EXPECT_EQ(host.calls, c.calls) << c.firmwareCode;
        EXPECT_EQ(g_UsbDevicePath.empty(), !c.pathKept) << c.firmwareCode;
        EXPECT_EQ(g_UsbLinkUp.load(), c.firmwareCode == 255 ? 1 : 0) << c.firmwareCode;
        if (!c.pathKept) {
            EXPECT_THAT(marks.Keys(), IsEmpty());
        }
        usb.CloseHidDevice();
        marks.Clear();
    }
}

TEST_F(DiscoveryTest, HotplugEventsReachTheLinkThroughTheMonitor) {
    backend.Plug("/dev/hidraw1", &first);
    CUdevMonitor monitor([this](const HotplugEvent& e) { usb.OnDeviceChange(e); });
    // No udev daemon runs here: the monitor may or may not start, and stops at once either way.
    const bool started = monitor.Start();
    monitor.Deliver({HotplugEvent::Arrival, "/dev/hidraw1"});
    EXPECT_THAT(host.calls, ElementsAre("connect /dev/hidraw1"));
    const auto before = std::chrono::steady_clock::now();
    monitor.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(2)) << started;
}

} // namespace
