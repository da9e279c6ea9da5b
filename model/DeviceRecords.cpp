#include "model/DeviceRecords.h"

#include "model/DataDefine.h"

#include <algorithm>
#include <cstring>

CDeviceRecords g_DeviceRecords;

namespace {

bool IsSourceCode(int code) {
    return code >= 0 && code < 6;
}
bool IsStoredPreset(int n) {
    return n >= 1 && n <= kStoredPresetCount;
}
bool IsModePage(int page) {
    return page >= 0 && page < kModePageCount;
}

template <size_t N> using RecordOf = uint8_t (SystemRecordBytes::*)[N];

// One byte of a record, read or written under the lock.
template <size_t N> int Get(const CDeviceRecords& records, RecordOf<N> record, int byte) {
    DeviceLockGuard lock(g_DeviceLock);
    return (const_cast<CDeviceRecords&>(records).Bytes().*record)[byte];
}

template <size_t N> void Put(CDeviceRecords& records, RecordOf<N> record, int byte, int value) {
    DeviceLockGuard lock(g_DeviceLock);
    (records.Bytes().*record)[byte] = static_cast<uint8_t>(value);
}

} // namespace

uint8_t* CDeviceRecords::Record(int record, size_t* size) {
    uint8_t* bytes = nullptr;
    size_t n = 8;
    switch (record) {
    case kRecordSources:
        bytes = bytes_.sources;
        break;
    case kRecordMaster:
        bytes = bytes_.master;
        break;
    case kRecordOutputMapA:
        bytes = bytes_.outputMapA;
        break;
    case kRecordOutputMapB:
        bytes = bytes_.outputMapB;
        break;
    case kRecordSourceSetup:
        bytes = bytes_.sourceSetup;
        break;
    case kRecordDeviceKept:
        bytes = bytes_.deviceKept;
        break;
    case kRecordPresetSelect:
        bytes = bytes_.presetSelect;
        break;
    case kRecordPageTable:
        bytes = bytes_.pageTable;
        n = sizeof bytes_.pageTable;
        break;
    case kRecordTransferMarker:
        bytes = bytes_.transferMarker;
        break;
    default:
        n = 0;
        break;
    }
    if (size) *size = n;
    return bytes;
}

void CDeviceRecords::CopyRecord(int record, uint8_t* out, size_t n) const {
    DeviceLockGuard lock(g_DeviceLock);
    size_t size = 0;
    const uint8_t* bytes = const_cast<CDeviceRecords*>(this)->Record(record, &size);
    if (bytes) std::memcpy(out, bytes, std::min(n, size));
}

void CDeviceRecords::StoreRecord(int record, const uint8_t* bytes, size_t n) {
    DeviceLockGuard lock(g_DeviceLock);
    size_t size = 0;
    if (uint8_t* dst = Record(record, &size)) std::memcpy(dst, bytes, std::min(n, size));
}

// ---------------------------------------------------------------------------
// Sources and master
// ---------------------------------------------------------------------------

int CDeviceRecords::ActiveSource() const {
    return Get(*this, &SystemRecordBytes::sources, kSourceActiveByte);
}

void CDeviceRecords::SetActiveSource(int code) {
    Put(*this, &SystemRecordBytes::sources, kSourceActiveByte, code);
}

int CDeviceRecords::SourceVolume(int code) const {
    if (!IsSourceCode(code)) return 0;
    return Get(*this, &SystemRecordBytes::sources, kSourceVolumeFirstByte + code);
}

void CDeviceRecords::SetSourceVolume(int code, int volume) {
    if (!IsSourceCode(code)) return;
    Put(*this, &SystemRecordBytes::sources, kSourceVolumeFirstByte + code, volume);
}

int CDeviceRecords::MasterVolume() const {
    DeviceLockGuard lock(g_DeviceLock);
    return GetS16(bytes_.master);
}

void CDeviceRecords::SetMasterVolume(int volume) {
    DeviceLockGuard lock(g_DeviceLock);
    PutU16(bytes_.master, static_cast<unsigned>(volume));
}

int CDeviceRecords::NoiseGate() const {
    return Get(*this, &SystemRecordBytes::master, kMasterNoiseGateByte);
}

void CDeviceRecords::SetNoiseGate(int value) {
    Put(*this, &SystemRecordBytes::master, kMasterNoiseGateByte, value);
}

int CDeviceRecords::InputLock() const {
    return Get(*this, &SystemRecordBytes::master, kMasterInputLockByte);
}

void CDeviceRecords::SetInputLock(int value) {
    Put(*this, &SystemRecordBytes::master, kMasterInputLockByte, value);
}

int CDeviceRecords::MasterOn() const {
    return Get(*this, &SystemRecordBytes::master, kMasterOnByte);
}

void CDeviceRecords::SetMasterOn(int on) {
    Put(*this, &SystemRecordBytes::master, kMasterOnByte, on);
}

// ---------------------------------------------------------------------------
// Output map and source setup
// ---------------------------------------------------------------------------

int CDeviceRecords::OutputType(int output) const {
    if (output < 0 || output >= kOutputMapSize) return 0;
    DeviceLockGuard lock(g_DeviceLock);
    return output < 8 ? bytes_.outputMapA[output] : bytes_.outputMapB[output - 8];
}

void CDeviceRecords::SetOutputType(int output, int type) {
    if (output < 0 || output >= kOutputMapSize) return;
    DeviceLockGuard lock(g_DeviceLock);
    (output < 8 ? bytes_.outputMapA[output] : bytes_.outputMapB[output - 8]) =
        static_cast<uint8_t>(type);
}

OutputMap CDeviceRecords::GetOutputMap() const {
    DeviceLockGuard lock(g_DeviceLock);
    OutputMap types{};
    std::copy(bytes_.outputMapA, bytes_.outputMapA + 8, types.begin());
    std::copy(bytes_.outputMapB, bytes_.outputMapB + 4, types.begin() + 8);
    return types;
}

void CDeviceRecords::SetOutputMap(const OutputMap& types) {
    DeviceLockGuard lock(g_DeviceLock);
    std::copy(types.begin(), types.begin() + 8, bytes_.outputMapA);
    std::copy(types.begin() + 8, types.end(), bytes_.outputMapB);
}

int CDeviceRecords::PowerOnSource() const {
    return Get(*this, &SystemRecordBytes::sourceSetup, kPowerOnSourceByte);
}

void CDeviceRecords::SetPowerOnSource(int code) {
    Put(*this, &SystemRecordBytes::sourceSetup, kPowerOnSourceByte, code);
}

int CDeviceRecords::BridgeMode() const {
    return Get(*this, &SystemRecordBytes::sourceSetup, kBridgeModeByte);
}

void CDeviceRecords::SetBridgeMode(int bridge) {
    Put(*this, &SystemRecordBytes::sourceSetup, kBridgeModeByte, bridge);
}

int CDeviceRecords::SecondSource() const {
    return Get(*this, &SystemRecordBytes::sourceSetup, kSecondSourceByte);
}

void CDeviceRecords::SetSecondSource(int code) {
    Put(*this, &SystemRecordBytes::sourceSetup, kSecondSourceByte, code);
}

int CDeviceRecords::NoiseLevel() const {
    return Get(*this, &SystemRecordBytes::sourceSetup, kNoiseLevelByte);
}

int CDeviceRecords::NoiseAttenuation() const {
    return Get(*this, &SystemRecordBytes::sourceSetup, kNoiseAttenuationByte);
}

int CDeviceRecords::NoiseTime() const {
    return Get(*this, &SystemRecordBytes::sourceSetup, kNoiseTimeByte);
}

void CDeviceRecords::SetNoiseLevel(int value) {
    Put(*this, &SystemRecordBytes::sourceSetup, kNoiseLevelByte, value);
}

void CDeviceRecords::SetNoiseAttenuation(int value) {
    Put(*this, &SystemRecordBytes::sourceSetup, kNoiseAttenuationByte, value);
}

void CDeviceRecords::SetNoiseTime(int value) {
    Put(*this, &SystemRecordBytes::sourceSetup, kNoiseTimeByte, value);
}

// ---------------------------------------------------------------------------
// Source-linked presets, current preset, page table, transfer marker
// ---------------------------------------------------------------------------

int CDeviceRecords::SourcePresetLink() const {
    return Get(*this, &SystemRecordBytes::deviceKept, kSourcePresetLinkByte);
}

void CDeviceRecords::SetSourcePresetLink(int on) {
    Put(*this, &SystemRecordBytes::deviceKept, kSourcePresetLinkByte, on);
}

// Source code c's preset is in byte c + 1, after the link switch.
int CDeviceRecords::SourcePreset(int code) const {
    if (!IsSourceCode(code)) return 0;
    return Get(*this, &SystemRecordBytes::deviceKept, code + 1);
}

void CDeviceRecords::SetSourcePreset(int code, int preset) {
    if (!IsSourceCode(code)) return;
    Put(*this, &SystemRecordBytes::deviceKept, code + 1, preset);
}

int CDeviceRecords::CurrentStoredPreset() const {
    return Get(*this, &SystemRecordBytes::presetSelect, 0);
}

void CDeviceRecords::SetCurrentStoredPreset(int preset) {
    Put(*this, &SystemRecordBytes::presetSelect, 0, preset);
}

int CDeviceRecords::CurrentModePage() const {
    return Get(*this, &SystemRecordBytes::pageTable, kModeCurrentPageByte);
}

void CDeviceRecords::SetCurrentModePage(int page) {
    Put(*this, &SystemRecordBytes::pageTable, kModeCurrentPageByte, page);
}

int CDeviceRecords::ModePageWord(int page, int output) const {
    if (!IsModePage(page) || output < 0 || output >= kModePageWords) return 0;
    DeviceLockGuard lock(g_DeviceLock);
    return GetS16(bytes_.pageTable + static_cast<int>(sizeof(ModePage)) * page + 2 * output);
}

ModePage CDeviceRecords::GetModePage(int page) const {
    ModePage bytes{};
    if (!IsModePage(page)) return bytes;
    DeviceLockGuard lock(g_DeviceLock);
    const uint8_t* first = bytes_.pageTable + bytes.size() * static_cast<size_t>(page);
    std::copy(first, first + bytes.size(), bytes.begin());
    return bytes;
}

void CDeviceRecords::SetModePage(int page, const ModePage& bytes) {
    if (!IsModePage(page)) return;
    DeviceLockGuard lock(g_DeviceLock);
    std::copy(bytes.begin(), bytes.end(),
              bytes_.pageTable + bytes.size() * static_cast<size_t>(page));
}

void CDeviceRecords::SetTransferMarker(int begin, int preset) {
    DeviceLockGuard lock(g_DeviceLock);
    bytes_.transferMarker[0] = static_cast<uint8_t>(begin);
    bytes_.transferMarker[1] = static_cast<uint8_t>(preset);
}

// ---------------------------------------------------------------------------
// Version text, status words, stored presets' names
// ---------------------------------------------------------------------------

std::array<uint8_t, kDeviceVersionSize> CDeviceRecords::VersionBytes() const {
    DeviceLockGuard lock(g_DeviceLock);
    std::array<uint8_t, kDeviceVersionSize> text{};
    std::copy(std::begin(bytes_.versionText), std::end(bytes_.versionText), text.begin());
    return text;
}

std::string CDeviceRecords::VersionText() const {
    const auto text = VersionBytes();
    return FieldToString(text.data(), text.size());
}

void CDeviceRecords::StoreVersion(const uint8_t* payload, int n) {
    // A short reply must not leave part of an older version text behind.
    const size_t k = static_cast<size_t>(std::clamp(n, 0, kDeviceVersionSize));
    DeviceLockGuard lock(g_DeviceLock);
    std::memcpy(bytes_.versionText, payload, k);
    std::memset(bytes_.versionText + k, 0, sizeof bytes_.versionText - k);
}

void CDeviceRecords::BlankVersion() {
    DeviceLockGuard lock(g_DeviceLock);
    std::memset(bytes_.versionText, ' ', sizeof bytes_.versionText);
}

DeviceStatusWords CDeviceRecords::Status() const {
    DeviceLockGuard lock(g_DeviceLock);
    DeviceStatusWords words{};
    std::copy(std::begin(bytes_.status), std::end(bytes_.status), words.begin());
    return words;
}

void CDeviceRecords::StoreStatus(const uint8_t* payload, int n) {
    const int k = std::clamp(n, 0, kDeviceStatusWords);
    DeviceLockGuard lock(g_DeviceLock);
    for (int i = 0; i < k; ++i)
        bytes_.status[i] = payload[i];
}

std::string CDeviceRecords::StoredPresetName(int n) const {
    const PresetNameField field = StoredPresetNameField(n);
    return FieldToString(field.data(), field.size());
}

PresetNameField CDeviceRecords::StoredPresetNameField(int n) const {
    PresetNameField field{};
    if (!IsStoredPreset(n)) return field;
    DeviceLockGuard lock(g_DeviceLock);
    const uint8_t* name = g_PcPresets[n - 1] + kPresetNameOffset;
    std::copy(name, name + field.size(), field.begin());
    return field;
}

void CDeviceRecords::SetStoredPresetNameField(int n, const PresetNameField& field) {
    if (!IsStoredPreset(n)) return;
    DeviceLockGuard lock(g_DeviceLock);
    std::copy(field.begin(), field.end(), g_PcPresets[n - 1] + kPresetNameOffset);
}
