// One queued packet: a command frame (as the model's builders make it) plus
// the send policy the link follows for it and how far its bytes are out.
#pragma once

#include "model/Packet.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

constexpr int kHidReportSize = 65; // report id 0 and 64 frame bytes

class CSendData : public CPacket {
public:
    CSendData() = default;
    // Takes over a built frame's bytes.
    explicit CSendData(CPacket&& frame) : CPacket(std::move(frame)) {}

    void SetRetry(int n) { retry_ = n; }
    int GetRetry() const { return retry_; }
    void SetReady(int flag) { ready_ = flag; }
    int IsReady() const;
    void SetBlockFlag(int flag) { block_ = flag; }
    int GetBlockFlag() const { return block_; }
    void SetProgressValue(int n) { progress_ = n; }
    int GetProgressValue() const { return progress_; }
    void SetNotifyWhenDone(int flag) { notifyDone_ = flag; }
    int IsNotifyDone() const;
    void SetNotifyWhenSent(int flag) { notifySent_ = flag; }
    int IsNotifySent() const;
    void SetReserved1(int v) { reserved1_ = v; }
    int GetReserved1() const { return reserved1_; }
    void SetReserved2(int v) { reserved2_ = v; }
    int GetReserved2() const { return reserved2_; }
    void SetDrainA(int v) { drainA_ = v; }
    int GetDrainA() const { return drainA_; }
    void SetDrainB(int v) { drainB_ = v; }
    int GetDrainB() const { return drainB_; }
    void SetCommand(int code) { command_ = code; }
    int GetCommand() const { return command_; }
    void SetSkipProgress(int flag) { skipProgress_ = flag; }
    int GetSkipProgress() const { return skipProgress_; }
    void SetLongWait(int flag) { longWait_ = flag; }
    int GetLongWait() const { return longWait_; }
    void SetResend(int flag) { resend_ = flag; }
    int GetResend() const { return resend_; }
    // The packet that gives the master back its on state after a transfer
    // muted it: while it is still queued, the transfer has not completed.
    void SetRestoresMaster(int flag) { restoresMaster_ = flag; }
    int RestoresMaster() const { return restoresMaster_; }
    // The packet that mutes the master before a transfer: the transfer's
    // own, no setting of the window's.
    void SetMutesMaster(int flag) { mutesMaster_ = flag; }
    int MutesMaster() const { return mutesMaster_; }

    // Fills the next 65-byte USB output report (report id 0, then up to 64
    // frame bytes, zero-padded); 0 when every byte is already out, and then
    // the report is left untouched.
    int NextChunk(uint8_t (&report)[kHidReportSize]);
    void RewindChunks() { chunk_ = 0; }
    int GetChunk() const { return chunk_; }

private:
    int retry_ = 0;
    int ready_ = 1;
    int block_ = 0;
    int progress_ = 0;
    int notifyDone_ = 0;
    int notifySent_ = 0;
    int reserved1_ = 0;
    int reserved2_ = 0;
    int chunk_ = 0;
    int drainA_ = 0;
    int drainB_ = 0;
    int command_ = 0;
    int skipProgress_ = 0;
    int longWait_ = 0;
    int resend_ = 0;
    int restoresMaster_ = 0;
    int mutesMaster_ = 0;
};

using SendDataPtr = std::unique_ptr<CSendData>;

// A built frame ready for its send policy; null stays null.
SendDataPtr ToSendData(PacketPtr frame);
