// The simulated device's network module: one TCP connection at a time on
// 127.0.0.1 only, and its USB side as an in-process HID backend that
// behaves like hidapi (65-byte writes with the report id first, 64-byte
// reads without it).
#pragma once

#include "tools/sim/SimDevice.h"
#include "link/HidTransport.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace sim {

class SimTcpServer {
public:
    // The name of the thread that serves the connection.
    static constexpr const char* kThreadName = "lumara-sim";

    explicit SimTcpServer(SimDevice& device);
    ~SimTcpServer();
    // Listens on 127.0.0.1:port (0: any free port); false when it cannot.
    bool Start(uint16_t port = 0);
    void Stop();
    uint16_t Port() const { return port_; }
    int Connections() const { return connections_.load(); }
    // Sends the device's answers in pieces of this many bytes (0: whole).
    void SetPieceSize(size_t bytes) { pieceSize_ = bytes; }

private:
    void Run();
    void Serve(int client);

    SimDevice& device_;
    int listenFd_ = -1;
    int wakeFd_ = -1;
    uint16_t port_ = 0;
    std::atomic<int> connections_{0};
    std::atomic<size_t> pieceSize_{0};
    std::thread thread_;
};

class SimHidBackend;

class SimHidDevice : public IHidDevice {
public:
    SimHidDevice(SimDevice& device, std::shared_ptr<std::atomic<bool>> present);
    int Write(const uint8_t* data, size_t length) override;
    int ReadTimeout(uint8_t* data, size_t length, int ms) override;
    int Writes() const { return writes_.load(); }

private:
    SimDevice& device_;
    std::shared_ptr<std::atomic<bool>> present_;
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<std::array<uint8_t, 64>> reports_;
    std::atomic<int> writes_{0};
    std::atomic<bool> failed_{false};
};

class SimHidBackend : public IHidBackend {
public:
    // A HID interface at path; vendor, product and release default to the DSP's.
    void Plug(const std::string& path, SimDevice* device, uint16_t vendor = 0x0483,
              uint16_t product = 0x5750, uint16_t release = 0x0200);
    // The interface disappears: its open handles fail from now on.
    void Unplug(const std::string& path);
    void DenyPermission(const std::string& path, bool deny = true);
    // The handle most recently opened on path (null when none).
    std::shared_ptr<SimHidDevice> LastOpened(const std::string& path);

    std::vector<HidDeviceInfo> Enumerate() override;
    std::shared_ptr<IHidDevice> Open(const std::string& path, HidOpenError& error) override;

private:
    struct Entry {
        HidDeviceInfo info;
        SimDevice* device = nullptr;
        bool denied = false;
        std::shared_ptr<std::atomic<bool>> present;
        std::shared_ptr<SimHidDevice> opened;
    };
    std::mutex mutex_;
    std::vector<Entry> entries_;
};

} // namespace sim
