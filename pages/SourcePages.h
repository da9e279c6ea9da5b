// The two pages that choose the active input source besides the main view's
// source list: the input page (pages/input/InputPage.h) and the level and
// delay page (pages/leveldelay/LevelDelayPage.h). Each tells the other of a
// change through the messages below, posted through the other's pointer
// while that page exists; a page clears its own pointer when it goes.
//
// Source numbers of these pages: 0 S/PDIF, 1 Hi.Level, 2 Phone, 3 AUX1,
// 4 AUX2, 5 AUX3, 6 off. The model holds four music inputs: sources 0..3
// have one each, AUX2, AUX3 and off have none.
#pragma once

#include "pages/PageBase.h"
#include "model/ThreadRole.h"

enum : unsigned {
    WM_SOURCE_REPORTED = WM_USER + 600, // (any, source 0..6): made active elsewhere
    WM_SOURCE_CHANGED = WM_USER + 601,  // (lock flag before, source before the change)
};

namespace source {

constexpr int kCount = 7; // 0..5 and off
constexpr int kOff = 6;
constexpr int kAux1 = 3;
constexpr int kMusicInputs = 4;

inline bool IsSource(long long s) {
    return s >= 0 && s < kCount;
}
// The music input behind a source; -1 for a source without one.
inline int MusicInputOf(int s) {
    return s >= 0 && s < kMusicInputs ? s : -1;
}
// The code under which the main view's lists and the device keep a second
// source: S/PDIF 0, Hi.Level 1, Phone 2, AUX1..AUX3 all AUX (3), off 6.
int DeviceCode(int s);

// The input lock of the master record: while set the input page edits no equaliser.
int LockFlag();
// Clears it; whether it was set (the caller then sends the master record).
bool ClearLockFlag();
// The active source made s: g_ActiveSource and the sources record's.
void SetActive(int s);

// The second source (g_SourceTable) follows the active source and input
// mode. When the new row no longer allows it, it falls back to off, and
// that reaches the device at once (the source-setup record, command 8).
// Returns 0 then, 1 while the second source stays.
int SecondSourceFollowsActive(IPageHost* view);
// Makes s the second source, also on the device (the source-setup record,
// command 8); the device's status reports wait while the user chooses.
void StoreSecondSource(IPageHost* view, int s);

} // namespace source

// What the two pages ask of each other.
class CSourcePage : public CViewPage {
public:
    using CViewPage::CViewPage;
    // The second source's availability after the active source or the input
    // mode changed (source and mode are read from the globals).
    virtual void UpdateSourceButton(int source, int mode) = 0;
};

// The input page and the level and delay page while they exist; null otherwise.
extern UiThreadOnly<CSourcePage*> g_pInputPage;
extern UiThreadOnly<CSourcePage*> g_pLevelDelayPage;
