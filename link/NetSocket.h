// The network side of the link: a TCP client to the device's network module
// with send and receive time-outs, and the reachability probe that every
// 500 ms asks whether the module can be reached (an adapter on its subnet
// and one answered ping).
#pragma once

#include "link/LinkTimings.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Receive results besides a byte count, numbered as the sockets layer of the
// program's first platform numbered them, which the firmware exchange keeps.
constexpr int kNetWouldBlock = 10035;
constexpr int kNetAborted = 10053;
constexpr int kNetReset = 10054;
constexpr int kNetTimedOut = 10060;
constexpr int kNetClosed = 10101; // orderly close by the peer

using CancelCheck = std::function<bool()>;

struct NetAdapter {
    std::string address; // dotted IPv4
    std::string mask;
};

class INetAdapters {
public:
    virtual ~INetAdapters() = default;
    // The first IPv4 address of every network interface, in list order.
    virtual std::vector<NetAdapter> List() = 0;
};

class IPinger {
public:
    virtual ~IPinger() = default;
    // True when one ping of the address is answered within timeoutMs.
    virtual bool Ping(const std::string& address, int timeoutMs, const CancelCheck& cancelled) = 0;
};

// getifaddrs.
class CSystemAdapters : public INetAdapters {
public:
    std::vector<NetAdapter> List() override;
};

// The system's "ping -c 1 -W 3 ADDRESS"; answered when its output shows a
// reply's "ttl=". A ping that has not ended in time is killed.
class CSystemPinger : public IPinger {
public:
    explicit CSystemPinger(std::string program = "ping") : program_(std::move(program)) {}
    bool Ping(const std::string& address, int timeoutMs, const CancelCheck& cancelled) override;

private:
    std::string program_;
};

// True when an adapter lies on the device's subnet: every octet whose mask
// octet is 255 matches the device address, and the mask has one at least.
bool AdapterReachesDevice(const NetAdapter& adapter, const std::string& device);

class CNet_Socket;

// The probe thread: a timer that runs one probe step of its owner per tick
// while it runs. Ticks that fall due during a long step are coalesced.
class CPing_Net_Thread {
public:
    explicit CPing_Net_Thread(const LinkTimings& timings);
    ~CPing_Net_Thread();
    void SetOwner(CNet_Socket* owner);
    void StartTimer(int ms);
    // Stops the ticks and waits for a running step to finish.
    void StopTimer();
    // Ends the thread.
    void Quit();
    bool IsRunning() const { return running_.load(); }
    // Sleeps ms while the timer runs; false when it was stopped meanwhile.
    bool SleepWhileRunning(int ms);

private:
    void Run();

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    CNet_Socket* owner_ = nullptr;
    std::atomic<bool> running_{false};
    std::atomic<bool> busy_{false};
    bool quit_ = false;
    int intervalMs_ = 500;
    std::thread thread_;
};

class CNet_Socket {
public:
    CNet_Socket(INetAdapters& adapters, IPinger& pinger, const LinkTimings& timings);
    ~CNet_Socket();
    CNet_Socket(const CNet_Socket&) = delete;
    CNet_Socket& operator=(const CNet_Socket&) = delete;

    // Connects to g_DeviceIpAddress:g_DevicePort, only while the module
    // counts as reachable and answers a ping now.
    bool Connect(const CancelCheck& cancelled = {});
    // Closes the connection; closing a closed socket does nothing.
    bool Close();
    // Gives up the open connection without closing it (-1 when none is
    // open); the caller closes it with CloseReleased.
    int ReleaseSocket();
    static void CloseReleased(int fd);
    bool IsOpen() const;
    // Sends the whole buffer; false on failure.
    bool Send(const uint8_t* bytes, int length);
    // One receive of at most 400 bytes into g_NetRxBuffer (16 for the short
    // one). Returns the count, or kNetTimedOut when nothing arrived within
    // the receive time-out, kNetClosed when the peer closed the connection,
    // kNetReset / kNetAborted, or 0 for another failure; count gets the byte
    // count or -1.
    int Receive(int& count, const CancelCheck& cancelled = {});
    int ReceiveShort(int& count, const CancelCheck& cancelled = {});
    // False (and the socket closed) when there is no socket to set it on.
    bool SetReceiveTimeout(int ms);

    bool IsDeviceOnLocalSubnet();
    bool Ping(const CancelCheck& cancelled = {});
    // One probe step; running is the probe's running flag.
    int WatchLink(const std::atomic<bool>& running);
    void StartProbe();
    // Stops the probe's ticks; without keep also ends its thread.
    void StopProbe(bool keep);

    bool IsReachable() const { return reachable_.load(); }
    // The probe runs its steps now (it rests while a network link is up).
    bool IsProbeTicking() const { return probe_.IsRunning(); }
    void SetReachable(bool on) { reachable_ = on; }

private:
    int ReceiveInto(uint8_t* buffer, int capacity, int& count, const CancelCheck& cancelled);

    INetAdapters& adapters_;
    IPinger& pinger_;
    const LinkTimings timings_;
    mutable std::mutex socketMutex_;
    int fd_ = -1;
    std::atomic<bool> reachable_{false};
    std::atomic<int> receiveTimeout_;
    CPing_Net_Thread probe_;
};
