// The prompts and settings windows: the quit and save prompts, the About
// box, the connection choice, the advanced settings, and the preset panel
// on both pages with its password prompt.
#include "tools/screenshot/gallery/Gallery.h"

#include "app/AboutBoxDlg.h"
#include "app/AddSet_Dlg.h"
#include "app/Add_PW_Dlg.h"
#include "app/Adv_Seting.h"
#include "app/ConnectDlg.h"
#include "app/SaveData_Dlg.h"
#include "app/WarnDlg.h"
#include "controls/BitButton.h"
#include "controls/EditControls.h"
#include "link/ui/SerialPort.h"

namespace {

template <class D> Pose Shown(D* dlg) {
    dlg->show();
    return Pose{dlg, {}, {}, [dlg] { delete dlg; }};
}

const ShotRegistration kWarn("quit-prompt", [](Gallery& g) {
    auto* dlg = new CWarnDlg(&g.View());
    dlg->m_Message = g.Chinese() ? QStringLiteral("确定要退出程序吗?")
                                 : QStringLiteral("Do you want to quit the program?");
    return Shown(dlg);
});

const ShotRegistration kSaveData("save-prompt",
                                 [](Gallery& g) { return Shown(new CSaveData_Dlg(&g.View())); });

const ShotRegistration kAbout("about",
                              [](Gallery& g) { return Shown(new CAboutBoxDlg(&g.View())); });

// The connection choice with the serial kind chosen and two ports listed.
const ShotRegistration kConnect("connection-choice", [](Gallery& g) {
    auto* dlg = new CConnectDlg(&g.View());
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
    auto* dlg = new CAdv_Seting(&g.View());
    dlg->SetData(g.View().Data());
    dlg->show();
    dlg->OnChannelClicked(0);
    return Pose{dlg, {}, {}, [dlg] { delete dlg; }};
});

const ShotRegistration kPanelFirst("preset-panel", [](Gallery& g) {
    auto* dlg = new CAddSet_Dlg(&g.View());
    dlg->m_View = &g.View();
    return Shown(dlg);
});

// The preset page, connected, with preset 2 recalled last.
const ShotRegistration kPanelPresets("preset-panel-presets", [](Gallery& g) {
    auto* dlg = new CAddSet_Dlg(&g.View());
    dlg->m_View = &g.View();
    dlg->show();
    dlg->SetPage(CAddSet_Dlg::kPresetPage);
    dlg->Button(CAddSet_Dlg::IDC_USB)->SetCheck(1);
    dlg->SendMessage(WM_DEVICE_DATA_DONE, 2, 0);
    return Pose{dlg, {}, {}, [dlg] { delete dlg; }};
});

const ShotRegistration kPanelPassword("preset-panel-password", [](Gallery& g) {
    auto* dlg = new CAdd_PW_Dlg(&g.View());
    dlg->show();
    dlg->PasswordEdit()->setText(QStringLiteral("kq3"));
    return Pose{dlg, {}, {}, [dlg] { delete dlg; }};
});

} // namespace
