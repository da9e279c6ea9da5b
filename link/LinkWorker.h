// The link worker: one thread per main view that, each time its normal-step
// event is set, runs one exchange with the device (write the queue's head,
// or ask the poller for the next change, then read until the reply is in),
// over USB HID or TCP. With nothing to send it asks for the device's status
// on every other step. Failures reach the view only as WM_LINK_LOST.
#pragma once

#include "link/KTVCommand.h"
#include "link/LinkEvents.h"
#include "link/LinkTimings.h"
#include "link/NetSocket.h"
#include "model/PacketPoller.h"
#include "link/UsbLink.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// The firmware update's exchanges, run instead of the normal ones while
// firmware mode is on.
class IFirmwareExchange {
public:
    virtual ~IFirmwareExchange() = default;
    virtual void UsbFirmwareExchange() = 0;
    virtual void NetFirmwareExchange() = 0;
};

class CLinkWorker {
public:
    // A packet goes out this many times at most before the link counts as lost.
    static constexpr int kMaxSends = 2;

    CLinkWorker(CKTVCommand& command, CUsbLink& usb, CNet_Socket& net, IPacketPoller& poller,
                const LinkTimings& timings = LinkTimings());
    ~CLinkWorker();
    CLinkWorker(const CLinkWorker&) = delete;
    CLinkWorker& operator=(const CLinkWorker&) = delete;

    void SetFirmwareExchange(IFirmwareExchange* firmware) { firmware_ = firmware; }
    // Run by StopIo on the calling (UI) thread while it waits for the worker:
    // delivers what the worker is sending to the view meanwhile.
    void SetWaitPump(std::function<void()> pump) { pump_ = std::move(pump); }

    // Creates the worker thread suspended; alive 1, awake 0.
    void StartLinkWorker();
    void ResumeWorker();
    // Starts a worker (and its first step) unless one runs; then the link is up.
    void StartIo(int unused = 0);
    // Ends the worker; with release also resets the link state and restarts
    // the network probe.
    void StopIo(bool release);
    bool HasWorker() const { return thread_.joinable(); }
    bool IsAlive() const { return alive_.load() != 0; }
    bool IsAwake() const { return awake_.load() != 0; }

    // The view's connected flag.
    bool IsConnected() const { return connected_.load() != 0; }
    void SetConnected(bool on) { connected_ = on ? 1 : 0; }

    CLinkEvents& Events() { return events_; }

    // One exchange of each kind (run by the worker; public for the firmware
    // update and for tests).
    void UsbExchange();
    int UsbWritePacket();
    int UsbReadReply();
    void NetExchange();
    int NetSendPacket();
    int NetReceiveReply();

private:
    void LinkWorker();
    void WaitForResume();
    // The head to write, polling the model for one when the queue is empty;
    // null on an idle step that asks nothing.
    CSendData* TakeHead();
    // Reads one report within ms, looking at the end event in between:
    // 64 a report, 0 time-out, -1 failure, -2 the worker is ending or the link went down.
    int ReadReportWithin(int ms);
    void NetReconnect();
    long long MsSinceExchangeStart() const;
    bool Ending() const { return events_.EndRequested(); }

    CKTVCommand& command_;
    CUsbLink& usb_;
    CNet_Socket& net_;
    IPacketPoller& poller_;
    const LinkTimings timings_;
    IFirmwareExchange* firmware_ = nullptr;
    std::function<void()> pump_;

    CLinkEvents events_;
    std::thread thread_;
    std::atomic<int> alive_{0};
    std::atomic<int> awake_{1};
    std::atomic<int> connected_{0};
    std::mutex resumeMutex_;
    std::condition_variable resumed_;
    bool resumeRequested_ = false;
    std::chrono::steady_clock::time_point exchangeStart_;
    // The last step sent a status request the poller gave.
    bool statusAskedLast_ GUARDED_BY(g_DeviceLock) = false;
};
