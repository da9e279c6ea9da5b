// Builders of every outgoing command frame:
//   6B 6B 6B EE | cmd | id | slot | group | channel | item | link | 0 | len(LE16)
//   | payload | XOR(cmd..payload) | AA
// Each builder returns a new packet owned by the caller, or null when asked
// for a slot, group or channel that does not exist. Callers hold
// g_DeviceLock while they build and queue.
#pragma once

#include "model/Packet.h"

#include "model/DataDefine.h"

#include <cstdint>
#include <memory>

constexpr int kFrameHeaderSize = 14;
constexpr int kFrameOverhead = 16; // header, checksum, trailer
constexpr uint8_t kFrameSync[4] = {0x6B, 0x6B, 0x6B, 0xEE};
constexpr uint8_t kCmdWrite = 0xA1;
constexpr uint8_t kCmdRead = 0xA2;
constexpr uint8_t kFrameTrailer = 0xAA;
constexpr uint8_t kReadAnyItem = 0x77;

enum FrameGroup : int {
    kGroupMic = 1,
    kGroupEffect = 2,
    kGroupMusic = 3,
    kGroupOutput = 4,
    kGroupStatus = 7, // BuildItemPacket only: the status request
    kGroupSystem = 9,
};

// Closes a frame whose header and payload are already in the buffer:
// checksum at length-2, trailer at length-1. Also remembers the payload's
// first bytes for the status request.
void FinishFrame(uint8_t* buffer, int length);

PacketPtr BuildItemPacket(int group, int index, int item);
// True for the status request BuildItemPacket(kGroupStatus, ...) builds.
bool IsStatusRequest(const CPacket& packet);
// Output 0's block from the current image carries the lock mark and, while
// the data is locked, the lock password: one its field cannot hold goes as
// zeros, and the reason is appended to *refused for the caller's message.
PacketPtr BuildBlockPacket(int slot, int group, int index, int fromCurrent, int fromPreset,
                           TextFieldErrors* refused = nullptr);
PacketPtr BuildBlockReadPacket(int slot, int group, int index, int flagA, int flagB);
PacketPtr BuildSystemReadPacket(int subType, int slot);
PacketPtr BuildSystemPacket(int subType, int slot);

// 1 when another output shares the output's link key.
int IsOutputLinked(int output);

// XOR of the bytes, as the frame checksum computes it.
uint8_t FrameChecksum(const uint8_t* bytes, int count);
