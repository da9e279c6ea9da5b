// The mode menu's preset-file commands as the main view runs them: a file
// asked for through the program's file chooser and handed to the preset-file
// codec; a loaded preset becomes the current data and goes to the device.
#include "app/LumaraView.h"

#include "controls/MessageBox.h"
#include "model/DataDefine.h"
#include "model/Globals.h"
#include "model/KTV_Data.h"
#include "platform/FileChooser.h"

#include <optional>

namespace {

std::optional<std::string> AskForFile(QWidget* parent, platform::FileRequest::Kind kind,
                                      const char* ext) {
    platform::FileRequest request;
    request.kind = kind;
    request.parent = parent;
    request.filter = QStringLiteral("*.") + QString::fromLatin1(ext);
    request.defaultSuffix = QString::fromLatin1(ext);
    const std::optional<QString> path = platform::ChooseFile(request);
    if (!path) return std::nullopt;
    return path->toStdString();
}

void SayFileError(const CPresetJson& codec) {
    const int chinese = g_LanguageFlag.load() ? 1 : 0;
    ShowMessageBox(nullptr, codec.ErrorText(), g_ProductTitle, MB_OK, chinese, chinese ? -2 : -3);
}

// Reads a preset file (all: a whole-device file) into the image and the
// model, or says why it could not and changes nothing.
bool LoadIntoModel(CPresetJson& codec, CKTV_Data& data, const std::string& path, bool all) {
    bool loaded;
    {
        DeviceLockGuard lock(g_DeviceLock);
        loaded = all ? codec.LoadAllPresetsFile(path) : codec.LoadPresetFile(path);
        if (loaded) data.LoadFromImage(g_ParamImage, 0);
    }
    if (!loaded) SayFileError(codec);
    return loaded;
}

} // namespace

void CLumaraView::OnFileSavePreset() {
    const auto path = AskForFile(this, platform::FileRequest::Save, g_PresetFileExt);
    if (!path) return;
    CTextFieldMessages refused; // said once the lock is released
    bool saved;
    {
        DeviceLockGuard lock(g_DeviceLock);
        refused.Add(m_Data->WriteAllToImage());
        saved = m_PresetJson.SavePresetFile(*path);
    }
    if (!saved) SayFileError(m_PresetJson);
}

void CLumaraView::OnFileLoadPreset() {
    const auto path = AskForFile(this, platform::FileRequest::Open, g_PresetFileExt);
    if (!path || !LoadIntoModel(m_PresetJson, *m_Data, *path, false)) return;
    RefreshAllPages();
    SendPresetToDevice(0, false);
}

void CLumaraView::OnFileLoadAllPresets() {
    if (!IsConnected()) {
        ShowConnectionFailure();
        return;
    }
    const auto path = AskForFile(this, platform::FileRequest::Open, g_AllPresetsFileExt);
    if (!path || !LoadIntoModel(m_PresetJson, *m_Data, *path, true)) return;
    RefreshAllPages();
    SendAllPresetsToDevice();
}

void CLumaraView::OnFileSaveAllPresets() {
    SaveAllDevicePresetsToFile();
}
