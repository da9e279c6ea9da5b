// The firmware update as the user starts it from the system menu: the update
// dialog, modally, and nothing of the update left in the program once it
// closes, however it ended. The session does the work (link/DeviceSession.h);
// the dialog is features/firmware/FirmwareUpdateDialog.h.
#pragma once

#include <functional>

class CDeviceSession;
class CFirmwareUpdateDialog;

namespace platform {
class ViewSettings;
}

class CFirmwareFeature {
public:
    CFirmwareFeature(CDeviceSession& session, platform::ViewSettings& settings);

    // The system menu's firmware-update command.
    void OnUpdateCommand();

    // Runs the dialog (modally by default); tests drive it without waiting.
    using DialogRunner = std::function<int(CFirmwareUpdateDialog&)>;
    void SetDialogRunner(DialogRunner run);

private:
    CDeviceSession& m_Session;
    platform::ViewSettings& m_Settings;
    DialogRunner m_RunDialog;
};
