// Doubles and helpers of the link tests: a view that records what it is
// told, a poller, adapters and ping, short waits, and reply frames built
// here from the reply layout.
#pragma once

#include "link/KTVCommand.h"
#include "link/LinkGlobals.h"
#include "link/LinkTimings.h"
#include "link/NetSocket.h"
#include "model/PacketPoller.h"
#include "model/FrameBuilder.h"
#include "model/Notify.h"
#include "tests/model/ModelFixture.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

struct Message {
    unsigned msg;
    WPARAM w;
    LPARAM l;
    bool sent;
    bool operator==(const Message& o) const {
        return msg == o.msg && w == o.w && l == o.l && sent == o.sent;
    }
};

inline std::ostream& operator<<(std::ostream& os, const Message& m) {
    return os << "WM_USER+" << (m.msg - WM_USER) << "(" << m.w << "," << m.l
              << (m.sent ? ",sent)" : ")");
}

inline Message Posted(unsigned msg, WPARAM w = 0, LPARAM l = 0) {
    return {msg, w, l, false};
}
inline Message Sent(unsigned msg, WPARAM w = 0, LPARAM l = 0) {
    return {msg, w, l, true};
}

// The main view as the tests see it: records every message, in order.
class RecordingView : public IViewNotify {
public:
    void Post(unsigned msg, WPARAM w, LPARAM l) override { Add({msg, w, l, false}); }
    LRESULT Send(unsigned msg, WPARAM w, LPARAM l) override {
        if (onSend) onSend(msg);
        Add({msg, w, l, true});
        return 0;
    }
    std::vector<Message> All() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return messages_;
    }
    int Count(unsigned msg) const {
        std::lock_guard<std::mutex> lock(mutex_);
        int n = 0;
        for (const Message& m : messages_)
            n += m.msg == msg;
        return n;
    }
    // Waits until count messages msg have arrived; false after the time limit.
    bool WaitFor(unsigned msg, int count = 1, int ms = 10000) const {
        std::unique_lock<std::mutex> lock(mutex_);
        return arrived_.wait_for(lock, std::chrono::milliseconds(ms), [&] {
            int n = 0;
            for (const Message& m : messages_)
                n += m.msg == msg;
            return n >= count;
        });
    }
    void Clear() {
        std::lock_guard<std::mutex> lock(mutex_);
        messages_.clear();
    }
    std::function<void(unsigned)> onSend;

private:
    void Add(const Message& m) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            messages_.push_back(m);
        }
        arrived_.notify_all();
    }
    mutable std::mutex mutex_;
    mutable std::condition_variable arrived_;
    std::vector<Message> messages_;
};

// The model's poller: hands out the packets given to it, then status requests.
class PollerDouble : public IPacketPoller {
public:
    PacketPtr GetNextPacket() override {
        std::lock_guard<std::mutex> lock(mutex_);
        ++calls;
        if (!pending_.empty()) {
            PacketPtr p = std::move(pending_.front());
            pending_.pop_front();
            return p;
        }
        return BuildItemPacket(kGroupStatus, 0, 0);
    }
    void Yield(PacketPtr p) {
        std::lock_guard<std::mutex> lock(mutex_);
        pending_.push_back(std::move(p));
    }
    std::atomic<int> calls{0};

private:
    std::mutex mutex_;
    std::deque<PacketPtr> pending_;
};

class AdaptersDouble : public INetAdapters {
public:
    std::vector<NetAdapter> List() override {
        std::lock_guard<std::mutex> lock(mutex_);
        return adapters;
    }
    void Set(std::vector<NetAdapter> list) {
        std::lock_guard<std::mutex> lock(mutex_);
        adapters = std::move(list);
    }

private:
    std::mutex mutex_;
    std::vector<NetAdapter> adapters{{"127.0.0.1", "255.0.0.0"}};
};

class PingerDouble : public IPinger {
public:
    bool Ping(const std::string& address, int, const CancelCheck&) override {
        ++calls;
        lastAddress = address;
        return answers.load();
    }
    std::atomic<bool> answers{true};
    std::atomic<int> calls{0};
    std::string lastAddress;
};

// Waits short enough that a failing link shows within a fraction of a second.
inline LinkTimings FastTimings() {
    LinkTimings t;
    t.workerWait = 200;
    t.usbRead = 300;
    t.usbLongRead = 600;
    t.replyLimit = 300;
    t.longReplyLimit = 600;
    t.netSendTimeout = 300;
    t.netReceiveTimeout = 200;
    t.netConnectTimeout = 500;
    t.netReconnectSleep = 20;
    t.netReplyLimit = 400;
    t.longCommandWait = 50;
    t.longCommandTail = 10;
    t.probeInterval = 20;
    t.pingTimeout = 500;
    t.probePause = 10;
    t.firmwareRestart = 30;
    return t;
}

// A reply frame from the sync bytes on:
// 6B 6B 6B EE code id slot group channel item 0 0 len(LE16) payload xor AA
inline std::vector<uint8_t> ReplyFrame(uint8_t code, int slot, int group, int channel, int item,
                                       const std::vector<uint8_t>& payload = {}) {
    std::vector<uint8_t> f = {0x6B,
                              0x6B,
                              0x6B,
                              0xEE,
                              code,
                              1,
                              static_cast<uint8_t>(slot),
                              static_cast<uint8_t>(group),
                              static_cast<uint8_t>(channel),
                              static_cast<uint8_t>(item),
                              0,
                              0,
                              static_cast<uint8_t>(payload.size() & 0xFF),
                              static_cast<uint8_t>(payload.size() >> 8)};
    f.insert(f.end(), payload.begin(), payload.end());
    uint8_t x = 0;
    for (size_t i = 4; i < f.size(); ++i)
        x ^= f[i];
    f.push_back(x);
    f.push_back(0xAA);
    return f;
}

inline std::vector<uint8_t> Ack() {
    return ReplyFrame('Q', 0, 4, 0, 5);
}
inline std::vector<uint8_t> Data(int slot, int group, int channel,
                                 const std::vector<uint8_t>& payload, int item = kReadAnyItem) {
    return ReplyFrame('S', slot, group, channel, item, payload);
}

inline std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

// Hands bytes to the engine as TCP reads of at most piece bytes; the first
// result that ends the exchange, else kFeedMore.
inline int FeedAsReads(CKTVCommand& cmd, const std::vector<uint8_t>& bytes,
                       size_t piece = kNetRxSize) {
    int result = kFeedMore;
    for (size_t at = 0; at < bytes.size(); at += piece) {
        const size_t n = std::min(piece, bytes.size() - at);
        std::copy_n(bytes.begin() + static_cast<long>(at), n, g_NetRxBuffer.Get());
        const int r = cmd.FeedNetBytes(static_cast<int>(n));
        if (result == kFeedMore) result = r;
    }
    return result;
}

// The same as 64-byte USB input reports (report id 0, zero padding).
inline int FeedAsReports(CKTVCommand& cmd, const std::vector<uint8_t>& bytes) {
    int result = kFeedMore;
    for (size_t at = 0; at < bytes.size(); at += kHidDataSize) {
        std::fill(std::begin(g_HidInReport), std::end(g_HidInReport), 0);
        const size_t n = std::min<size_t>(kHidDataSize, bytes.size() - at);
        std::copy_n(bytes.begin() + static_cast<long>(at), n, g_HidInReport + 1);
        const int r = cmd.FeedUsbReport(kHidReportSize);
        if (result == kFeedMore) result = r;
    }
    return result;
}

// Resets what the link shares with the rest of the program.
inline void ResetLinkGlobals() {
    g_UsbLinkUp = 0;
    g_NetLinkUp = 0;
    g_DeviceAbnormal = 0;
    g_TransferRunning = 0;
    g_FirmwareUpdateEnded = 0;
    g_UpdateTipOff = 0;
    g_LastFirmwareCode = 0;
    g_ReconnectCount = 0;
    g_ConnectionKind = 0;
    g_UsbDevicePath.clear();
    g_UsbDevicePaths.clear();
    g_TransferProgress = nullptr;
    g_MainView = nullptr;
    std::fill(std::begin(g_DeviceRecords.Bytes().status), std::end(g_DeviceRecords.Bytes().status),
              0);
    std::fill(std::begin(g_DeviceRecords.Bytes().versionText),
              std::end(g_DeviceRecords.Bytes().versionText), 0);
    ClearCommStatusFlags();
}

// Polls cond every millisecond for at most ms.
inline bool Eventually(const std::function<bool()>& cond, int ms = 10000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        if (cond()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return cond();
}
