#include "link/KTVCommand.h"

#include "model/TextCodec.h"

#include "model/DataDefine.h"
#include "model/FrameBuilder.h"
#include "model/Globals.h"
#include "link/LinkGlobals.h"

#include <algorithm>
#include <cstring>

namespace {

// Positions in the assembled frame (from the 0xEE on).
constexpr int kPosCode = 1;
constexpr int kPosSlot = 3;
constexpr int kPosGroup = 4;
constexpr int kPosChannel = 5;
constexpr int kPosItem = 6;
constexpr int kPosLength = 9;
constexpr int kPosPayload = 11;
constexpr int kReplyOverhead = 13; // EE .. length, checksum, trailer

constexpr uint8_t kReplyAck = 'Q';
constexpr uint8_t kReplyRepeat = 'R';
constexpr uint8_t kReplyData = 'S';

constexpr int kStatusBytes = 37;  // status record bytes the view reads
constexpr int kVersionBytes = 11; // "VELK-FV1.00"
constexpr int kNameBytes = 13;    // a reply's name: 13 characters, then zeros

int Copy(uint8_t* dst, int capacity, const uint8_t* src, int n) {
    const int k = std::max(0, std::min(n, capacity));
    std::memcpy(dst, src, static_cast<size_t>(k));
    return k;
}

void CopyToRecord(int record, const uint8_t* payload, int n) {
    g_DeviceRecords.StoreRecord(record, payload, static_cast<size_t>(std::max(0, n)));
}

} // namespace

CKTVCommand::~CKTVCommand() {
    DeviceLockGuard lock(g_DeviceLock);
    queue_.clear();
}

// ---------------------------------------------------------------------------
// Queue
// ---------------------------------------------------------------------------

void CKTVCommand::AddPacket(PacketPtr packet) {
    SendDataPtr queued = ToSendData(std::move(packet));
    if (!queued) return;
    DeviceLockGuard lock(g_DeviceLock);
    queue_.push_back(std::move(queued));
}

int CKTVCommand::GetCount() const {
    DeviceLockGuard lock(g_DeviceLock);
    return static_cast<int>(queue_.size());
}

CSendData* CKTVCommand::GetHead() const {
    DeviceLockGuard lock(g_DeviceLock);
    return queue_.empty() ? nullptr : queue_.front().get();
}

void CKTVCommand::RemoveHead(int) {
    DeviceLockGuard lock(g_DeviceLock);
    if (queue_.empty()) return;
    queue_.pop_front();
    ClearCommStatusFlags();
}

void CKTVCommand::Clear() {
    DeviceLockGuard lock(g_DeviceLock);
    queue_.clear();
    ResetReceive();
    statusWanted_ = true;
}

void CKTVCommand::RewindHead() {
    DeviceLockGuard lock(g_DeviceLock);
    if (!queue_.empty()) queue_.front()->RewindChunks();
}

void CKTVCommand::ForEachPacket(const std::function<void(const CSendData&)>& f) const {
    DeviceLockGuard lock(g_DeviceLock);
    for (const auto& p : queue_)
        f(*p);
}

void CKTVCommand::MarkHeadResend() {
    DeviceLockGuard lock(g_DeviceLock);
    if (!queue_.empty()) queue_.front()->SetResend(1);
}

// ---------------------------------------------------------------------------
// Feeding
// ---------------------------------------------------------------------------

int CKTVCommand::FeedUsbReport(int count) {
    if (count <= 0) return kFeedDone;
    const int n = std::min(count, kHidDataSize + 1) - 1;
    std::memcpy(chunk_, g_HidInReport + 1, static_cast<size_t>(n));
    std::memset(g_HidInReport + 1, 0, static_cast<size_t>(n));
    return AssembleFrame(n);
}

int CKTVCommand::FeedNetBytes(int n) {
    n = std::clamp(n, 0, kNetRxSize);
    std::memcpy(chunk_, g_NetRxBuffer, static_cast<size_t>(n));
    std::memset(g_NetRxBuffer, 0, static_cast<size_t>(n));
    return AssembleFrame(n);
}

int CKTVCommand::FeedSerialByte(uint8_t byte) {
    chunk_[0] = byte;
    return AssembleFrame(1);
}

void CKTVCommand::SetFirmwareProgressHook(std::function<void(int)> hook) {
    DeviceLockGuard lock(g_DeviceLock);
    firmwareProgress_ = std::move(hook);
}

void CKTVCommand::ResetReceive() {
    DeviceLockGuard lock(g_DeviceLock);
    syncFound_ = 0;
    syncCount_ = 0;
    collected_ = 0;
    frameLength_ = 0;
    std::memset(assembly_, 0, sizeof assembly_);
}

// ---------------------------------------------------------------------------
// Assembling
// ---------------------------------------------------------------------------

int CKTVCommand::AssembleFrame(int count) {
    int result;
    {
        DeviceLockGuard lock(g_DeviceLock);
        result = AssembleLocked(count);
    }
    DeliverNotes();
    return result;
}

int CKTVCommand::AssembleLocked(int count) {
    count = std::clamp(count, 0, kAssemblyBufferSize);
    int pos = 0;
    int result = kFeedMore;
    while (pos < count && result == kFeedMore) {
        if (!syncFound_) {
            for (; pos < count && !syncFound_; ++pos) {
                const uint8_t b = chunk_[pos];
                if (b == kFrameSync[0]) {
                    ++syncCount_;
                } else if (b == kFrameSync[3] && syncCount_ == 3) {
                    syncFound_ = 1;
                    collected_ = 0;
                    frameLength_ = 0;
                    assembly_[collected_++] = b;
                } else {
                    syncCount_ = 0;
                }
            }
            syncCount_ = syncFound_ ? 0 : syncCount_;
            if (!syncFound_) break;
        }
        // Collect up to the announced end of the frame, never past the buffer.
        while (pos < count && (frameLength_ == 0 || collected_ < frameLength_)) {
            assembly_[collected_++] = chunk_[pos++];
            if (frameLength_ == 0 && collected_ == kPosPayload) {
                frameLength_ = GetU16(assembly_ + kPosLength) + kReplyOverhead;
                if (frameLength_ > kAssemblyBufferSize) {
                    // A corrupt length field: no such frame fits; hunt again.
                    g_CommStatusFlags[5] = 1;
                    syncFound_ = 0;
                    collected_ = 0;
                    frameLength_ = 0;
                    break;
                }
            }
        }
        if (syncFound_ && frameLength_ != 0 && collected_ == frameLength_)
            result = CheckAndDispatch();
    }
    // A reply that ended the exchange leaves the rest of the read behind.
    std::memset(chunk_, 0, static_cast<size_t>(count));
    return result;
}

int CKTVCommand::CheckAndDispatch() {
    const int len = frameLength_;
    // Whatever the outcome, the next byte starts a new hunt.
    syncFound_ = 0;
    collected_ = 0;
    frameLength_ = 0;
    g_CommStatusFlags[1] = 1;
    if (assembly_[len - 1] != kFrameTrailer ||
        FrameChecksum(assembly_ + kPosCode, len - 3) != assembly_[len - 2]) {
        g_CommStatusFlags[5] = 1;
        return kFeedMore;
    }
    code_ = assembly_[kPosCode];
    slot_ = assembly_[kPosSlot];
    group_ = assembly_[kPosGroup];
    channel_ = assembly_[kPosChannel];
    itemFlag_ = assembly_[kPosItem];
    payloadLength_ = GetU16(assembly_ + kPosLength);

    // A firmware step is answered by a reply that names it; any other reply
    // (a stray one, or one to another step) must not take it.
    const CSendData* head = queue_.empty() ? nullptr : queue_.front().get();
    if (head && head->GetCommand() != 0 && channel_ != (head->GetCommand() & 0xFF))
        return kFeedMore;

    switch (code_) {
    case kReplyAck:
        // The progress step only for replies that take the head: a repeat
        // request must not move a transfer or a firmware step on.
        UpdateProgress();
        NotifyLongCommand(1);
        RemoveHead();
        return kFeedDone;
    case kReplyRepeat:
        ResetReceive();
        RewindHead();
        NotifyLongCommand(0);
        MarkHeadResend();
        return kFeedRepeat;
    case kReplyData:
        return DispatchData();
    default:
        // Not a reply to anything the program sends: keep reading.
        return kFeedMore;
    }
}

int CKTVCommand::DispatchData() {
    const uint8_t* payload = assembly_ + kPosPayload;
    const int n = payloadLength_;
    if (g_StateFlags[kFlagInitialRead].load()) {
        // Only the quick read's one zero byte ends the phase; anything else is
        // stale and the exchange keeps reading for the real reply.
        if (group_ == kGroupSystem && channel_ == kRecordDeviceInfo && n == 1 && payload[0] == 0) {
            UpdateProgress();
            RemoveHead();
            g_StateFlags[kFlagInitialRead] = 0;
            return kFeedDone;
        }
        return kFeedMore;
    }
    if (n == 0) {
        AddNote(NoteKind::Post, WM_DEVICE_ABNORMAL);
        g_DeviceAbnormal = 1;
        return kFeedDone;
    }
    switch (group_) {
    case kGroupMic:
    case kGroupEffect:
        UpdateProgress();
        break;
    case kGroupMusic:
        UpdateProgress();
        StoreMusicBlock(payload, n);
        break;
    case kGroupOutput:
        UpdateProgress();
        StoreOutputBlock(payload, n);
        break;
    case kGroupSystem:
        UpdateProgress();
        StoreDeviceRecord(payload, n);
        break;
    default:
        return kFeedMore;
    }
    RemoveHead();
    return kFeedDone;
}

void CKTVCommand::UpdateProgress() {
    CSendData* head = queue_.empty() ? nullptr : queue_.front().get();
    if (!head) return;
    if (head->GetSkipProgress()) {
        AddNote(NoteKind::Post, WM_TRANSFER_STEP, 0, 0);
        return;
    }
    if (head->GetProgressValue() == 0) return;
    if (head->GetCommand() != 0) {
        AddNote(NoteKind::Firmware, 0, static_cast<WPARAM>(head->GetCommand()));
        return;
    }
    AddNote(NoteKind::Progress, 0, static_cast<WPARAM>(head->GetProgressValue()));
    if (head->IsNotifySent()) AddNote(NoteKind::Post, WM_TRANSFER_STEP, 0, 1);
    if (head->IsNotifyDone()) AddNote(NoteKind::Post, WM_TRANSFER_STEP, 0, 0);
}

int CKTVCommand::NotifyLongCommand(int keep) {
    CSendData* head = queue_.empty() ? nullptr : queue_.front().get();
    if (!head || !head->GetLongWait()) return 0;
    if (!keep) RemoveHead();
    AddNote(NoteKind::PostMain, WM_LONG_COMMAND_DONE, 0, keep);
    return 1;
}

// ---------------------------------------------------------------------------
// Where data replies go: never more than arrived, never more than the record.
// ---------------------------------------------------------------------------

void CKTVCommand::StoreMusicBlock(const uint8_t* payload, int n) {
    if (channel_ < 0 || channel_ >= kMusicInputCount) return;
    uint8_t* dst = nullptr;
    if (itemFlag_ == kReadAnyItem && slot_ > 0) {
        if (slot_ > kStoredPresetCount) return;
        dst = MusicInBlock(channel_, g_PcPresets[slot_ - 1]);
    } else {
        dst = MusicInBlock(channel_);
    }
    Copy(dst, kMusicBlockSize, payload, n);
}

void CKTVCommand::StoreOutputBlock(const uint8_t* payload, int n) {
    if (channel_ < 0 || channel_ >= kOutputCount) return;
    const bool last = channel_ == kOutputCount - 1;
    if (itemFlag_ == kReadAnyItem && slot_ > 0) {
        if (slot_ > kStoredPresetCount) return;
        Copy(OutputBlock(channel_, g_PcPresets[slot_ - 1]), kOutputBlockSize, payload, n);
        if (last && slot_ == kStoredPresetCount) AddNote(NoteKind::Post, WM_ALL_PRESETS_READ, 6, 0);
    } else {
        Copy(OutputBlock(channel_), kOutputBlockSize, payload, n);
        if (last) AddNote(NoteKind::Post, WM_DEVICE_DATA_DONE, static_cast<WPARAM>(slot_), 0);
    }
}

void CKTVCommand::StoreDeviceRecord(const uint8_t* payload, int n) {
    switch (channel_) {
    case kRecordPresetName: {
        uint8_t* name = nullptr;
        if (slot_ == 0)
            name = g_ParamImage;
        else if (slot_ <= kStoredPresetCount)
            name = g_PcPresets[slot_ - 1];
        if (!name) return;
        // 13 bytes, but never half of a double-byte character.
        const int whole = static_cast<int>(
            GbkWholeLength(payload, static_cast<size_t>(std::max(0, std::min(n, kNameBytes)))));
        const int k = Copy(name, whole, payload, n);
        std::memset(name + k, 0, static_cast<size_t>(kPresetNameSize - 1 - k));
        break;
    }
    case kRecordSources:
        CopyToRecord(kRecordSources, payload, n);
        break;
    case kRecordStatus: {
        const int k = std::min(n, kStatusBytes);
        const DeviceStatusWords words = g_DeviceRecords.Status();
        bool changed = n != statusLength_;
        for (int i = 0; i < k; ++i)
            changed = changed || words[static_cast<size_t>(i)] != payload[i];
        g_DeviceRecords.StoreStatus(payload, k);
        statusLength_ = n;
        // A status that says again what the view has costs its thread nothing.
        if (statusWanted_.exchange(false) || changed)
            AddNote(NoteKind::Post, WM_DEVICE_STATUS, 0, n);
        break;
    }
    case kRecordVersion: {
        g_DeviceRecords.StoreVersion(payload, std::min(n, kVersionBytes));
        AddNote(NoteKind::Post, WM_DEVICE_VERSION);
        break;
    }
    case kRecordMaster:
        CopyToRecord(kRecordMaster, payload, n);
        break;
    case kRecordOutputMapA:
        CopyToRecord(kRecordOutputMapA, payload, n);
        AddNote(NoteKind::Send, WM_OUTPUT_MAP, 0, 0);
        break;
    case kRecordOutputMapB:
        CopyToRecord(kRecordOutputMapB, payload, n);
        AddNote(NoteKind::Send, WM_OUTPUT_MAP, 1, 0);
        break;
    case kRecordSourceSetup:
        CopyToRecord(kRecordSourceSetup, payload, n);
        break;
    case kRecordDeviceKept:
        CopyToRecord(kRecordDeviceKept, payload, n);
        break;
    case kRecordPresetSelect: {
        const int p = payload[0];
        if (p >= 1 && p <= kStoredPresetCount)
            std::memcpy(g_ParamImage, g_PcPresets[p - 1], kPresetNameSize - 1);
        g_DeviceRecords.SetCurrentStoredPreset(p);
        break;
    }
    case kRecordPageTable:
        CopyToRecord(kRecordPageTable, payload, n);
        AddNote(NoteKind::Post, WM_OUTPUT_MAP, 0, 0);
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------
// Notifications
// ---------------------------------------------------------------------------

void CKTVCommand::AddNote(NoteKind kind, unsigned msg, WPARAM w, LPARAM l) {
    // One chunk ends at the first reply that takes the head, so a handful of
    // notes is all it can raise.
    if (noteCount_ < kMaxNotes) notes_[noteCount_++] = Note{kind, msg, w, l};
}

void CKTVCommand::DeliverNotes() {
    Note notes[kMaxNotes];
    int count;
    std::function<void(int)> firmware;
    {
        DeviceLockGuard lock(g_DeviceLock);
        count = noteCount_;
        std::copy(notes_, notes_ + count, notes);
        noteCount_ = 0;
        if (count) firmware = firmwareProgress_;
    }
    IViewNotify* wnd = notifyWnd_.load();
    for (int i = 0; i < count; ++i) {
        const Note& n = notes[i];
        switch (n.kind) {
        case NoteKind::Post:
            if (wnd) wnd->Post(n.msg, n.w, n.l);
            break;
        case NoteKind::Send:
            if (wnd) wnd->Send(n.msg, n.w, n.l);
            break;
        case NoteKind::PostMain:
            PostToView(n.msg, n.w, n.l);
            break;
        case NoteKind::Progress:
            if (ITransferProgress* bar = g_TransferProgress.load())
                bar->SetPos(static_cast<int>(n.w));
            break;
        case NoteKind::Firmware:
            if (firmware) firmware(static_cast<int>(n.w));
            break;
        }
    }
}
