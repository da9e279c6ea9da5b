#include "model/DataDefine.h"

#include "model/Globals.h"
#include "model/SourceTable.h"
#include "model/SpeakerGroups.h"
#include "model/SpeakerTypes.h"
#include "model/TextCodec.h"

#include <algorithm>
#include <array>
#include <cstring>

uint8_t g_ParamImage[kParamBlockSize];
uint8_t g_PcPresets[kStoredPresetCount][kParamBlockSize];
uint8_t g_DevicePresets[kDevicePresetCount][kDevicePresetSize];

const uint8_t g_InitialReadCodes[7] = {0, 52, 2, 5, 6, 7, 4};

namespace {

using Block = std::array<uint8_t, kOutputBlockSize>;
using Item = std::array<uint8_t, kItemSize>;

struct DefaultItems {
    Item basic, crossover, mixA, mixB;
};

// Items 31..34 of the twelve default outputs.
constexpr DefaultItems kDefaultItems[kOutputCount] = {
    {{0x01, 0x00, 0x58, 0x02, 0x00, 0x00, 0x00, 0x01},
     {0x46, 0x00, 0x02, 0x01, 0x20, 0x4E, 0x02, 0x08},
     {0x64, 0, 0, 0, 0, 0, 0, 0},
     {0x00, 0x00, 0x64, 0x00, 0x64, 0x00, 0x64, 0x00}},
    {{0x01, 0x00, 0x58, 0x02, 0x00, 0x00, 0x00, 0x05},
     {0x46, 0x00, 0x02, 0x01, 0x20, 0x4E, 0x02, 0x08},
     {0x00, 0x64, 0, 0, 0, 0, 0, 0},
     {0x00, 0x00, 0x00, 0x64, 0x00, 0x64, 0x00, 0x64}},
    {{0x01, 0x00, 0x58, 0x02, 0x00, 0x00, 0x00, 0x07},
     {0x46, 0x00, 0x02, 0x01, 0x20, 0x4E, 0x02, 0x08},
     {0x00, 0x00, 0x64, 0, 0, 0, 0, 0},
     {0x00, 0x00, 0x64, 0x00, 0x64, 0x00, 0x64, 0x00}},
    {{0x01, 0x00, 0x58, 0x02, 0x00, 0x00, 0x00, 0x0B},
     {0x46, 0x00, 0x02, 0x01, 0x20, 0x4E, 0x02, 0x08},
     {0x00, 0x00, 0x00, 0x64, 0, 0, 0, 0},
     {0x00, 0x00, 0x00, 0x64, 0x00, 0x64, 0x00, 0x64}},
    {{0x01, 0x00, 0x58, 0x02, 0x00, 0x00, 0x00, 0x15},
     {0x14, 0x00, 0x02, 0x01, 0x20, 0x4E, 0x02, 0x01},
     {},
     {}},
    {{0x01, 0x00, 0x58, 0x02, 0x00, 0x00, 0x00, 0x12},
     {0x14, 0x00, 0x02, 0x01, 0x20, 0x4E, 0x02, 0x01},
     {},
     {}},
    {{0x01, 0x00, 0x58, 0x02, 0x00, 0x00, 0x00, 0x15},
     {0x14, 0x00, 0x02, 0x01, 0x20, 0x4E, 0x02, 0x01},
     {},
     {}},
    {{0x01, 0x00, 0x58, 0x02, 0x00, 0x00, 0x00, 0x18},
     {0x14, 0x00, 0x02, 0x01, 0x20, 0x4E, 0x02, 0x01},
     {},
     {}},
    {{0x01, 0x00, 0x58, 0x02, 0x00, 0x00, 0x00, 0x01},
     {0x14, 0x00, 0x02, 0x01, 0x20, 0x4E, 0x02, 0x01},
     {},
     {}},
    {{0x01, 0x00, 0x58, 0x02, 0x00, 0x00, 0x00, 0x05},
     {0x14, 0x00, 0x02, 0x01, 0x20, 0x4E, 0x02, 0x01},
     {},
     {}},
    {{0x01, 0x00, 0x58, 0x02, 0x00, 0x00, 0x00, 0x07},
     {0x1B, 0x00, 0x02, 0x01, 0x37, 0x00, 0x02, 0x01},
     {0x64, 0, 0, 0, 0, 0, 0, 0},
     {0x00, 0x00, 0x64, 0x00, 0x64, 0x00, 0x64, 0x00}},
    {{0x01, 0x00, 0x58, 0x02, 0x00, 0x00, 0x00, 0x0B},
     {0x1B, 0x00, 0x02, 0x01, 0x37, 0x00, 0x02, 0x01},
     {0x00, 0x64, 0, 0, 0, 0, 0, 0},
     {0x00, 0x00, 0x00, 0x64, 0x00, 0x64, 0x00, 0x64}},
};
constexpr Item kDefaultItem35 = {0xA4, 0x01, 0x14, 0x00, 0x14, 0x00, 0x00, 0x00};
constexpr Item kDefaultItem36 = {0x20, 0x00, 0x20, 0x20, 0x20, 0x20, 0x20, 0x00};

void PutItem(uint8_t* block, int item, const Item& bytes) {
    std::copy(bytes.begin(), bytes.end(), block + kItemSize * item);
}

// A band record: frequency, gain word, bandwidth code, slope, kind.
void PutBand(uint8_t* p, unsigned freq, unsigned gainWord, unsigned bandwidth) {
    PutU16(p, freq);
    PutU16(p + 2, gainWord);
    PutU16(p + 4, bandwidth);
    p[6] = 0;
    p[7] = 0;
}

void PutNeutralBands(uint8_t* block, int count) {
    for (int b = 0; b < count; ++b)
        PutBand(block + kItemSize * b, 1000, 600, 0);
}

const std::array<Block, kOutputCount>& DefaultBlocks() {
    static const std::array<Block, kOutputCount> blocks = [] {
        std::array<Block, kOutputCount> all{};
        for (int ch = 0; ch < kOutputCount; ++ch) {
            uint8_t* b = all[ch].data();
            for (int band = 0; band < 31; ++band)
                PutBand(b + kItemSize * band, static_cast<unsigned>(g_ThirdOctaveFreqs[band]), 600,
                        14);
            PutItem(b, 31, kDefaultItems[ch].basic);
            PutItem(b, 32, kDefaultItems[ch].crossover);
            PutItem(b, 33, kDefaultItems[ch].mixA);
            PutItem(b, 34, kDefaultItems[ch].mixB);
            PutItem(b, 35, kDefaultItem35);
            PutItem(b, 36, kDefaultItem36);
        }
        return all;
    }();
    return blocks;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string TrimBlanks(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

// Text of a field up to its first zero byte within max bytes, as bytes.
std::string FieldBytes(const uint8_t* field, size_t max) {
    const auto* end = static_cast<const uint8_t*>(std::memchr(field, 0, max));
    return std::string(reinterpret_cast<const char*>(field),
                       end ? static_cast<size_t>(end - field) : max);
}

int g_UsbLinkCounters[3];
int g_NetLinkCounters[2];

} // namespace

const uint8_t* DefaultOutputBlock(int ch) {
    if (ch < 0 || ch >= kOutputCount) return nullptr;
    return DefaultBlocks()[static_cast<size_t>(ch)].data();
}

void InitParamModel() {
    DeviceLockGuard lock(g_DeviceLock);
    // Music inputs.
    for (int c = 0; c < kMusicInputCount; ++c) {
        uint8_t* b = MusicInBlock(c);
        b[248] = 0;
        b[250] = 1;
        std::fill(b + 265, b + 272, 0);
        std::fill(b + 276, b + 280, 0);
        PutNeutralBands(b, 31);
    }
    // Microphone.
    uint8_t* mic = MicBlock();
    std::fill(mic + 89, mic + 96, 0);
    std::fill(mic + 100, mic + 104, 0);
    PutNeutralBands(mic, 9);
    // Outputs (the default output blocks below overwrite them).
    for (int c = 0; c < kOutputCount; ++c) {
        uint8_t* b = OutputBlock(c);
        b[254] = 0;
        std::fill(b + 286, b + 290, 0);
        PutNeutralBands(b, 9);
    }
    {
        uint8_t* b = OutputBlock(0);
        const uint8_t name[8] = {' ', 0, ' ', ' ', ' ', ' ', ' ', ' '};
        std::copy(name, name + 8, b + kOutNameOffset);
    }
    // Effect block.
    uint8_t* fx = EffectBlock();
    for (int i : {130, 132, 133, 135, 140, 141, 142})
        fx[i] = 0;
    PutNeutralBands(fx, 8);
    // Names of the stored presets: fifteen blanks and a zero.
    for (auto& preset : g_PcPresets) {
        std::fill(preset, preset + 15, ' ');
        preset[15] = 0;
    }
    SystemRecordBytes& rec = g_DeviceRecords.Bytes();
    std::fill(std::begin(rec.transferMarker), std::end(rec.transferMarker), 0);
    std::fill(std::begin(rec.pageTable), std::end(rec.pageTable), 0);
    // System defaults.
    rec.sources[kSourceActiveByte] = 1;
    std::fill(rec.sources + 2, rec.sources + 8, 60);
    PutU16(rec.master, 60);
    rec.master[2] = 0;
    rec.master[3] = 55;
    rec.master[4] = 0;
    rec.master[5] = 0;
    rec.master[6] = 1;
    rec.master[7] = 0;
    rec.sourceSetup[1] = 1;
    rec.sourceSetup[2] = 0;
    rec.sourceSetup[4] = 6;
    rec.sourceSetup[5] = 0;
    rec.sourceSetup[6] = 0;
    rec.sourceSetup[7] = 2;
    std::fill(rec.outputMapB + 4, rec.outputMapB + 8, 60);
    // View state.
    g_CurrentPage = 1;
    g_CurrentOutput = 0;
    g_ActiveSource = rec.sources[kSourceActiveByte];
    g_InputMode = 0;
    // The frame header's sync bytes are constants of the builders.
    std::fill(std::begin(rec.status), std::end(rec.status), 0);
    // g_InitialReadCodes is constant data.
    // Speaker types of the outputs and the output map.
    ResetSpeakerTypeStates();
    const uint8_t types[kOutputCount] = {6, 12, 15, 18, 0, 0, 0, 0, 22, 23, 0, 0};
    std::copy(types, types + kOutputCount, g_OutputSpeakerType);
    std::copy(std::begin(g_SpeakerTypeState), std::end(g_SpeakerTypeState),
              std::begin(g_SpeakerTypeStateDefaults));
    std::copy(types, types + 8, rec.outputMapA);
    std::copy(types + 8, types + 12, rec.outputMapB);
    std::fill(rec.outputMapB + 4, rec.outputMapB + 8, 0);
    g_SpeakerGroups->Analyse();
    RecomputeSpeakerTypeStates();
    for (auto& pair : g_SpeakerPairsLR)
        pair.used = 0;
    g_LinkActive = 0;
    g_LRLinkOn = 0;
    OutputBlock(0)[kOutLockMarkByte] = 0;
    ResetLinkStates();
    g_SourceTable->Init();
    g_ChannelFlags->Reset();
    std::fill(std::begin(g_ShowCurve), std::end(g_ShowCurve), 0);
    // The default output blocks.
    for (int c = 0; c < kOutputCount; ++c)
        std::memcpy(OutputBlock(c), DefaultOutputBlock(c), kOutputBlockSize);
}

void FixTweeterCrossoverRecord(uint8_t* record) {
    int16_t hp = GetS16(record);
    if (hp < 20) {
        hp = 20;
        PutU16(record, static_cast<uint16_t>(hp));
        if (GetS16(record + 4) < hp) PutU16(record + 4, 20000);
    }
    if (record[3] == 8) record[3] = 1;
}

void FixTweeterCrossovers() {
    for (int c = 0; c < kOutputCount; ++c)
        if (IsTweeterSpeakerType(OutputSpeakerType(c)))
            FixTweeterCrossoverRecord(OutputBlock(c) + kOutCrossoverOffset);
}

std::string FieldText(const uint8_t* field, size_t max) {
    if (!field) return std::string();
    return TrimBlanks(FieldBytes(field, max));
}

std::string FieldToString(const uint8_t* field, size_t n) {
    if (n < 2) return std::string();
    return GbkToUtf8(FieldText(field, n - 1));
}

std::string FieldToStringAll(const uint8_t* field, size_t n) {
    return GbkToUtf8(FieldText(field, n));
}

std::string TextFieldErrorText(TextFieldError error) {
    switch (error) {
    case TextFieldError::TooLong:
        return g_CharLenErrorText.Pick();
    case TextFieldError::Invalid:
        return g_CharInvalidText.Pick();
    case TextFieldError::None:
        break;
    }
    return std::string();
}

// No field at all is a caller's slip, not the user's text: refused as too
// long, since nothing fits.
TextFieldError BytesToField(uint8_t* field, size_t n, const std::string& gbk) {
    if (!field || n == 0 || gbk.size() >= n) return TextFieldError::TooLong;
    std::memcpy(field, gbk.data(), gbk.size());
    std::fill(field + gbk.size(), field + n, 0);
    return TextFieldError::None;
}

TextFieldError StringToField(uint8_t* field, size_t n, const std::string& text) {
    if (!field || n == 0) return TextFieldError::TooLong;
    const auto gbk = Utf8ToGbk(text);
    if (!gbk) return TextFieldError::Invalid;
    return BytesToField(field, n, *gbk);
}

int IsPresetNameUsed(int index, const uint8_t* name, int stored, int length) {
    if (!name || length <= 0) return 0;
    const size_t len = static_cast<size_t>(std::min(length, kPresetNameSize));
    const std::string wanted = FieldBytes(name, len);
    const int count = stored ? kStoredPresetCount : kDevicePresetCount;
    for (int i = 0; i < count; ++i) {
        if (i == index) continue;
        const uint8_t* other = stored ? g_PcPresets[i] : g_DevicePresets[i];
        if (FieldBytes(other, len) == wanted) return 1;
    }
    return 0;
}

int IsBlankString(const std::string& text) {
    return TrimBlanks(text).empty() ? 1 : 0;
}

int IsAnyOutputLocked() {
    for (int c = 0; c < kOutputCount; ++c)
        if (OutputBlock(c)[kOutLockMarkByte] == '!') return 1;
    return 0;
}

void SetOutputLockMarks(int flag) {
    for (int c = 0; c < kOutputCount; ++c)
        OutputBlock(c)[kOutLockMarkByte] = flag ? '!' : ' ';
}

void ResetUsbLinkState() {
    std::fill(std::begin(g_UsbLinkCounters), std::end(g_UsbLinkCounters), 0);
}

void ResetNetLinkState() {
    g_NetLinkUp = 0;
    std::fill(std::begin(g_NetLinkCounters), std::end(g_NetLinkCounters), 0);
}

void ResetLinkStates() {
    ResetUsbLinkState();
    ResetNetLinkState();
}
