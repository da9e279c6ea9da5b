#include "link/LinkWorker.h"

#include "model/FrameBuilder.h"
#include "model/Globals.h"
#include "model/Notify.h"
#include "model/ThreadRole.h"
#include "link/LinkGlobals.h"

#include <algorithm>

CLinkWorker::CLinkWorker(CKTVCommand& command, CUsbLink& usb, CNet_Socket& net,
                         IPacketPoller& poller, const LinkTimings& timings)
    : command_(command), usb_(usb), net_(net), poller_(poller), timings_(timings) {}

CLinkWorker::~CLinkWorker() {
    if (thread_.joinable()) StopIo(false);
}

// ---------------------------------------------------------------------------
// Life cycle
// ---------------------------------------------------------------------------

void CLinkWorker::StartLinkWorker() {
    events_.ResetAll();
    {
        std::lock_guard<std::mutex> lock(resumeMutex_);
        resumeRequested_ = false;
    }
    alive_ = 1;
    awake_ = 0;
    thread_ = std::thread([this] {
        // From here until it ends, the worker's buffers are its own.
        thread_role::EnterLinkWorker();
        WaitForResume();
        LinkWorker();
        thread_role::LeaveLinkWorker();
    });
}

void CLinkWorker::WaitForResume() {
    std::unique_lock<std::mutex> lock(resumeMutex_);
    resumed_.wait(lock, [this] { return resumeRequested_; });
    resumeRequested_ = false;
}

void CLinkWorker::ResumeWorker() {
    if (!thread_.joinable() || awake_.load()) return;
    {
        std::lock_guard<std::mutex> lock(resumeMutex_);
        resumeRequested_ = true;
    }
    resumed_.notify_all();
}

void CLinkWorker::StartIo(int) {
    g_DeviceAbnormal = 0;
    if (!thread_.joinable()) {
        StartLinkWorker();
        events_.Set(g_StateFlags[kFlagFirmwareMode].load() ? CLinkEvents::kFirmwareStep
                                                           : CLinkEvents::kNormalStep);
        g_UsbLinkUp = 1;
        connected_ = 1;
        ResumeWorker();
        return;
    }
    g_UsbLinkUp = 1;
    connected_ = 1;
}

void CLinkWorker::StopIo(bool release) {
    if (thread_.joinable()) {
        events_.Set(CLinkEvents::kEnd);
        // A suspended worker wakes and finds the end event first.
        {
            std::lock_guard<std::mutex> lock(resumeMutex_);
            resumeRequested_ = true;
        }
        resumed_.notify_all();
        // The worker may be waiting for this thread to take a message it
        // sends to the view: keep delivering them while waiting.
        while (alive_.load()) {
            if (pump_) pump_();
            std::unique_lock<std::mutex> lock(resumeMutex_);
            resumed_.wait_for(lock, std::chrono::milliseconds(timings_.stopPoll),
                              [this] { return !alive_.load(); });
        }
        thread_.join();
        if (pump_) pump_();
    }
    if (!release) return;
    alive_ = 0;
    awake_ = 1;
    events_.ResetAll();
    g_UsbLinkUp = 0;
    connected_ = 0;
    net_.StartProbe();
}

void CLinkWorker::LinkWorker() {
    alive_ = 1;
    awake_ = 1;
    for (;;) {
        switch (events_.WaitAny(timings_.workerWait)) {
        case CLinkEvents::kEnd: {
            std::lock_guard<std::mutex> lock(resumeMutex_);
            alive_ = 0;
            resumed_.notify_all();
            return;
        }
        case CLinkEvents::kSuspend:
            awake_ = 0;
            WaitForResume();
            awake_ = 1;
            break;
        case CLinkEvents::kFirmwareStep:
            if (g_FirmwareUpdateEnded.load() || !firmware_) {
                events_.Reset(CLinkEvents::kFirmwareStep);
            } else if (g_ConnectionKind.load() == 1) {
                if (g_UsbLinkUp.load())
                    firmware_->UsbFirmwareExchange();
                else
                    events_.SleepUnlessEnded(timings_.linkDownSleep);
            } else if (g_ConnectionKind.load() == 2 && g_NetLinkUp.load()) {
                firmware_->NetFirmwareExchange();
            } else {
                events_.SleepUnlessEnded(timings_.linkDownSleep);
            }
            break;
        case CLinkEvents::kNormalStep:
            if (g_UpdateTipOff.load() || g_DeviceAbnormal.load()) {
                events_.Reset(CLinkEvents::kNormalStep);
                break;
            }
            if (g_ConnectionKind.load() == 1) {
                UsbExchange();
            } else if (g_ConnectionKind.load() == 2) {
                if (g_NetLinkUp.load())
                    NetExchange();
                else
                    events_.SleepUnlessEnded(timings_.linkDownSleep);
            }
            events_.SleepUnlessEnded(timings_.pacing);
            break;
        default:
            break;
        }
    }
}

long long CLinkWorker::MsSinceExchangeStart() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 exchangeStart_)
        .count();
}

CSendData* CLinkWorker::TakeHead() {
    // Under the lock: the UI thread appends to the queue meanwhile. A polled
    // packet goes out in this same step, so an edit costs one exchange.
    DeviceLockGuard lock(g_DeviceLock);
    if (CSendData* head = command_.GetHead()) {
        statusAskedLast_ = false;
        return head;
    }
    PacketPtr polled = poller_.GetNextPacket();
    const bool status = polled && IsStatusRequest(*polled);
    if (status && statusAskedLast_) {
        // Nothing to send: the device is asked for its status every other
        // step only, which halves its load while nothing happens. The step
        // between sends nothing, so a change made meanwhile leaves at once.
        statusAskedLast_ = false;
        return nullptr;
    }
    statusAskedLast_ = status;
    command_.AddPacket(std::move(polled));
    return command_.GetHead();
}

// ---------------------------------------------------------------------------
// USB
// ---------------------------------------------------------------------------

void CLinkWorker::UsbExchange() {
    exchangeStart_ = std::chrono::steady_clock::now();
    if (UsbWritePacket()) UsbReadReply();
}

int CLinkWorker::UsbWritePacket() {
    if (!usb_.IsOpen()) {
        if (usb_.OpenHidDevice()) {
            command_.RewindHead();
        } else {
            PostToView(WM_LINK_LOST);
            events_.SleepUnlessEnded(timings_.linkDownSleep);
        }
        return 0;
    }
    if (!g_UsbLinkUp.load()) return 0;
    CSendData* head = TakeHead();
    if (!head) return 0;
    int sends;
    {
        DeviceLockGuard lock(g_DeviceLock);
        // A head whose whole frame went out without a reply taking it (a
        // repeat request, a reply that never came) goes out again from its
        // first report, a bounded number of times.
        if (head->GetChunk() >= head->GetLength()) head->RewindChunks();
        if (head->GetChunk() == 0) head->SetRetry(head->GetRetry() + 1);
        sends = head->GetRetry();
    }
    if (sends > kMaxSends) {
        if (sends == kMaxSends + 1) PostToView(WM_LINK_LOST);
        return 0;
    }
    for (;;) {
        if (!head->NextChunk(g_HidOutReport)) return 1;
        const int written = usb_.WriteReport(g_HidOutReport);
        if (!g_UsbLinkUp.load() || Ending()) return 0;
        if (written < 0) {
            // The device is gone or refuses reports: no reply will come.
            PostToView(WM_LINK_LOST);
            return 0;
        }
    }
}

int CLinkWorker::ReadReportWithin(int ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        const int slice = static_cast<int>(std::clamp<long long>(left, 0, timings_.waitSlice));
        const int n = usb_.ReadReport(g_HidInReport, slice);
        if (n != 0) return n > 0 ? n : -1;
        if (Ending() || !g_UsbLinkUp.load()) return -2;
        if (left <= 0) return 0;
    }
}

int CLinkWorker::UsbReadReply() {
    int longWait;
    {
        DeviceLockGuard lock(g_DeviceLock);
        CSendData* head = command_.GetHead();
        longWait = head ? head->GetLongWait() : 0;
    }
    const int perRead = longWait ? timings_.usbLongRead : timings_.usbRead;
    const int limit = longWait ? timings_.longReplyLimit : timings_.replyLimit;
    for (;;) {
        if (!g_UsbLinkUp.load()) return 0;
        const int n = ReadReportWithin(perRead);
        if (n == -2) return 0;
        if (n <= 0) {
            usb_.DiscardInput();
            if (g_UsbLinkUp.load()) PostToView(WM_LINK_LOST);
            return 0;
        }
        const int fed = command_.FeedUsbReport(kHidReportSize);
        if (fed == kFeedMore && MsSinceExchangeStart() > limit) {
            events_.SleepUnlessEnded(timings_.lateReplySleep);
            if (g_UsbLinkUp.load() && !Ending()) PostToView(WM_LINK_LOST);
            return 0;
        }
        // A repeat request ends the exchange too: the rewound head goes out
        // again at the next one.
        if (fed != kFeedMore) return 1;
    }
}

// ---------------------------------------------------------------------------
// Network
// ---------------------------------------------------------------------------

void CLinkWorker::NetExchange() {
    exchangeStart_ = std::chrono::steady_clock::now();
    if (NetSendPacket()) NetReceiveReply();
}

void CLinkWorker::NetReconnect() {
    net_.Close();
    if (events_.SleepUnlessEnded(timings_.netReconnectSleep))
        net_.Connect([this] { return Ending(); });
}

int CLinkWorker::NetSendPacket() {
    CSendData* head = TakeHead();
    if (!head) return 0;
    int sends;
    {
        DeviceLockGuard lock(g_DeviceLock);
        if (head->GetCommand() != 0) return 0; // the firmware exchange's
        head->SetRetry(head->GetRetry() + 1);
        sends = head->GetRetry();
        if (sends <= kMaxSends) head->RewindChunks();
    }
    if (sends > kMaxSends) {
        if (sends == kMaxSends + 1) {
            g_NetLinkUp = 0;
            PostToView(WM_LINK_LOST);
        }
        return 0;
    }
    if (!net_.Send(head->GetData(), head->GetLength())) {
        NetReconnect();
        return 0;
    }
    if (head->GetLongWait()) {
        // The device works on a long command without answering over the
        // network. The packet has gone out: it must not go out again.
        command_.RemoveHead();
        if (!events_.SleepUnlessEnded(timings_.longCommandWait)) return 0;
        g_TransferRunning = 0;
        if (!events_.SleepUnlessEnded(timings_.longCommandTail)) return 0;
        PostToView(WM_LONG_COMMAND_DONE, 0, 0);
        return 0;
    }
    return 1;
}

int CLinkWorker::NetReceiveReply() {
    for (;;) {
        int count = 0;
        net_.Receive(count, [this] { return Ending(); });
        if (Ending()) return 0;
        if (count <= 0) {
            // Nothing within the receive time-out, or the connection closed or
            // failed: connect again while the module's subnet is there.
            if (net_.IsDeviceOnLocalSubnet()) {
                NetReconnect();
                return 0;
            }
            g_NetLinkUp = 0;
            PostToView(WM_LINK_LOST, 0, 0);
            return 1;
        }
        if (command_.FeedNetBytes(count) != kFeedMore) return 1;
        if (MsSinceExchangeStart() >= timings_.netReplyLimit) {
            if (connected_.load()) {
                if (net_.IsDeviceOnLocalSubnet()) {
                    NetReconnect();
                } else {
                    g_NetLinkUp = 0;
                    PostToView(WM_LINK_LOST, 0, 2);
                }
            }
            return 0;
        }
    }
}
