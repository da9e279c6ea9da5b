// Which second sources may accompany the active source in each input mode,
// and the second source itself.
#pragma once

#include "model/DeviceLock.h"
#include "model/ThreadRole.h"

struct CSourceTable {
    int current = 6; // second source 0..5, 6 off
    int enabled[7] = {};
    int mode0[6][7] = {};
    int mode1[5][7] = {};
    int mode2[4][7] = {};

    void Init();
    // Puts the row of (active source, mode) in force; 1 when the second source
    // is still allowed, else it falls back to off and the answer is 0.
    int SelectRow(int row, int mode);
    // Stores a second source reported by the device; values that are no
    // source (7 and above) count as off.
    void SetCurrent(int source);
};

extern UiThreadOnly<CSourceTable> g_SourceTable;
