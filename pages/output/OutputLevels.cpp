// The output page's level, delay and phase controls and its other buttons.
// Before any Qt header: Qt's "slots" keyword would take the groups' member name.
#include "model/SpeakerGroups.h"

#include "pages/output/OutputDlg.h"

#include "controls/NumEdit.h"
#include "model/Globals.h"

void COutputDlg::OnPageCommand(int, int) {}

void COutputDlg::OnPageListChoice(int, int) {}

void COutputDlg::OnLevelSlider(int, bool) {}

void COutputDlg::RefreshSpeakerGroupState() {
    UpdateDelayFieldsLock();
}

void COutputDlg::UpdateDelayFieldsLock() {
    // The lock mark is never shown, so the fields stay editable.
    const bool locked = Control(IDC_DELAY_LOCK_MARK)->isVisible();
    for (int id : {IDC_DELAY_CM, IDC_DELAY_MS, IDC_DELAY_INCH})
        Field(id)->SetLocked(locked);
}
