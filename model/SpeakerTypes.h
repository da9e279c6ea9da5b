// Speaker types of the outputs (0 none, 1..24 positions and bands), the
// availability of each type, left/right pairs and duplicate removal.
#pragma once

#include "model/DeviceLock.h"
#include "model/ThreadRole.h"

#include <cstdint>

constexpr int kSpeakerTypeCount = 25;
constexpr int kSpeakerTypeTableSize = 38;

// States of a type in g_SpeakerTypeState.
constexpr uint8_t kTypeExcluded = 1;
constexpr uint8_t kTypeHeld = 2;
constexpr uint8_t kTypeFree = 3;

// Bytes 0..25: state of each type; bytes 26..37: the type of outputs 0..11.
extern UiThreadOnly<uint8_t[kSpeakerTypeTableSize]> g_SpeakerTypeState;
extern uint8_t* const g_OutputSpeakerType; // 12 bytes
// The table as start-up left it (the output-map reset reads it back).
extern UiThreadOnly<uint8_t[kSpeakerTypeTableSize]> g_SpeakerTypeStateDefaults;

struct SpeakerPair {
    int left = 0;
    int right = 0;
    int used = 0;
};
extern UiThreadOnly<SpeakerPair[6]> g_SpeakerPairsLR;

struct SpeakerTypeInfo {
    const char* en;
    const char* cn;
    int mirror; // the same band on the other side, -1 for none
};
// The type as every rule and picture takes it: a byte above 24 (from the
// device or a file) counts as 0, none, while the map keeps the byte itself.
inline int EffectiveSpeakerType(int type) {
    return type >= 0 && type < kSpeakerTypeCount ? type : 0;
}
// Output 0..11's type as the rules take it; 0 for an output outside 0..11.
int OutputSpeakerType(int output);
// The tweeter types (front, rear and centre), whose high-pass is never off.
inline bool IsTweeterSpeakerType(int type) {
    return type == 1 || type == 7 || type == 13 || type == 16 || type == 19;
}

// Name and mirror of type t; null for a type outside 0..24.
const SpeakerTypeInfo* GetSpeakerTypeInfo(int type);
// The name in the current language; "" for a type outside 0..24.
const char* SpeakerTypeName(int type);

void ResetSpeakerTypeStates();
void RecomputeSpeakerTypeStates();
void TakeSpeakerType(int type, int unused = 0);
void ReleaseSpeakerType(int type, int output);
bool FindSpeakerPairs();
bool FindSpeakerPairsLeftFirst();
bool ClearDuplicateSpeakerTypes();
// 0 left, 1 right, -1 no side (or an output outside 0..11).
int GetOutputSide(int output);
bool AnyOutputTyped();

// Popup-menu command of a type, and the position of its item in its submenu.
constexpr int kSpeakerTypeCommandBase = 4100;
int SpeakerTypeMenuPosition(int type);
