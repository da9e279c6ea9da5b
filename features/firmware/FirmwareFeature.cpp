#include "features/firmware/FirmwareFeature.h"

#include "controls/ModalDialog.h"
#include "link/DeviceSession.h"
#include "features/firmware/FirmwareUpdateDialog.h"
#include "model/Globals.h"

#include <utility>

namespace {

int RunModally(CFirmwareUpdateDialog& dialog) {
    return ctl::RunModal(dialog);
}

} // namespace

CFirmwareFeature::CFirmwareFeature(CDeviceSession& session, platform::ViewSettings& settings)
    : m_Session(session), m_Settings(settings), m_RunDialog(RunModally) {}

void CFirmwareFeature::SetDialogRunner(DialogRunner run) {
    m_RunDialog = run ? std::move(run) : DialogRunner(RunModally);
}

void CFirmwareFeature::OnUpdateCommand() {
    g_StateFlags[kFlagUpdateRetryRunning] = 0;
    {
        CFirmwareUpdateDialog dialog(m_Session, m_Settings);
        m_RunDialog(dialog);
    }
    // However the dialog ended, nothing of it stays.
    g_StateFlags[kFlagUpdateRetryRunning] = 0;
    m_Session.Firmware().Display().Attach(nullptr);
    g_StateFlags[kFlagFirmwareMode] = 0;
}
