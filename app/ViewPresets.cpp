// The main view's preset names and scenes: the current preset's name on the
// preset-name button, a file's title taken as that name, and the scene
// picker's operations (recall a stored preset, store the current settings
// under a new name, delete a stored preset's name) with the naming rules.
#include "features/connection/TransferWindow.h"
#include "app/ScenePickerDialog.h"
#include "app/LumaraView.h"
#include "files/PresetNames.h"
#include "app/MachinePresetDialog.h"
#include "features/presets/PresetNamePrompt.h"
#include "controls/MessageBox.h"
#include "controls/ModalDialog.h"
#include "model/DataDefine.h"
#include "model/Globals.h"

#include <QLineEdit>

#include <cstring>

namespace {

const BiText kNotConnectedText{"未连接设备!", "Not connected to device!"};
const char* const kEmptyNameText = "请输入场景名!"; // in both languages

// A message with OK under the prompt caption of the language; it stays until answered.
void Prompt(const std::string& text) {
    const int chinese = g_LanguageFlag.load() ? 1 : 0;
    ShowMessageBox(nullptr, text, g_ProductTitle, MB_OK, chinese, chinese ? -2 : -3);
}

std::string ImageName() {
    DeviceLockGuard lock(g_DeviceLock);
    return FieldToString(g_ParamImage + kPresetNameOffset, kPresetNameSize);
}

} // namespace

// ---------------------------------------------------------------------------
// The current preset's name
// ---------------------------------------------------------------------------

void CLumaraView::SetCurrentPresetName(const std::string& title) {
    const TitleName name = PresetNameFromTitle(title);
    const QString shown = QString::fromStdString(name.shown);
    m_PresetNameEdit->setText(shown);
    m_PresetNameButton->SetCheck(name.shown.empty() ? 0 : 1);
    m_PresetNameButton->setText(shown);
    {
        DeviceLockGuard lock(g_DeviceLock);
        // Single-byte characters only, at most 13: the field always takes them.
        (void)StringToField(g_ParamImage + kPresetNameOffset, kPresetNameSize,
                            name.stored.empty() ? std::string(g_CustomName) : name.stored);
        g_EmptyName = name.shown;
    }
    g_SendCmd0Pending = 1;
}

void CLumaraView::ShowPresetName(int sendName) {
    const QString name = QString::fromStdString(ImageName());
    m_PresetNameButton->SetCheck(name.isEmpty() ? 0 : 1);
    m_PresetNameEdit->setText(name);
    m_PresetNameButton->setText(name);
    g_SendCmd0Pending = sendName;
}

void CLumaraView::RefreshPresetName() {
    std::string name = ImageName();
    m_PresetNameButton->SetCheck(name.empty() ? 0 : 1);
    if (name == g_CustomName) name = g_CustomNameText.Pick();
    m_PresetNameButton->setText(QString::fromStdString(name));
    g_SendCmd0Pending = 1;
}

// ---------------------------------------------------------------------------
// Scenes
// ---------------------------------------------------------------------------

void CLumaraView::OpenScenePicker(int mode) {
    CScenePickerDialog picker(window());
    picker.m_View = this;
    picker.SetMode(mode);
    ctl::RunModal(picker);
}

void CLumaraView::OpenMachinePresetDialog(int mode) {
    CMachinePresetDialog dialog(this, window());
    dialog.SetMode(mode);
    ctl::RunModal(dialog);
    g_PresetDlg = nullptr;
}

std::string CLumaraView::LoadOrSaveScene(bool load, int n) {
    if (n < 1 || n > kStoredPresetCount) return {};
    if (!g_DeviceSynced.load()) {
        ShowMessageBox(nullptr, kNotConnectedText.Pick(), g_ProductTitle, MB_OK,
                       g_LanguageFlag.load(), 0);
        return {};
    }
    if (load) {
        {
            DeviceLockGuard lock(g_DeviceLock);
            const PresetNameField name = g_DeviceRecords.StoredPresetNameField(n);
            std::memcpy(g_ParamImage + kPresetNameOffset, name.data(), name.size());
        }
        LoadDevicePreset(n);
        return {};
    }
    CPresetNamePrompt prompt(window());
    prompt.SetPresetNumber(n);
    if (ctl::RunModal(prompt) != QDialog::Accepted) return {};
    const std::string name = prompt.Name();

    SceneNameRefusal refusal;
    {
        DeviceLockGuard lock(g_DeviceLock);
        refusal = StoreSceneName(name, n);
    }
    // A refused name leaves the presets, the image and the device as they were.
    if (refusal == SceneNameRefusal::Empty) {
        ShowMessageBox(nullptr, kEmptyNameText, g_ProductTitle, MB_OK, g_LanguageFlag.load(), 2000);
        return {};
    }
    if (refusal != SceneNameRefusal::None) {
        Prompt(SceneNameRefusalText(refusal));
        return {};
    }
    // The transfer is queued before the name is asked for, so that the
    // device takes the whole preset first and the current name after it.
    SendPresetToDevice(n, true);
    ShowPresetName(1);
    return name;
}

bool CLumaraView::DeleteScene(const std::string& /*name*/, int n) {
    if (n < 1 || n > kStoredPresetCount) return false;
    // Without the device's data there is nothing to delete: say so rather
    // than ask, and leave the caption.
    if (!g_DeviceSynced.load()) {
        ShowMessageBox(nullptr, kNotConnectedText.Pick(), g_ProductTitle, MB_OK,
                       g_LanguageFlag.load(), 0);
        return false;
    }
    const bool cn = g_LanguageFlag.load() != 0;
    const std::string question = DeletePresetQuestion(n, cn);
    if (ShowMessageBox(nullptr, question, g_ProductTitle, MB_YESNO, cn, cn ? -2 : -3) != IDYES)
        return false;
    EraseStoredPresetName(n);
    return true;
}

void CLumaraView::EraseStoredPresetName(int n) {
    if (n < 1 || n > kStoredPresetCount) return;
    // The emptied name and its packets under one hold of the lock, so the
    // link worker never sends the name half changed.
    DeviceLockGuard lock(g_DeviceLock);
    g_DeviceRecords.SetStoredPresetNameField(n, PresetNameField{});
    if (g_DeviceRecords.CurrentStoredPreset() == n)
        m_Session.SendPresetSelect(n); // the empty name, and no preset current any more
    else
        SendCommand(kRecordPresetName, n);
}
