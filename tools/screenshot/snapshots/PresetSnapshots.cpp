#include "tools/screenshot/snapshots/PresetSnapshots.h"

#include "tools/screenshot/snapshots/SnapshotFiles.h"

#include "features/presets/LockPanelPage.h"
#include "app/ScenePickerDialog.h"
#include "app/MachinePresetDialog.h"
#include "features/presets/PresetNamePrompt.h"
#include "features/presets/LockPasswordDialog.h"
#include "model/Globals.h"
#include "platform/Fonts.h"

#include <QCoreApplication>
#include <QDialog>
#include <QPainter>

namespace {

class LanguageScope {
public:
    explicit LanguageScope(int language) : kept_(g_LanguageFlag.load()) {
        g_LanguageFlag = language;
    }
    ~LanguageScope() { g_LanguageFlag = kept_; }
    LanguageScope(const LanguageScope&) = delete;
    LanguageScope& operator=(const LanguageScope&) = delete;

private:
    int kept_;
};

// The dialog's client area under a title bar with its caption.
QImage Framed(QDialog& dialog) {
    const QImage client = dialog.grab().toImage();
    constexpr int kTitle = 24;
    QImage out(client.width() + 2, client.height() + kTitle + 1, QImage::Format_RGB32);
    out.fill(QColor(96, 106, 122));
    QPainter p(&out);
    p.setPen(Qt::white);
    p.setFont(platform::ArialFont(16, 600));
    p.drawText(QRect(8, 0, out.width() - 16, kTitle), Qt::AlignVCenter | Qt::AlignLeft,
               dialog.windowTitle());
    p.drawImage(1, kTitle, client);
    return out;
}

} // namespace

QImage RenderNamePromptSnapshot(int language, int preset) {
    LanguageScope scope(language);
    CPresetNamePrompt dialog;
    dialog.SetPresetNumber(preset);
    dialog.OnInitDialog();
    return Framed(dialog);
}

QImage RenderScenePickerSnapshot(int language, int mode) {
    LanguageScope scope(language);
    CScenePickerDialog dialog;
    dialog.SetMode(mode);
    dialog.OnInitDialog();
    return dialog.grab().toImage();
}

QImage RenderPasswordSnapshot(int language, int mode) {
    LanguageScope scope(language);
    CLockPasswordDialog dialog(mode);
    dialog.OnInitDialog();
    return Framed(dialog);
}

QImage RenderLockPanelSnapshot(int language) {
    LanguageScope scope(language);
    QWidget area;
    area.resize(1275, 607);
    CLockPanelPage panel(&area);
    panel.setGeometry(area.rect());
    return panel.grab().toImage();
}

QImage RenderMachinePresetSnapshot(int language, int mode) {
    LanguageScope scope(language);
    CMachinePresetDialog dialog(nullptr);
    dialog.SetMode(mode);
    // Shown (off the screen) so that the grid lays out its scroll bars as
    // it does in the program.
    dialog.setAttribute(Qt::WA_DontShowOnScreen);
    dialog.show();
    QCoreApplication::processEvents();
    const QImage picture = Framed(dialog);
    dialog.hide();
    return picture;
}

bool SavePresetSnapshots(const QString& folder) {
    return SaveInBothLanguages(folder, [](int language, const SaveSnapshot& save) {
        save(RenderNamePromptSnapshot(language, 3), "name-prompt");
        save(RenderScenePickerSnapshot(language, CScenePickerDialog::kLoad), "scene-picker-load");
        save(RenderScenePickerSnapshot(language, CScenePickerDialog::kSave), "scene-picker-save");
        save(RenderPasswordSnapshot(language, CLockPasswordDialog::kLock), "password-lock");
        save(RenderPasswordSnapshot(language, CLockPasswordDialog::kUnlock), "password-unlock");
        save(RenderLockPanelSnapshot(language), "lock-panel");
        save(RenderMachinePresetSnapshot(language, CMachinePresetDialog::kLoad),
             "machine-preset-load");
        save(RenderMachinePresetSnapshot(language, CMachinePresetDialog::kSaveAs),
             "machine-preset-save-as");
        save(RenderMachinePresetSnapshot(language, CMachinePresetDialog::kDelete),
             "machine-preset-delete");
    });
}
