// The prompts and settings windows: the quit and save prompts, the About
// box, the connection choice, the advanced settings, and the preset panel
// on both pages with its password prompt.
#include "tools/screenshot/gallery/Gallery.h"

#include "features/system/AboutDialog.h"
#include "app/PresetPanelDialog.h"
#include "features/presets/PanelPasswordPrompt.h"
#include "features/system/AdvancedSettingsDialog.h"
#include "features/connection/ConnectionDialog.h"
#include "features/presets/SavePresetFilePrompt.h"
#include "features/system/WarningPrompt.h"
#include "controls/BitButton.h"
#include "controls/EditControls.h"
#include "features/firmware/SerialPort.h"

namespace {

template <class D> Pose Shown(D* dlg) {
    dlg->show();
    return Pose{dlg, {}, {}, [dlg] { delete dlg; }};
}

const ShotRegistration kWarn("quit-prompt", [](Gallery& g) {
    auto* dlg = new CWarningPrompt(&g.View());
    dlg->m_Message = g.Chinese() ? QStringLiteral("确定要退出程序吗?")
                                 : QStringLiteral("Do you want to quit the program?");
    return Shown(dlg);
});

const ShotRegistration kSaveData("save-prompt", [](Gallery& g) {
    return Shown(new CSavePresetFilePrompt(&g.View()));
});

const ShotRegistration kAbout("about",
                              [](Gallery& g) { return Shown(new CAboutDialog(&g.View())); });

// The connection choice with the serial kind chosen and two ports listed.
const ShotRegistration kConnect("connection-choice", [](Gallery& g) {
    auto* dlg = new CConnectionDialog(&g.View());
    std::vector<SerialPortInfo> ports(2);
    ports[0].displayName = "ttyS0";
    ports[1].displayName = "ttyUSB0";
    ports[1].usb = true;
    dlg->OnInitDialog(ports);
    dlg->OnChooseKind(kLinkSerial);
    return Shown(dlg);
});

// The advanced settings with the first output chosen in the list.
const ShotRegistration kAdvanced("advanced-settings", [](Gallery& g) {
    auto* dlg = new CAdvancedSettingsDialog(&g.View());
    dlg->SetData(g.View().Data());
    dlg->show();
    dlg->OnChannelClicked(0);
    return Pose{dlg, {}, {}, [dlg] { delete dlg; }};
});

const ShotRegistration kPanelFirst("preset-panel", [](Gallery& g) {
    auto* dlg = new CPresetPanelDialog(&g.View());
    dlg->m_View = &g.View();
    return Shown(dlg);
});

// The preset page, connected, with preset 2 recalled last.
const ShotRegistration kPanelPresets("preset-panel-presets", [](Gallery& g) {
    auto* dlg = new CPresetPanelDialog(&g.View());
    dlg->m_View = &g.View();
    dlg->show();
    dlg->SetPage(CPresetPanelDialog::kPresetPage);
    dlg->Button(CPresetPanelDialog::IDC_USB)->SetCheck(1);
    dlg->SendMessage(WM_DEVICE_DATA_DONE, 2, 0);
    return Pose{dlg, {}, {}, [dlg] { delete dlg; }};
});

const ShotRegistration kPanelPassword("preset-panel-password", [](Gallery& g) {
    auto* dlg = new CPanelPasswordPrompt(&g.View());
    dlg->show();
    dlg->PasswordEdit()->setText(QStringLiteral("kq3"));
    return Pose{dlg, {}, {}, [dlg] { delete dlg; }};
});

} // namespace
