// The program against the simulated device on 127.0.0.1, for the benchmarks
// and the screenshot tools: settings in a temporary folder, no USB device,
// loopback as the only network adapter, a ping that always answers. The
// view (any CLumaraView class) connects only when told, and stamps the
// moment the device's data is complete.
#pragma once

#include "tools/bench/LoopbackNet.h"
#include "tools/sim/SimDevice.h"
#include "tools/sim/SimServer.h"
#include "app/LumaraApp.h"
#include "app/LumaraView.h"
#include "link/HidTransport.h"
#include "model/FrameBuilder.h"
#include "model/ModelLock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

class NoHid : public IHidBackend {
public:
    std::vector<HidDeviceInfo> Enumerate() override { return {}; }
    std::shared_ptr<IHidDevice> Open(const std::string&, HidOpenError& error) override {
        error = HidOpenError::NotFound;
        return nullptr;
    }
};

template <class View = CLumaraView> class ProgramOnSim {
public:
    using Clock = std::chrono::steady_clock;

    class SimView : public View {
    public:
        using View::View;
        LRESULT WindowProc(unsigned msg, WPARAM w, LPARAM l) override {
            if (msg == WM_FIRST_CONNECT) return 0; // the bench connects by itself
            if (msg == WM_DEVICE_STATUS) ++statusMessages;
            if (msg == WM_DEVICE_DATA_DONE && !done) {
                done = true;
                doneAt = Clock::now();
                if (device) framesAtDone = device->FrameCount();
            }
            return View::WindowProc(msg, w, l);
        }
        bool done = false;
        Clock::time_point doneAt;
        const sim::SimDevice* device = nullptr;
        size_t framesAtDone = 0; // frames the device had taken when the data was complete
        int statusMessages = 0;  // the device's status reports that reached the view
    };

    // Starts the simulated device and the program; false (with the reason
    // in error) when either cannot.
    bool Start() {
        if (!server.Start(0)) return Fail("the simulated device cannot listen on 127.0.0.1");
        const std::string address = "127.0.0.1:" + std::to_string(server.Port());
        setenv("LUMARA_DEVICE_ADDRESS", address.c_str(), 1);
        app.m_SettingsPath = settings.filePath(QStringLiteral("lumara.ini"));
        app.m_LinkEnvironment.adapters = &adapters;
        app.m_LinkEnvironment.pinger = &pinger;
        app.m_LinkEnvironment.hid = &hid;
        app.m_LinkEnvironment.watchHotplug = false;
        app.m_LinkEnvironment.timings.closePause = 0;
        app.m_ViewFactory = [this](CLumaraDoc& doc, QWidget* parent) {
            view = new SimView(doc, app.Settings(), app.m_LinkEnvironment, parent);
            view->device = &device;
            return view;
        };
        if (!app.InitInstance({})) return Fail("the program did not start");
        return true;
    }
    // Connects over the network and waits until the device's data is shown
    // and the transfer window has gone (at most ms).
    bool Connect(int ms = 10000) {
        view->done = false;
        view->Session().Net().SetReachable(true);
        if (!view->Session().NetConnect()) return Fail("no connection");
        QElapsedTimer t;
        t.start();
        while (!view->done && t.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        if (!view->done) return Fail("the device's data did not arrive");
        while (!view->isEnabled() && t.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return view->isEnabled() || Fail("the window stayed disabled");
    }
    // One exchange of the link (a request, its reply and the pause after
    // it), timed over n status requests queued back to back, in ms.
    double ExchangeMs(int n = 200) {
        const size_t first = device.FrameCount();
        const auto start = Clock::now();
        {
            DeviceLockGuard lock(g_DeviceLock);
            for (int i = 0; i < n; ++i)
                view->Session().Command().AddPacket(BuildItemPacket(kGroupStatus, 0, 0));
        }
        while (device.FrameCount() < first + static_cast<size_t>(n)) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return std::chrono::duration<double, std::milli>(Clock::now() - start).count() / n;
    }
    ~ProgramOnSim() {
        // Closes the link as the connect button does, so that the next
        // program of this process connects again.
        if (view && view->IsConnected()) view->OnConnectButton();
        app.ExitInstance();
        server.Stop();
        unsetenv("LUMARA_DEVICE_ADDRESS");
    }

    sim::SimDevice device;
    sim::SimTcpServer server{device};
    QTemporaryDir settings;
    LoopbackAdapters adapters;
    LoopbackPinger pinger;
    NoHid hid;
    CLumaraApp app;
    SimView* view = nullptr;
    std::string error;

private:
    bool Fail(const char* why) {
        error = why;
        return false;
    }
};
