// The device session without a window, as its tests drive it: a host that
// records what the session asks it to show, the window's message queue that
// the test pumps, and the simulated device behind the HID double and on
// 127.0.0.1, with short link timings.
#pragma once

#include "link/DeviceSession.h"

#include "link/LinkGlobals.h"
#include "model/KTV_Data.h"
#include "model/ModelLock.h"
#include "tests/link/LinkTestSupport.h"
#include "tests/link/SimFrames.h"
#include "tools/sim/SimDevice.h"
#include "tools/sim/SimServer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// What the session asked its host to show, in order.
class HostDouble : public ISessionHost {
public:
    void ShowLinkState(bool connected) override {
        calls.push_back(connected ? "link up" : "link down");
    }
    void ClearLinkDisplay(int kind) override { calls.push_back("clear " + std::to_string(kind)); }
    void Say(const char* text, int ms) override {
        said.push_back(text);
        calls.push_back("say " + std::to_string(ms));
    }
    void ShowTransfer(int modal) override { calls.push_back("transfer " + std::to_string(modal)); }
    void HideTransfer() override { calls.push_back("hide transfer"); }
    void ShowFactoryTransfer() override { calls.push_back("factory transfer"); }
    void ShowPresetTransfer() override { calls.push_back("preset transfer"); }
    void ResetTransferProgress(int count, bool viewBar) override {
        calls.push_back("progress " + std::to_string(count) + (viewBar ? " view" : ""));
    }
    void PressConnectButton() override { calls.push_back("connect button"); }
    bool AskToSendUnsentChanges() override {
        calls.push_back("ask");
        return ask ? ask() : false;
    }

    std::function<bool()> ask; // the user's answer (none: take the device's data)
    std::vector<std::string> calls;
    std::vector<std::string> said;
};

// The window's message queue: posts wait here until the test pumps them.
class QueueNotify : public IViewNotify {
public:
    void Post(unsigned msg, WPARAM w, LPARAM l) override {
        std::lock_guard<std::mutex> lock(mutex_);
        posted_.push_back({msg, w, l, false});
    }
    // Sends arrive through the relay on the test's thread.
    LRESULT Send(unsigned msg, WPARAM w, LPARAM l) override {
        seen.push_back({msg, w, l, true});
        return 0;
    }
    bool Take(Message& m) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (posted_.empty()) return false;
        m = posted_.front();
        posted_.pop_front();
        return true;
    }
    std::vector<Message> seen; // what the session left to the window

private:
    std::mutex mutex_;
    std::deque<Message> posted_;
};

class SessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetModelState();
        ResetLinkGlobals();
        data = std::make_unique<CKTV_Data>();
        env.hid = &hid;
        env.adapters = &adapters;
        env.pinger = &pinger;
        env.watchHotplug = false;
        LinkTimings t = FastTimings();
        t.usbRead = 2000;
        t.replyLimit = 2000;
        t.netReceiveTimeout = 1000;
        t.netReplyLimit = 2000;
        t.closePause = 0;
        t.viewReconnectPause = 0;
        env.timings = t;
        adapters.Set({});
        pinger.answers = false;
    }
    void TearDown() override {
        session.reset();
        server.Stop();
        unsetenv("LUMARA_DEVICE_ADDRESS");
        ResetLinkGlobals();
    }
    void MakeSession() {
        session = std::make_unique<CDeviceSession>(
            *data, marks, notify, [] {}, env);
        session->SetHost(&host);
        session->Attach();
    }
    // The device behind the HID double.
    void PlugUsb() { hid.Plug("/dev/hidraw3", &device); }
    // The device's network module on 127.0.0.1, found by an answered ping.
    void OfferNetwork() {
        ASSERT_TRUE(server.Start(0));
        const std::string address = "127.0.0.1:" + std::to_string(server.Port());
        setenv("LUMARA_DEVICE_ADDRESS", address.c_str(), 1);
        adapters.Set({{"127.0.0.1", "255.0.0.0"}});
        pinger.answers = true;
    }

    // Hands the waiting messages to the session, as the window's loop does;
    // a whole preset from the device is loaded as the window loads it.
    void Pump() {
        session->DrainRelay();
        Message m;
        while (notify.Take(m)) {
            if (session->OnMessage(m.msg, m.w, m.l)) continue;
            notify.seen.push_back(m);
            // The window's answer to the poller's name check: the name goes out once.
            if (m.msg == WM_PRESET_NAME_CUSTOM) g_SendCmd0Pending = 1;
            if (m.msg == WM_DEVICE_DATA_DONE) {
                WithDeviceLock([&] { data->LoadFromImage(g_ParamImage, static_cast<int>(m.w)); });
                g_DeviceSynced = 1;
                g_TransferRunning = 0;
                session->ForgetUnsentChanges();
            }
        }
    }
    bool PumpUntil(const std::function<bool()>& done, int ms = 10000) {
        return Eventually(
            [&] {
                Pump();
                return done();
            },
            ms);
    }
    int Count(unsigned msg) const {
        int n = 0;
        for (const Message& m : notify.seen)
            n += m.msg == msg;
        return n;
    }
    bool DataLoaded() const {
        return Count(WM_DEVICE_DATA_DONE) >= 1 && g_DeviceSynced.load() != 0;
    }
    void ConnectUsb() {
        PlugUsb();
        MakeSession();
        session->FirstConnect();
        ASSERT_TRUE(PumpUntil([&] { return DataLoaded(); }));
    }
    std::vector<sim::SeenFrame> Taken(size_t since = 0) const {
        auto seen = device.Seen();
        seen.erase(seen.begin(), seen.begin() + static_cast<long>(std::min(since, seen.size())));
        return WithoutStatus(seen);
    }

    std::unique_ptr<CKTV_Data> data;
    sim::SimDevice device;
    sim::SimHidBackend hid;
    sim::SimTcpServer server{device};
    AdaptersDouble adapters;
    PingerDouble pinger;
    CMemorySettingsGroup marks;
    LinkEnvironment env;
    HostDouble host;
    QueueNotify notify;
    std::unique_ptr<CDeviceSession> session;
};
