// The main view's side of the firmware update: the dialog, opened from the
// system menu, and the engine's two messages of an update. The session does
// the work (link/DeviceSession.h); the dialog is features/firmware/FirmwareUpdateDialog.h.
#include "app/LumaraView.h"

#include "controls/GradientProgressCtrl.h"
#include "controls/ModalDialog.h"
#include "features/firmware/FirmwareUpdateDialog.h"
#include "model/Globals.h"

int CLumaraView::RunUpgradeDialog(CFirmwareUpdateDialog& dialog) {
    return ctl::RunModal(dialog);
}

void CLumaraView::OnFirmwareUpdateCommand() {
    g_StateFlags[kFlagUpdateRetryRunning] = 0;
    {
        CFirmwareUpdateDialog dialog(m_Session, m_ViewSettings);
        RunUpgradeDialog(dialog);
    }
    // However the dialog ended, nothing of it stays.
    g_StateFlags[kFlagUpdateRetryRunning] = 0;
    m_Session.Firmware().Display().Attach(nullptr);
    g_StateFlags[kFlagFirmwareMode] = 0;
}

bool CLumaraView::ChooseUpdateFile() {
    return ::ChooseUpdateFile(m_ViewSettings, this);
}

LRESULT CLumaraView::OnFirmwareUpdateDone(WPARAM, LPARAM step) {
    m_Session.OnFirmwareUpdateDone(step);
    return 0;
}

LRESULT CLumaraView::OnFirmwareStartFailed(WPARAM, LPARAM) {
    m_Session.OnFirmwareStartFailed();
    return 0;
}

void CLumaraView::ShowUpdateRange(int range) {
    m_Progress->SetRange(0, range);
}
