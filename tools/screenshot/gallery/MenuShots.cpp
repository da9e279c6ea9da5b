// The two menus of the top bar and every dialog they and the top bar's
// system and Map reset buttons open, with the simulated device's data.
#include "tools/screenshot/gallery/Gallery.h"

#include "features/sources/DefaultSourceDialog.h"
#include "features/system/FactoryResetPrompt.h"
#include "app/MainWindow.h"
#include "features/system/MixAccessCodePrompt.h"
#include "features/outputs/OutputMapResetPrompt.h"
#include "features/presets/SourcePresetsDialog.h"
#include "controls/MessageBox.h"
#include "controls/ModalDialog.h"
#include "controls/NumEdit.h"
#include "controls/NumSpin.h"
#include "model/DataDefine.h"
#include "model/ModelLock.h"
#include "features/system/SystemSettingsDialog.h"
#include "features/system/MixParametersDialog.h"
#include "features/sources/SourceVolumesDialog.h"

#include <QLineEdit>
#include <QMenu>

#include <functional>
#include <utility>

namespace {

// A menu open under its button, over the main window.
Pose MenuUnder(Gallery& g, QMenu* menu, int buttonId) {
    CLumaraView& view = g.View();
    if (buttonId == CLumaraView::IDC_MODE_MENU) view.PrepareModeMenu();
    const QWidget* button = view.findChild<QWidget*>(QString::number(buttonId));
    menu->popup(view.MenuPopupPoint(button));
    g.Settle();
    return Pose{&g.Frame(), {menu}, {}, [menu] { menu->hide(); }};
}

const ShotRegistration kModeMenu("mode-menu", [](Gallery& g) {
    return MenuUnder(g, g.View().ModeMenu(), CLumaraView::IDC_MODE_MENU);
});

// Without a device the whole-device items are greyed.
const ShotRegistration kModeMenuOffline("mode-menu-offline", [](Gallery& g) {
    g.GoOffline();
    Pose pose = MenuUnder(g, g.View().ModeMenu(), CLumaraView::IDC_MODE_MENU);
    QImage picture = Gallery::Compose(pose.window, pose.over);
    pose.undo();
    g.GoOnline();
    return Pose{nullptr, {}, picture, {}};
});

const ShotRegistration kSystemMenu("system-menu", [](Gallery& g) {
    return MenuUnder(g, g.View().SystemMenu(), CLumaraView::IDC_SYSTEM_MENU);
});

// A dialog shown as its command opens it, without its modal loop.
template <class Dialog> Pose Shown(Dialog* dialog) {
    dialog->show();
    return Pose{dialog, {}, {}, [dialog] { delete dialog; }};
}

// The first output with a limiter at 0 dBu over a 4:1 compressor from -15 dBu.
const ShotRegistration kSystemDialog("system-dialog", [](Gallery& g) {
    auto* dialog = new CSystemSettingsDialog(&g.View());
    dialog->SetData(g.View().Data());
    Pose pose = Shown(dialog);
    const struct {
        CSystemSettingsDialog::Field field;
        int value;
    } values[] = {{CSystemSettingsDialog::kLimiterLevel, 300},
                  {CSystemSettingsDialog::kCompLevel, 150},
                  {CSystemSettingsDialog::kRatio, 31}};
    for (const auto& v : values) {
        dialog->Spin(0, v.field)->SetValueChecked(v.value);
        dialog->SendMessage(WM_COMMAND,
                            CommandWParam(CSystemSettingsDialog::SpinId(v.field, 0), 0));
    }
    return pose;
});

const ShotRegistration kMixParameters("mix-parameters", [](Gallery& g) {
    auto* dialog = new CMixParametersDialog(&g.View(), &g.View());
    dialog->SetData(g.View().Data());
    return Shown(dialog);
});

const ShotRegistration kSourceVolumes("source-volumes", [](Gallery& g) {
    return Shown(new CSourceVolumesDialog(&g.View(), &g.View()));
});

const ShotRegistration kAccessCode("access-code", [](Gallery& g) {
    auto* dialog = new CMixAccessCodePrompt(&g.View());
    dialog->CodeEdit()->setText(QStringLiteral("6039"));
    return Shown(dialog);
});

const ShotRegistration kAccessCodeShort("message-access-code-length", [](Gallery& g) {
    CMixAccessCodePrompt dialog(&g.View());
    dialog.show();
    dialog.CodeEdit()->setText(QStringLiteral("1234567"));
    QImage picture = g.WhileModal([&dialog] { dialog.OnOK(); });
    return Pose{nullptr, {}, picture, {}};
});

// A dialog that asks first, answered by play, then the message box after it.
QImage MessageAfter(Gallery& g, ctl::ModalScript play, const std::function<void()>& command) {
    const ctl::ModalScript previous = ctl::SetModalScript(std::move(play));
    QImage picture = g.WhileModal(command);
    ctl::SetModalScript(previous);
    return picture;
}

// Eight characters that are not the access code.
const ShotRegistration kAccessCodeWrong("message-access-code-wrong", [](Gallery& g) {
    auto wrongCode = [](QDialog& d) {
        auto& prompt = static_cast<CMixAccessCodePrompt&>(d);
        prompt.CodeEdit()->setText(QStringLiteral("12345678"));
        prompt.OnOK();
    };
    QImage picture = MessageAfter(g, wrongCode, [&g] { g.View().OnAdvancedCommand(); });
    return Pose{nullptr, {}, picture, {}};
});

// The factory reset confirmed without a device.
const ShotRegistration kFactoryResetOffline("message-factory-reset-offline", [](Gallery& g) {
    g.GoOffline();
    QImage picture = MessageAfter(
        g, [](QDialog& d) { d.accept(); }, [&g] { g.View().OnFactoryResetCommand(); });
    g.GoOnline();
    return Pose{nullptr, {}, picture, {}};
});

const ShotRegistration kSourcePresets("source-presets", [](Gallery& g) {
    return Shown(new CSourcePresetsDialog(&g.View(), &g.View()));
});

const ShotRegistration kDefaultSource("default-source", [](Gallery& g) {
    return Shown(new CDefaultSourceDialog(&g.View(), &g.View()));
});

const ShotRegistration kFactoryReset("factory-reset", [](Gallery& g) {
    return Shown(new CFactoryResetPrompt(&g.View()));
});

const ShotRegistration kMapReset("map-reset", [](Gallery& g) {
    return Shown(new COutputMapResetPrompt(&g.View()));
});

// The help file is not installed next to the gallery.
const ShotRegistration kHelpMissing("message-help-missing", [](Gallery& g) {
    QImage picture = g.WhileModal([&g] { g.View().OnHelpCommand(); });
    return Pose{nullptr, {}, picture, {}};
});

} // namespace
