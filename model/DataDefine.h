// The byte image of the device's parameter memory: the current preset, the
// program's copies of the six stored presets, the twenty device preset
// records and the system records. All multi-byte values are little-endian.
#pragma once

#include "model/DeviceLock.h"
#include "model/DeviceRecords.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// ---------------------------------------------------------------------------
// Parameter block layout (5000 bytes)
// ---------------------------------------------------------------------------

constexpr int kParamBlockSize = 5000;
constexpr int kPresetNameOffset = 0;
constexpr int kPresetNameSize = 16;
constexpr int kEffectBlockOffset = 32;
constexpr int kEffectBlockSize = 152;
constexpr int kMicBlockOffset = 184;
constexpr int kMicBlockSize = 112;
constexpr int kMusicBlockOffset = 296;
constexpr int kMusicBlockSize = 288;
constexpr int kMusicInputCount = 4;
constexpr int kOutputBlockOffset = 1448;
constexpr int kOutputBlockSize = 296;
constexpr int kOutputCount = 12;
constexpr int kItemSize = 8;
constexpr int kStoredPresetCount = 6;
constexpr int kDevicePresetCount = 20;
constexpr int kDevicePresetSize = 168;

static_assert(kOutputBlockOffset + kOutputCount * kOutputBlockSize <= kParamBlockSize);

// Output block bytes with a meaning of their own.
constexpr int kOutBasicOffset = 248;     // item 31
constexpr int kOutCrossoverOffset = 256; // item 32
constexpr int kOutMixAOffset = 264;      // item 33
constexpr int kOutMixBOffset = 272;      // item 34
constexpr int kOutDynamicsOffset = 280;  // item 35
constexpr int kOutNameOffset = 288;      // item 36
constexpr int kOutLockMarkByte = 289;    // lock marker; in output 0 also the L/R link flag
constexpr int kOutPasswordOffset = 290;  // output 0 only: 6-character lock password

// The image and the records are guarded by g_DeviceLock: the link worker
// stores the device's replies into them while the UI thread reads and edits.
extern uint8_t g_ParamImage[kParamBlockSize] GUARDED_BY(g_DeviceLock);
extern uint8_t g_PcPresets[kStoredPresetCount][kParamBlockSize] GUARDED_BY(g_DeviceLock);
extern uint8_t g_DevicePresets[kDevicePresetCount][kDevicePresetSize] GUARDED_BY(g_DeviceLock);

// Views into a parameter block (the current image unless a block is given).
inline uint8_t* EffectBlock(uint8_t* block = g_ParamImage) {
    return block + kEffectBlockOffset;
}
inline uint8_t* MicBlock(uint8_t* block = g_ParamImage) {
    return block + kMicBlockOffset;
}
inline uint8_t* MusicInBlock(int ch, uint8_t* block = g_ParamImage) {
    return block + kMusicBlockOffset + kMusicBlockSize * ch;
}
inline uint8_t* OutputBlock(int ch, uint8_t* block = g_ParamImage) {
    return block + kOutputBlockOffset + kOutputBlockSize * ch;
}

// ---------------------------------------------------------------------------
// System records (payloads of group 9 frames; the sub-type is the record)
// ---------------------------------------------------------------------------

// The records themselves, the device's version text and status words are
// kept by g_DeviceRecords (model/DeviceRecords.h).

// System sub-types read at connection: the full read, then the version record.
extern const uint8_t g_InitialReadCodes[7];

// The default block of output ch (0..11), copied into the image at start-up.
const uint8_t* DefaultOutputBlock(int ch);

// Little-endian helpers.
inline uint16_t GetU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline int16_t GetS16(const uint8_t* p) {
    return static_cast<int16_t>(GetU16(p));
}
inline void PutU16(uint8_t* p, unsigned v) {
    p[0] = static_cast<uint8_t>(v & 0xFF);
    p[1] = static_cast<uint8_t>((v >> 8) & 0xFF);
}

// ---------------------------------------------------------------------------
// Operations
// ---------------------------------------------------------------------------

// Every start-up default of the image, the records and the shared model state.
void InitParamModel();

// Puts the crossovers of tweeter outputs back into a usable range after a load.
void FixTweeterCrossovers();
// The same for one crossover record (item 32: high-pass frequency, family,
// slope; low-pass frequency, family, slope): a high-pass below 20 Hz becomes
// 20 Hz (and then a low-pass below it 20 kHz), a high-pass slope off becomes 1.
void FixTweeterCrossoverRecord(uint8_t* record);

// Fixed-length text fields hold GBK bytes. FieldToString reads bytes 0..n-2
// up to the first zero, trims blanks at both ends and returns UTF-8.
std::string FieldToString(const uint8_t* field, size_t n);
// The same over all n bytes.
std::string FieldToStringAll(const uint8_t* field, size_t n);
// Why a text was refused for a fixed-length field. The model never shows a
// message: it hands the reason to its caller, and the user interface shows
// TextFieldErrorText once it holds no lock.
enum class TextFieldError { None, TooLong, Invalid };
// The refusals of one operation, in the order they happened (no None).
using TextFieldErrors = std::vector<TextFieldError>;
// The program's message for a refusal in the current language: "Char len
// error!" / "字符长度错误!", "Invalid characters!" / "字符无效!"; empty for None.
std::string TextFieldErrorText(TextFieldError error);
// Writes the UTF-8 text as GBK bytes, zero-padded, byte n-1 always 0. A text
// of n or more bytes (TooLong) or one GBK cannot hold (Invalid) is refused and
// leaves the field unchanged.
TextFieldError StringToField(uint8_t* field, size_t n, const std::string& text);
// The same for text that is already GBK bytes (a name from a document):
// only the length is checked.
TextFieldError BytesToField(uint8_t* field, size_t n, const std::string& gbk);
// The text of a field as bytes: the first max bytes up to the first zero,
// blanks trimmed at both ends (FieldToString and FieldToStringAll before
// they decode).
std::string FieldText(const uint8_t* field, size_t max);

// 1 when another preset has this name (compared as text up to the first zero
// byte within the length): stored presets 0..5 with stored set, else device
// preset records 0..19.
int IsPresetNameUsed(int index, const uint8_t* name, int stored, int length);
int IsBlankString(const std::string& text);

int IsAnyOutputLocked();
void SetOutputLockMarks(int flag);

void ResetUsbLinkState();
void ResetNetLinkState();
void ResetLinkStates();
