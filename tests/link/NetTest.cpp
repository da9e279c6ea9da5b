// The TCP transport, the device address, the subnet test, ping and the
// reachability probe. Traffic goes to 127.0.0.1 only.
#include "tests/link/LinkTestSupport.h"

#include "tools/sim/SimDevice.h"
#include "tools/sim/SimServer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sys/stat.h>

namespace {

class NetTest : public ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        ResetLinkGlobals();
        g_MainView = &view;
        ASSERT_TRUE(server.Start(0));
        g_DeviceIpAddress = "127.0.0.1";
        g_DevicePort = server.Port();
    }
    void TearDown() override {
        net.StopProbe(false);
        server.Stop();
        ResetLinkGlobals();
        ModelTest::TearDown();
    }

    sim::SimDevice device;
    sim::SimTcpServer server{device};
    AdaptersDouble adapters;
    PingerDouble pinger;
    CNet_Socket net{adapters, pinger, FastTimings()};
    RecordingView view;
};

TEST(DeviceAddress, HostOrHostAndPort) {
    struct Case {
        const char* text;
        bool ok;
        const char* host;
        int port;
    } cases[] = {
        {"127.0.0.1", true, "127.0.0.1", 8899},
        {"127.0.0.1:9000", true, "127.0.0.1", 9000},
        {"localhost:1234", true, "127.0.0.1", 1234},
        {"127.0.0.1:", false, "", 0},
        {":8899", false, "", 0},
        {"127.0.0.1:0", false, "", 0},
        {"127.0.0.1:70000", false, "", 0},
        {"127.0.0.1:12a", false, "", 0},
        {"-c9", false, "", 0},
        {"", false, "", 0},
    };
    for (const Case& c : cases) {
        DeviceEndpoint ep{"unchanged", 1};
        EXPECT_EQ(ParseDeviceAddress(c.text, ep), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(ep.host, c.host) << c.text;
            EXPECT_EQ(ep.port, c.port) << c.text;
        } else {
            EXPECT_EQ(ep.host, "unchanged") << c.text;
        }
    }
}

TEST(DeviceAddress, TheEnvironmentReplacesTheFactoryAddress) {
    unsetenv("LUMARA_DEVICE_ADDRESS");
    ResetDeviceAddress();
    EXPECT_EQ(g_DeviceIpAddress, g_DefaultDeviceAddress);
    EXPECT_EQ(g_DevicePort.load(), 8899);
    setenv("LUMARA_DEVICE_ADDRESS", "127.0.0.1:4242", 1);
    ResetDeviceAddress();
    EXPECT_EQ(g_DeviceIpAddress, "127.0.0.1");
    EXPECT_EQ(g_DevicePort.load(), 4242);
    setenv("LUMARA_DEVICE_ADDRESS", "not an address:", 1);
    ResetDeviceAddress();
    EXPECT_EQ(g_DeviceIpAddress, g_DefaultDeviceAddress);
    unsetenv("LUMARA_DEVICE_ADDRESS");
}

TEST(Subnet, OctetsUnderFullMaskBytesMustMatch) {
    struct Case {
        NetAdapter adapter;
        const char* device;
        bool passes;
    } cases[] = {
        {{"198.51.100.7", "255.255.255.0"}, "198.51.100.254", true},
        {{"198.51.100.7", "255.255.255.0"}, "198.51.101.254", false},
        {{"198.51.100.7", "255.255.0.0"}, "198.51.101.254", true},
        {{"198.51.100.7", "255.255.254.0"},
         "198.51.101.254",
         true}, // partial mask bytes are not compared
        {{"198.51.100.7", "0.0.0.0"}, "198.51.100.254", false},
        {{"127.0.0.1", "255.0.0.0"}, "127.0.0.1", true},
        {{"garbage", "255.255.255.0"}, "198.51.100.254", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AdapterReachesDevice(c.adapter, c.device), c.passes)
            << c.adapter.address << "/" << c.adapter.mask << " " << c.device;
}

TEST(Subnet, TheSystemListsTheLoopbackAdapter) {
    CSystemAdapters adapters;
    bool loopback = false;
    for (const NetAdapter& a : adapters.List())
        loopback = loopback || AdapterReachesDevice(a, "127.0.0.1");
    EXPECT_TRUE(loopback);
}

// ---------------------------------------------------------------------------
// The system's ping, played by small scripts (no packet leaves the machine)
// ---------------------------------------------------------------------------

class PingTest : public ::testing::Test {
protected:
    std::string Script(const std::string& body) {
        const std::string path = dir_ + "/ping-" + std::to_string(counter_++);
        std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
        chmod(path.c_str(), 0755);
        return path;
    }
    void SetUp() override {
        char tmpl[] = "/tmp/lumara-ping-XXXXXX";
        dir_ = mkdtemp(tmpl);
    }
    void TearDown() override { std::system(("rm -rf " + dir_).c_str()); }
    std::string dir_;
    int counter_ = 0;
};

TEST_F(PingTest, AnAnswerShowsItsTtl) {
    const std::string args = dir_ + "/args";
    CSystemPinger answering(
        Script("echo \"$@\" > " + args +
               "\necho '64 bytes from 127.0.0.1: icmp_seq=1 ttl=64 time=0.05 ms'"));
    EXPECT_TRUE(answering.Ping("127.0.0.1", 3000, {}));
    std::string line;
    std::getline(std::ifstream(args), line);
    EXPECT_EQ(line, "-c 1 -W 3 127.0.0.1");
    CSystemPinger unreachable(
        Script("echo 'From 127.0.0.1 icmp_seq=1 Destination Host Unreachable'; exit 1"));
    EXPECT_FALSE(unreachable.Ping("127.0.0.1", 3000, {}));
    CSystemPinger missing(dir_ + "/no-such-ping");
    EXPECT_FALSE(missing.Ping("127.0.0.1", 3000, {}));
    EXPECT_FALSE(answering.Ping("-f", 3000, {})) << "an address never becomes an option";
}

TEST_F(PingTest, APingThatDoesNotEndInTimeIsKilled) {
    CSystemPinger hanging(Script("echo 'ttl=64'; exec sleep 30"));
    const auto before = std::chrono::steady_clock::now();
    EXPECT_FALSE(hanging.Ping("127.0.0.1", 200, {}));
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(10));
    std::atomic<bool> cancel{false};
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        cancel = true;
    });
    EXPECT_FALSE(hanging.Ping("127.0.0.1", 30000, [&] { return cancel.load(); }));
    stopper.join();
}

// ---------------------------------------------------------------------------
// Socket
// ---------------------------------------------------------------------------

TEST_F(NetTest, ConnectAndExchange) {
    net.SetReachable(true);
    ASSERT_TRUE(net.Connect());
    EXPECT_EQ(pinger.lastAddress, "127.0.0.1");
    auto request = BuildSystemReadPacket(4, 0);
    ASSERT_TRUE(net.Send(request->GetData(), request->GetLength()));
    std::vector<uint8_t> reply;
    while (reply.size() < 11 + 16) {
        int count = 0;
        ASSERT_GT(net.Receive(count), 0);
        reply.insert(reply.end(), g_NetRxBuffer.Get(), g_NetRxBuffer.Get() + count);
    }
    EXPECT_EQ(std::string(reply.begin() + 14, reply.begin() + 25), "VELK-FV1.00");
}

TEST_F(NetTest, ConnectNeedsAReachableModuleAndAnAnsweredPing) {
    EXPECT_FALSE(net.Connect()) << "not reachable";
    net.SetReachable(true);
    pinger.answers = false;
    EXPECT_FALSE(net.Connect()) << "no answer to the ping";
    EXPECT_EQ(server.Connections(), 0);
    pinger.answers = true;
    g_DevicePort = 1; // nothing listens there
    EXPECT_FALSE(net.Connect());
    EXPECT_FALSE(net.IsOpen());
}

TEST_F(NetTest, ReceiveTellsTimeOutFromAClosedConnection) {
    net.SetReachable(true);
    ASSERT_TRUE(net.Connect());
    int count = 0;
    EXPECT_EQ(net.Receive(count), kNetTimedOut);
    EXPECT_EQ(count, -1);
    // The module closes the connection at the next frame it gets.
    device.DropConnectionNext();
    auto request = BuildSystemReadPacket(2, 0);
    ASSERT_TRUE(net.Send(request->GetData(), request->GetLength()));
    EXPECT_EQ(net.Receive(count), kNetClosed);
}

TEST_F(NetTest, CloseTwiceIsHarmless) {
    net.SetReachable(true);
    ASSERT_TRUE(net.Connect());
    EXPECT_TRUE(net.Close());
    EXPECT_TRUE(net.Close());
    EXPECT_FALSE(net.IsOpen());
    EXPECT_FALSE(net.Send(reinterpret_cast<const uint8_t*>("x"), 1));
    int count = 0;
    EXPECT_EQ(net.Receive(count), kNetClosed);
    EXPECT_FALSE(net.SetReceiveTimeout(100));
}

// ---------------------------------------------------------------------------
// Probe
// ---------------------------------------------------------------------------

TEST_F(NetTest, ProbeStepWithoutTheModulesSubnetPingsNothing) {
    adapters.Set({{"203.0.113.3", "255.255.255.0"}});
    net.SetReachable(true);
    std::atomic<bool> running{true};
    EXPECT_EQ(net.WatchLink(running), 0);
    EXPECT_FALSE(net.IsReachable());
    EXPECT_EQ(pinger.calls.load(), 0);
    EXPECT_EQ(view.Count(WM_NET_REACHABLE), 0);
}

TEST_F(NetTest, ProbeStepReportsAReachableModuleOnce) {
    std::atomic<bool> running{true};
    pinger.answers = false;
    EXPECT_EQ(net.WatchLink(running), 0);
    EXPECT_EQ(view.Count(WM_NET_REACHABLE), 0);
    pinger.answers = true;
    EXPECT_EQ(net.WatchLink(running), 1);
    EXPECT_EQ(net.WatchLink(running), 1);
    EXPECT_EQ(pinger.calls.load(), 2) << "once reachable, no further ping";
    EXPECT_EQ(view.Count(WM_NET_REACHABLE), 1);
}

// The view connects when it hears of the module, and connecting asks for
// the reachable flag: it must already be set then.
TEST_F(NetTest, TheModuleCountsAsReachableBeforeTheViewHearsOfIt) {
    struct Checking : IViewNotify {
        CNet_Socket* net = nullptr;
        int reachableAtPost = -1;
        void Post(unsigned msg, WPARAM, LPARAM) override {
            if (msg == WM_NET_REACHABLE) reachableAtPost = net->IsReachable() ? 1 : 0;
        }
        LRESULT Send(unsigned, WPARAM, LPARAM) override { return 0; }
    } checking;
    checking.net = &net;
    IViewNotify* previous = g_MainView.exchange(&checking);
    std::atomic<bool> running{true};
    EXPECT_EQ(net.WatchLink(running), 1);
    g_MainView = previous;
    EXPECT_EQ(checking.reachableAtPost, 1);
}

TEST_F(NetTest, AfterAFirmwareUpdateTheFirstAnswerClearsItsFlag) {
    g_FirmwareUpdateEnded = 1;
    std::atomic<bool> running{true};
    EXPECT_EQ(net.WatchLink(running), 1);
    EXPECT_EQ(g_FirmwareUpdateEnded.load(), 0);
    EXPECT_EQ(view.Count(WM_NET_REACHABLE), 1);
}

TEST_F(NetTest, TheProbeRunsOnItsTimerUntilStopped) {
    net.StartProbe();
    ASSERT_TRUE(view.WaitFor(WM_NET_REACHABLE));
    EXPECT_TRUE(Eventually([&] { return net.IsReachable(); }));
    net.StopProbe(true);
    net.SetReachable(false);
    pinger.answers = false;
    const int calls = pinger.calls.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    EXPECT_EQ(pinger.calls.load(), calls) << "no ticks while stopped";
    net.StartProbe(); // the thread was kept
    EXPECT_TRUE(Eventually([&] { return pinger.calls.load() > calls; }));
}

} // namespace
