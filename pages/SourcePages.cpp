#include "pages/SourcePages.h"

#include "model/DataDefine.h"
#include "model/Globals.h"
#include "model/ModelLock.h"
#include "model/SourceTable.h"

UiThreadOnly<CSourcePage*> g_pInputPage{nullptr};
UiThreadOnly<CSourcePage*> g_pLevelDelayPage{nullptr};

namespace source {

int DeviceCode(int s) {
    if (s >= kAux1 && s < kOff) return kAux1;
    return IsSource(s) ? s : kOff;
}

int LockFlag() {
    return g_DeviceRecords.InputLock();
}

bool ClearLockFlag() {
    DeviceLockGuard lock(g_DeviceLock);
    if (!g_DeviceRecords.InputLock()) return false;
    g_DeviceRecords.SetInputLock(0);
    return true;
}

void SetActive(int s) {
    g_ActiveSource = s;
    DeviceLockGuard lock(g_DeviceLock);
    g_DeviceRecords.SetActiveSource(s);
}

namespace {

void SendSecondSource(IPageHost* view, int s) {
    {
        DeviceLockGuard lock(g_DeviceLock);
        g_DeviceRecords.SetSecondSource(DeviceCode(s));
    }
    if (!view) return;
    view->SendCommand(kRecordSourceSetup, 0);
    view->ShowSourceSetup();
}

} // namespace

int SecondSourceFollowsActive(IPageHost* view) {
    const int before = g_SourceTable->current;
    if (g_SourceTable->SelectRow(g_ActiveSource, g_InputMode)) return 1;
    if (before != kOff) SendSecondSource(view, kOff);
    return 0;
}

void StoreSecondSource(IPageHost* view, int s) {
    if (!IsSource(s)) return;
    g_SourceTable->current = s;
    // As the main view's own list: the device's reports wait while the user chooses.
    g_StateFlags[kFlagStatusGuard] = 1;
    if (view) view->StartEditGuardTimer();
    SendSecondSource(view, s);
}

} // namespace source
