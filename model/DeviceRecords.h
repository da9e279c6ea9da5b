// The device's system records, its version text and status words, and the
// stored presets' names, in one object guarded by g_DeviceLock.
//
// The link worker stores the device's replies here while the UI thread reads
// and edits, so every named accessor takes the lock itself (it is
// re-entrant): a reader gets a value or a copy, a writer changes the record
// under the lock. Only the frame builders and the reply dispatcher see the
// bytes themselves, through Bytes(), and only while they hold the lock.
#pragma once

#include "model/DeviceLock.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// Record numbers (the system sub-types) the program reads or writes.
enum SystemRecord : int {
    kRecordPresetName = 0,      // the name field of the current data or of a stored preset
    kRecordSources = 2,         // active source, source volumes
    kRecordStatus = 3,          // the device's status report (read only)
    kRecordVersion = 4,         // the device's version text (read only)
    kRecordMaster = 5,          // master volume, input lock, master on
    kRecordOutputMapA = 6,      // output map, outputs 0..7
    kRecordOutputMapB = 7,      // output map, outputs 8..11
    kRecordSourceSetup = 8,     // power-on source, bridge mode, second source, noise gate
    kRecordDeviceKept = 9,      // source-linked presets
    kRecordPresetSelect = 52,   // stored preset whose data is current
    kRecordPageTable = 64,      // page table and current page
    kRecordLongCommand = 65,    // no data: the network module's reset, answered late
    kRecordFactoryReset = 96,   // no data
    kRecordTransferMarker = 97, // begin or end of a preset transfer
    kRecordResync = 98,         // asks the device to deliver the current data again
    kRecordDeviceInfo = 204,    // the quick-connect read
};

// Bytes of the records with a meaning of their own.
constexpr int kSourceActiveByte = 0;      // sources: the active input source
constexpr int kSourceVolumeFirstByte = 2; // sources: the volume of source code 0, then 1..5
constexpr int kMasterNoiseGateByte = 3;   // master: the noise gate
constexpr int kMasterInputLockByte = 4;   // master: the input lock
constexpr int kMasterOnByte = 6;          // master: the master is on
constexpr int kPowerOnSourceByte = 1;     // source setup
constexpr int kBridgeModeByte = 2;        // source setup: 0 stereo, 1 bridge
constexpr int kSecondSourceByte = 4;      // source setup: the mix source, 6 for none
constexpr int kNoiseLevelByte = 5;        // source setup: the noise gate's level
constexpr int kNoiseAttenuationByte = 6;  // source setup: the noise gate's attenuation
constexpr int kNoiseTimeByte = 7;         // source setup: the noise gate's time
constexpr int kSourcePresetLinkByte = 0;  // device kept: source-linked presets on
constexpr int kModePageWords = 12;        // page table: one word per output
constexpr int kModePageCount = 4;
constexpr int kModeCurrentPageByte = 96; // page table: the current page

constexpr int kDeviceStatusWords = 50;
constexpr int kDeviceVersionSize = 12;
constexpr int kOutputMapSize = 12;

// The records' bytes as the frames carry them.
struct SystemRecordBytes {
    uint8_t sources[8];        // record 2
    uint8_t master[8];         // record 5
    uint8_t outputMapA[8];     // record 6
    uint8_t outputMapB[8];     // record 7
    uint8_t sourceSetup[8];    // record 8
    uint8_t deviceKept[8];     // record 9: the device's own layout, sent back as stored
    uint8_t presetSelect[8];   // record 52 (byte 0)
    uint8_t pageTable[98];     // record 64
    uint8_t transferMarker[8]; // record 97
    uint8_t versionText[kDeviceVersionSize];
    int32_t status[kDeviceStatusWords];
};

using DeviceStatusWords = std::array<int32_t, kDeviceStatusWords>;
using OutputMap = std::array<uint8_t, kOutputMapSize>;
using ModePage = std::array<uint8_t, 2 * kModePageWords>;
using PresetNameField = std::array<uint8_t, 16>;

class CDeviceRecords {
public:
    // The bytes, for the frame builders, the reply dispatcher and the
    // start-up defaults.
    SystemRecordBytes& Bytes() REQUIRES(g_DeviceLock) { return bytes_; }
    // The storage of a record with data of its own (2, 5..9, 52, 64, 97),
    // nullptr for any other number; *size its length.
    uint8_t* Record(int record, size_t* size) REQUIRES(g_DeviceLock);

    // Whole records, for the documents and preset files: a copy of n bytes
    // from the start of the record, and a write of n bytes there (never past
    // its end).
    void CopyRecord(int record, uint8_t* out, size_t n) const;
    void StoreRecord(int record, const uint8_t* bytes, size_t n);

    // Sources (record 2). Source volumes are kept per source code 0..5.
    int ActiveSource() const;
    void SetActiveSource(int code);
    int SourceVolume(int code) const;
    void SetSourceVolume(int code, int volume);

    // Master (record 5).
    int MasterVolume() const; // the signed 16-bit word of bytes 0 and 1
    void SetMasterVolume(int volume);
    int NoiseGate() const;
    void SetNoiseGate(int value);
    int InputLock() const;
    void SetInputLock(int value);
    int MasterOn() const;
    void SetMasterOn(int on);

    // Output map (records 6 and 7): the speaker type of each output.
    int OutputType(int output) const;
    void SetOutputType(int output, int type);
    OutputMap GetOutputMap() const;
    void SetOutputMap(const OutputMap& types);

    // Source setup (record 8).
    int PowerOnSource() const;
    void SetPowerOnSource(int code);
    int BridgeMode() const;
    void SetBridgeMode(int bridge);
    int SecondSource() const;
    void SetSecondSource(int code);
    int NoiseLevel() const;
    int NoiseAttenuation() const;
    int NoiseTime() const;
    void SetNoiseLevel(int value);
    void SetNoiseAttenuation(int value);
    void SetNoiseTime(int value);

    // Source-linked presets (record 9): on or off, and the stored preset
    // (0 none, 1..6) of each source code 0..5.
    int SourcePresetLink() const;
    void SetSourcePresetLink(int on);
    int SourcePreset(int code) const;
    void SetSourcePreset(int code, int preset);

    // The stored preset (1..6) whose data is current, 0 for none (record 52).
    int CurrentStoredPreset() const;
    void SetCurrentStoredPreset(int preset);

    // Page table (record 64): four pages of twelve words, and the current page.
    int CurrentModePage() const;
    void SetCurrentModePage(int page);
    int ModePageWord(int page, int output) const; // signed 16-bit
    ModePage GetModePage(int page) const;
    void SetModePage(int page, const ModePage& bytes);

    // Transfer marker (record 97): begin (1) or end (0) of a preset's transfer.
    void SetTransferMarker(int begin, int preset);

    // The device's version text (record 4).
    std::array<uint8_t, kDeviceVersionSize> VersionBytes() const;
    std::string VersionText() const;                  // as a text field: trimmed, UTF-8
    void StoreVersion(const uint8_t* payload, int n); // at most n bytes, the rest zero
    void BlankVersion();

    // The device's status report (record 3), one word per status byte.
    DeviceStatusWords Status() const;
    void StoreStatus(const uint8_t* payload, int n);

    // The names of the six stored presets (n 1..6), kept in their blocks.
    std::string StoredPresetName(int n) const;
    PresetNameField StoredPresetNameField(int n) const;
    void SetStoredPresetNameField(int n, const PresetNameField& field);

private:
    SystemRecordBytes bytes_ GUARDED_BY(g_DeviceLock) = {};
};

extern CDeviceRecords g_DeviceRecords; // shared: its bytes are GUARDED_BY(g_DeviceLock)
