// The command engine: the one send queue of the program (only its head is
// on the wire), the assembler that collects the device's reply frames from
// whatever pieces the transports hand in, and the dispatcher that acts on
// each reply. Every queue operation takes g_DeviceLock itself.
//
// Reply frame, from the 0xEE on (the three 0x6B before it are not kept):
//   EE | code | id | slot | group | channel | item | - | - | len(LE16)
//   | payload | XOR(code..payload) | AA
#pragma once

#include "model/DeviceLock.h"
#include "model/Notify.h"
#include "link/SendData.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>

// What a transport does after handing bytes to the engine.
enum FeedResult : int {
    kFeedMore = 0,   // no reply has ended the exchange: keep reading
    kFeedDone = 1,   // the exchange is over: the reply took the head, or the device is abnormal
    kFeedRepeat = 2, // the device asked for the head again: end the exchange, it goes out again
};

constexpr int kAssemblyBufferSize = 400;

class CKTVCommand {
public:
    CKTVCommand() = default;
    virtual ~CKTVCommand();
    CKTVCommand(const CKTVCommand&) = delete;
    CKTVCommand& operator=(const CKTVCommand&) = delete;

    // ---- the send queue ----------------------------------------------------
    // The queue owns the packet from now on; a null packet is ignored. A
    // plain built frame is queued with the default send policy.
    void AddPacket(PacketPtr packet);
    int GetCount() const;
    // The head, or null. Valid until the head is removed or the queue cleared.
    CSendData* GetHead() const;
    void RemoveHead(int unused = 0);
    // Deletes every packet and resets the reply assembler; the next status
    // reaches the view whatever it says.
    void Clear();
    void RewindHead();
    void MarkHeadResend();
    // Runs f on every queued packet, head first, under the lock.
    void ForEachPacket(const std::function<void(const CSendData&)>& f) const;

    // ---- the reply side ----------------------------------------------------
    // Receives the reply notifications (the main view). Long-command results
    // go to g_MainView.
    void SetNotifyWnd(IViewNotify* wnd) { notifyWnd_ = wnd; }
    IViewNotify* GetNotifyWnd() const { return notifyWnd_; }

    // The feed operations run the assembler on what a transport received and
    // return a FeedResult. They take g_DeviceLock for the dispatch and notify
    // the view after releasing it (the output-map halves are sent and wait
    // for the view), so callers must not hold the lock.
    //
    // Bytes 1..count-1 of g_HidInReport (report id at 0), zeroed once taken.
    // count 0 hands in nothing and ends the reading.
    int FeedUsbReport(int count);
    // The first n bytes of g_NetRxBuffer, zeroed once taken.
    int FeedNetBytes(int n);
    int FeedSerialByte(uint8_t byte);

    // Returns the assembler to hunting for a frame's sync bytes.
    virtual void ResetReceive();

    // The view hears of the device's status when it changed, and once after
    // Clear or after this call even when it did not: the view asks again when
    // it left one untaken.
    void AskForStatus() { statusWanted_ = true; }

    // The firmware update's half of the progress step: called with the
    // head's step code when a reply takes a firmware packet.
    void SetFirmwareProgressHook(std::function<void(int code)> hook);

    // Fields of the last frame accepted (for the firmware exchange and tests).
    int LastCode() const { return code_; }
    int LastPayloadLength() const { return payloadLength_; }

private:
    // Runs the assembler over count bytes of chunk_; see the feed operations.
    int AssembleFrame(int count);
    int AssembleLocked(int count) REQUIRES(g_DeviceLock);
    int CheckAndDispatch() REQUIRES(g_DeviceLock);
    int DispatchData() REQUIRES(g_DeviceLock);
    // Takes the head for the current reply: progress step, then removal by the caller.
    void UpdateProgress() REQUIRES(g_DeviceLock);
    int NotifyLongCommand(int keep) REQUIRES(g_DeviceLock);
    void StoreMusicBlock(const uint8_t* payload, int n) REQUIRES(g_DeviceLock);
    void StoreOutputBlock(const uint8_t* payload, int n) REQUIRES(g_DeviceLock);
    void StoreDeviceRecord(const uint8_t* payload, int n) REQUIRES(g_DeviceLock);

    // Notifications gathered under the lock and delivered after it.
    enum class NoteKind { Post, Send, PostMain, Progress, Firmware };
    struct Note {
        NoteKind kind;
        unsigned msg;
        WPARAM w;
        LPARAM l;
    };
    void AddNote(NoteKind kind, unsigned msg, WPARAM w = 0, LPARAM l = 0);
    void DeliverNotes();

    std::deque<std::unique_ptr<CSendData>> queue_ GUARDED_BY(g_DeviceLock);

    std::atomic<IViewNotify*> notifyWnd_{nullptr};
    int frameLength_ = 0; // n + 13, once the length field is in
    uint8_t assembly_[kAssemblyBufferSize] = {};
    uint8_t chunk_[kAssemblyBufferSize] = {};
    int syncCount_ = 0;
    int collected_ = 0;
    int syncFound_ = 0;
    int payloadLength_ = 0;
    int code_ = 0;
    int group_ = 0;
    int slot_ = 0;
    int channel_ = 0;
    int itemFlag_ = 0;

    static constexpr int kMaxNotes = 16;
    Note notes_[kMaxNotes] = {};
    int noteCount_ = 0;
    std::function<void(int)> firmwareProgress_;
    std::atomic<bool> statusWanted_{true};
    int statusLength_ GUARDED_BY(g_DeviceLock) = -1; // payload length of the last status reply
};
