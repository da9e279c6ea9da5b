// Process-wide state shared by the model, the link worker and the windows.
// Everything here is plain C++: the engine libraries never see Qt.
#pragma once

#include "model/DeviceLock.h"
#include "model/ThreadRole.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

class CKTV_OutData;

// ---------------------------------------------------------------------------
// Language and lock
// ---------------------------------------------------------------------------

// Non-zero: Chinese texts and pictures; 0: English.
extern std::atomic<int> g_LanguageFlag;

// g_DeviceLock and DeviceLockGuard.

// Shared flags, one role per element; code names the element, never its number.
// Atomic: the link worker and the UI thread both read them.
constexpr int kStateFlagCount = 41;
extern std::atomic<int> g_StateFlags[kStateFlagCount];

enum StateFlag : int {
    kFlagUnused0,
    kFlagUnused1,
    kFlagUnused2,
    kFlagUnused3,
    kFlagUnused4,
    kFlagUnused5,
    kFlagUnused6,
    kFlagUnused7,
    kFlagUnused8,
    kFlagUnused9,
    kFlagUnused10,
    kFlagUnused11,
    kFlagUpdateHasMcu = 12,       // the update file has a controller part
    kFlagUpdateHasDsp = 13,       // the update file has a DSP part
    kFlagUpdateRetryRunning = 14, // the update dialog's connection retry runs
    kFlagInitialRead = 15,        // the quick reads of a new connection are out
    kFlagUnused16 = 16,
    kFlagFirmwareMode = 17,    // a firmware update drives the link
    kFlagKindChosenAgain = 18, // the connection kind was chosen again unchanged
    kFlagUnused19,
    kFlagUnused20,
    kFlagUnused21,
    kFlagUnused22,
    kFlagConnectedCopy = 23, // the connected flag, for the mode-page command
    kFlagSendCmd5 = 24,      // the master record is to be sent (g_SendCmd5Pending)
    kFlagSendCmd2 = 25,      // the sources record is to be sent (g_SendCmd2Pending)
    kFlagUnused26 = 26,
    kFlagLinkGroupOpen = 27,     // a joint-editing group is open for joining
    kFlagLockButtonPressed = 28, // set each time the lock button is pressed
    kFlagDataLocked = 29,        // the current data carries the lock marker
    kFlagDataUnlocked = 30,      // the user has unlocked the data
    kFlagUnused31 = 31,
    kFlagPresetFileRead = 32, // cleared by the single-preset archive reader
    kFlagLockPanelShown = 33,
    kFlagScenePickerOpen = 34,   // also lets the panel toggles report a right click
    kFlagMixItemsFirst = 35,     // the poller sends the mix items before the bands
    kFlagLastDeliveredSlot = 36, // slot of the preset whose data the device delivered last
    kFlagUnused37 = 37,
    kFlagMixParamDlg = 38, // the open mix-parameter dialog is registered
    kFlagMixWarning = 39,  // the mix source does not go with the input source
    kFlagStatusGuard = 40, // the user is changing source or master: status waits
};
static_assert(kFlagStatusGuard + 1 == kStateFlagCount, "every slot of g_StateFlags has a name");

// Named views of g_StateFlags the poller uses.
inline std::atomic<int>& g_SendCmd5Pending = g_StateFlags[kFlagSendCmd5];
inline std::atomic<int>& g_SendCmd2Pending = g_StateFlags[kFlagSendCmd2];
inline std::atomic<int>& g_MixItemsFirst = g_StateFlags[kFlagMixItemsFirst];

// Communication status flags: 1 a complete frame was collected, 5 a frame
// failed its trailer or checksum test.
constexpr int kCommStatusFlagCount = 14;
extern std::atomic<uint8_t> g_CommStatusFlags[kCommStatusFlagCount];
void ClearCommStatusFlags();

// ---------------------------------------------------------------------------
// Link and synchronisation state (written by one thread, polled by the other)
// ---------------------------------------------------------------------------

extern std::atomic<int> g_DeviceSynced;   // changes are marked for sending only while set
extern std::atomic<int> g_UnsentEdits;    // a channel changed while not synced (see ChangeMark)
extern std::atomic<int> g_ConnectionKind; // a LinkKind
enum LinkKind : int { kLinkNone = 0, kLinkUsb = 1, kLinkNetwork = 2, kLinkSerial = 3 };
extern std::atomic<int> g_DeviceVariant; // 1 "VELK-F", 2 "VELK-W"
extern std::atomic<int> g_UsbLinkUp;
extern std::atomic<int> g_NetLinkUp;
extern std::atomic<int> g_DeviceAbnormal;
extern std::atomic<int> g_TransferRunning;
extern std::atomic<int> g_SendCmd0Pending;   // the current name (record 0) is to be sent
extern std::atomic<int> g_ParamSentFlag;     // a parameter went out since the last preset load
extern std::atomic<int> g_StartChoice;       // 1 at start; the start page sets 1 or 2
extern std::atomic<int64_t> g_PerfFrequency; // ticks per second of the link's clock

constexpr int g_DeviceId = 1;

// A marking setter's change flag: g_DeviceSynced, so that the poller sends
// the item. A change made without it is noted in g_UnsentEdits, for the
// next connection to ask about before the device's data replaces it.
int ChangeMark();

// ---------------------------------------------------------------------------
// View state the model initialises and the pages change (UI thread)
// ---------------------------------------------------------------------------

extern UiThreadOnly<int> g_CurrentPage;
extern UiThreadOnly<int> g_CurrentOutput;
extern UiThreadOnly<int> g_ActiveSource;
extern UiThreadOnly<int> g_InputMode;
extern UiThreadOnly<int[12]> g_ShowCurve;
extern UiThreadOnly<int> g_DelayUnit;    // output page: 0 ms, 1 cm, 2 inch
extern UiThreadOnly<int> g_DistanceUnit; // level and delay page: 1 ms, 2 cm, 3 inch
extern UiThreadOnly<int> g_ScenePickerOpen;

// Output link tables.
extern int g_LinkKey[12] GUARDED_BY(g_DeviceLock); // read by the frame builders
extern UiThreadOnly<CKTV_OutData* [12]> g_LinkedOutData;
extern UiThreadOnly<int> g_LinkActive;
extern UiThreadOnly<int> g_LRLinkOn;

// The output page's joint-editing channel flags.
struct CChannelFlags {
    int index = -1;
    int flags[12] = {};
    void Reset();
};
extern UiThreadOnly<CChannelFlags> g_ChannelFlags;

// Third-octave centre frequencies of the 31 bands.
extern const int g_ThirdOctaveFreqs[31];

// ---------------------------------------------------------------------------
// Texts
// ---------------------------------------------------------------------------

// A text in both languages; Pick() follows g_LanguageFlag.
struct BiText {
    const char* cn;
    const char* en;
    const char* Pick() const { return g_LanguageFlag.load() ? cn : en; }
};

extern const BiText g_UsbFailText;
extern const BiText g_NetFailText;
extern const BiText g_RestoreEqText;
extern const BiText g_BypassEqText;
extern const BiText g_ResetEqText;
extern const BiText g_PeqToGeqText;
extern const BiText g_GeqToPeqText;
extern const BiText g_NotConnectedText;
extern const BiText g_ConnectedText;
extern const BiText g_WifiResetOkText;
extern const BiText g_WifiResetFailText;
extern const BiText g_PromptCaption;
extern const BiText g_WarningCaption;
extern const BiText g_CharLenErrorText;
extern const BiText g_CharInvalidText;
extern const BiText g_CustomNameText;

extern const char* const g_ProductTitle;
extern const char* const g_ModelName;
extern const char* const g_CaptionKey;
extern const char* const g_SoftwareVersion1;
extern const char* const g_SoftwareVersion2;
extern const char* const g_SoftwareVersion3;
extern const char* const g_PresetFileExt;
extern const char* const g_PresetFileFilter;
extern const char* const g_AllPresetsFileExt;
extern const char* const g_AllPresetsFileFilter;
extern const char* const g_UpdateFileExt;
extern const char* const g_UpdateFileFilter;
extern const char* const g_AccessCode;
extern const char* const g_CustomName;     // "Custom"
extern const char* const g_NullPresetName; // "NULL"

// Factory address of the device's network module.
extern const char* const g_DefaultDeviceAddress;

// Texts that change at run time (UI thread, or under g_DeviceLock where noted).
extern UiThreadOnly<std::string> g_LockPassword; // 6 characters, set by the lock dialog
extern UiThreadOnly<std::string> g_UnlockEntry;
extern std::string
    g_EmptyName GUARDED_BY(g_DeviceLock); // name last announced to the device (poller, under lock)
// The network module's address: written by the UI thread, read by the probe
// and the worker; copy it with DeviceAddress().
extern std::string g_DeviceIpAddress GUARDED_BY(g_DeviceLock);
std::string DeviceAddress();
extern UiThreadOnly<std::string> g_HexFilePath;
extern UiThreadOnly<std::string> g_NetMenuText;

// Device paths.
// The link worker opens the chosen path again after a lost link and during
// an update, while the UI thread may choose or enumerate: under the lock.
extern std::string g_UsbDevicePath GUARDED_BY(g_DeviceLock);
extern std::vector<std::string> g_UsbDevicePaths GUARDED_BY(g_DeviceLock);
extern UiThreadOnly<std::vector<std::string>> g_UsbDevicePathsCopy;

// ---------------------------------------------------------------------------
// Utilities
// ---------------------------------------------------------------------------

// Value in the radix as upper-case text; radix 16 is padded to four digits.
std::string NumberToText(long value, int radix);
