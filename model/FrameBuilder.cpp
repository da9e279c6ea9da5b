#include "model/FrameBuilder.h"

#include "model/DataDefine.h"
#include "model/Globals.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// The status request repeats the first payload bytes of the frame built
// before it; whether the device reads them is its own affair.
uint8_t g_LastPayload[8];

struct Frame {
    std::vector<uint8_t> bytes;
    explicit Frame(int payloadLength)
        : bytes(static_cast<size_t>(payloadLength + kFrameOverhead), 0) {
        std::copy(std::begin(kFrameSync), std::end(kFrameSync), bytes.begin());
        PutU16(&bytes[12], static_cast<unsigned>(payloadLength));
    }
    void Header(uint8_t cmd, int slot, int group, int channel, int item, int link) {
        bytes[4] = cmd;
        bytes[5] = static_cast<uint8_t>(g_DeviceId);
        bytes[6] = static_cast<uint8_t>(slot);
        bytes[7] = static_cast<uint8_t>(group);
        bytes[8] = static_cast<uint8_t>(channel);
        bytes[9] = static_cast<uint8_t>(item);
        bytes[10] = static_cast<uint8_t>(link);
        bytes[11] = 0;
    }
    uint8_t* Payload() { return bytes.data() + kFrameHeaderSize; }
    PacketPtr Finish() {
        const int length = static_cast<int>(bytes.size());
        FinishFrame(bytes.data(), length);
        auto packet = std::make_unique<CPacket>();
        packet->SetData(std::move(bytes));
        packet->SetLength(length);
        return packet;
    }
};

bool ValidStoredSlot(int slot) {
    return slot >= 1 && slot <= kStoredPresetCount;
}

uint8_t* StoredPreset(int slot) {
    return g_PcPresets[slot - 1];
}

// Block of a group within a parameter block; null for a channel it lacks.
uint8_t* GroupBlock(uint8_t* block, int group, int index, int& size) {
    switch (group) {
    case kGroupMic:
        size = kMicBlockSize;
        return index == 0 ? MicBlock(block) : nullptr;
    case kGroupEffect:
        size = kEffectBlockSize;
        return EffectBlock(block);
    case kGroupMusic:
        size = kMusicBlockSize;
        return index >= 0 && index < kMusicInputCount ? MusicInBlock(index, block) : nullptr;
    case kGroupOutput:
        size = kOutputBlockSize;
        return index >= 0 && index < kOutputCount ? OutputBlock(index, block) : nullptr;
    default:
        return nullptr;
    }
}

bool LinkedItem(int item) {
    return (item >= 0 && item <= 30) || item == 32 || item == 33;
}

} // namespace

uint8_t FrameChecksum(const uint8_t* bytes, int count) {
    uint8_t x = 0;
    for (int i = 0; i < count; ++i)
        x ^= bytes[i];
    return x;
}

void FinishFrame(uint8_t* buffer, int length) {
    if (!buffer || length < kFrameOverhead) return;
    buffer[length - 2] = FrameChecksum(buffer + 4, length - 6);
    buffer[length - 1] = kFrameTrailer;
    const int n = length - kFrameOverhead;
    if (n > 0)
        std::memcpy(g_LastPayload, buffer + kFrameHeaderSize, static_cast<size_t>(std::min(n, 8)));
}

int IsOutputLinked(int output) {
    if (output < 0 || output >= kOutputCount) return 0;
    DeviceLockGuard lock(g_DeviceLock);
    for (int i = 0; i < kOutputCount; ++i)
        if (i != output && g_LinkKey[i] == g_LinkKey[output]) return 1;
    return 0;
}

PacketPtr BuildItemPacket(int group, int index, int item) {
    Frame f(8);
    if (group == kGroupStatus) {
        f.Header(kCmdRead, 0, kGroupSystem, 3, 0, 0);
        std::memcpy(f.Payload(), g_LastPayload, 8);
        return f.Finish();
    }
    int size = 0;
    const uint8_t* block = GroupBlock(g_ParamImage, group, index, size);
    if (!block || item < 0 || item >= size / kItemSize)
        return nullptr; // no overflow for huge items
    const int link = group == kGroupOutput && LinkedItem(item) ? IsOutputLinked(index) : 0;
    f.Header(kCmdWrite, 0, group, index, item, link);
    std::memcpy(f.Payload(), block + kItemSize * item, kItemSize);
    return f.Finish();
}

bool IsStatusRequest(const CPacket& packet) {
    const uint8_t* f = packet.GetData();
    return f && packet.GetLength() == kFrameOverhead + 8 && f[4] == kCmdRead &&
           f[7] == kGroupSystem && f[8] == kRecordStatus;
}

PacketPtr BuildBlockPacket(int slot, int group, int index, int fromCurrent, int fromPreset,
                           TextFieldErrors* refused) {
    int size = 0;
    const uint8_t* src = nullptr;
    int link = 0;
    switch (group) {
    case kGroupMic:
    case kGroupMusic:
    case kGroupOutput:
        if (fromCurrent)
            src = GroupBlock(g_ParamImage, group, index, size);
        else if (ValidStoredSlot(slot))
            src = GroupBlock(StoredPreset(slot), group, index, size);
        if (group == kGroupOutput) link = IsOutputLinked(index);
        break;
    case kGroupEffect:
        size = 96; // the first 96 bytes of the effect block travel
        if (fromCurrent)
            src = EffectBlock();
        else if (fromPreset && ValidStoredSlot(slot))
            src = EffectBlock(StoredPreset(slot));
        else if (!fromPreset && slot >= 21 && slot < 21 + kDevicePresetCount)
            src = g_DevicePresets[slot - 21] + 16;
        break;
    default:
        break;
    }
    if (!src) return nullptr;
    Frame f(size);
    f.Header(kCmdWrite, slot, group, index, 0, link);
    std::memcpy(f.Payload(), src, static_cast<size_t>(size));
    if (fromCurrent && (group == kGroupMusic || group == kGroupOutput)) g_ParamSentFlag = 1;
    if (fromCurrent && group == kGroupOutput && index == 0) {
        if (g_StateFlags[kFlagDataLocked].load()) {
            uint8_t password[16] = {};
            const TextFieldError e = StringToField(password, sizeof password, g_LockPassword);
            if (e != TextFieldError::None && refused) refused->push_back(e);
            f.Payload()[288] = '!';
            std::memcpy(f.Payload() + kOutPasswordOffset, password, 6);
        } else if (g_StateFlags[kFlagDataUnlocked].load()) {
            f.Payload()[288] = ' ';
        }
    }
    return f.Finish();
}

PacketPtr BuildBlockReadPacket(int slot, int group, int index, int flagA, int /*flagB*/) {
    int size = 0;
    if (slot < 0 || slot > 40 || !GroupBlock(g_ParamImage, group, index, size)) return nullptr;
    const int item = flagA && slot != 0 ? 0 : kReadAnyItem;
    Frame f(8);
    f.Header(kCmdRead, slot, group, index, item, 0);
    return f.Finish();
}

PacketPtr BuildSystemReadPacket(int subType, int slot) {
    if (subType < 0 || subType > 255 || slot < 0 || slot > 255) return nullptr;
    Frame f(8);
    f.Header(kCmdRead, slot, kGroupSystem, subType, 0, 0);
    return f.Finish();
}

PacketPtr BuildSystemPacket(int subType, int slot) {
    if (slot < 0 || slot > 255) return nullptr;
    DeviceLockGuard lock(g_DeviceLock);
    const uint8_t* src = nullptr;
    int n = 8;
    uint8_t scratch[16] = {};
    switch (subType) {
    case 0:
        if (slot != 0 && !ValidStoredSlot(slot)) return nullptr;
        std::memcpy(scratch, slot == 0 ? g_ParamImage : StoredPreset(slot), 15);
        src = scratch;
        n = 16;
        break;
    case 2:
    case 5:
    case 6:
    case 7:
    case 8:
    case 9:
    case 64: {
        size_t size = 0;
        src = g_DeviceRecords.Record(subType, &size);
        n = static_cast<int>(size);
        break;
    }
    case 52:
        src = g_DeviceRecords.Bytes().presetSelect;
        n = 1;
        break;
    case 65:
    case 96:
        src = scratch;
        break;
    case 97:
        src = g_DeviceRecords.Bytes().transferMarker;
        break;
    case 98:
        scratch[0] = static_cast<uint8_t>(g_StateFlags[kFlagLastDeliveredSlot].load());
        src = scratch;
        break;
    default:
        return nullptr;
    }
    Frame f(n);
    f.Header(kCmdWrite, slot, kGroupSystem, subType, 0, 0);
    std::memcpy(f.Payload(), src, static_cast<size_t>(n));
    return f.Finish();
}
