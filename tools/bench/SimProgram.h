// The program against the simulated device on 127.0.0.1, for the benchmarks
// that run the whole program offscreen: the device and its server, the
// settings in a temporary folder, and doubles so that the program finds the
// device only over loopback (no USB device, loopback the only adapter, the
// ping always answered).
#pragma once

#include "app/LumaraApp.h"
#include "tools/bench/LoopbackNet.h"
#include "tools/sim/SimDevice.h"
#include "tools/sim/SimServer.h"

#include <QTemporaryDir>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

class NoHid : public IHidBackend {
public:
    std::vector<HidDeviceInfo> Enumerate() override { return {}; }
    std::shared_ptr<IHidDevice> Open(const std::string&, HidOpenError& error) override {
        error = HidOpenError::NotFound;
        return nullptr;
    }
};

struct SimProgram {
    sim::SimDevice device;
    sim::SimTcpServer server{device};
    QTemporaryDir settings;
    LoopbackAdapters adapters;
    LoopbackPinger pinger;
    NoHid hid;

    // Starts the device's server and points the program at it; false when it
    // cannot listen.
    bool Prepare(CLumaraApp& app) {
        if (!server.Start(0)) return false;
        const std::string address = "127.0.0.1:" + std::to_string(server.Port());
        setenv("LUMARA_DEVICE_ADDRESS", address.c_str(), 1);
        app.m_SettingsPath = settings.filePath(QStringLiteral("lumara.ini"));
        app.m_LinkEnvironment.adapters = &adapters;
        app.m_LinkEnvironment.pinger = &pinger;
        app.m_LinkEnvironment.hid = &hid;
        app.m_LinkEnvironment.watchHotplug = false;
        return true;
    }
    ~SimProgram() {
        server.Stop();
        unsetenv("LUMARA_DEVICE_ADDRESS");
    }
};
