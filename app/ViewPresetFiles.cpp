// The main view's preset-file commands: one preset (".jssh") or the whole
// device (".jsah") saved to and loaded from the computer, and the output map
// through the document's archive. Every file dialog goes through the chooser
// seam; the last folder of each kind is kept in the settings. A load rebuilds
// the model and the pages from what was read, sends it all to the device and
// takes the lock state from the loaded blocks.
#include "files/LumaraDoc.h"
#include "app/LumaraView.h"
#include "app/ShellMessages.h"
#include "controls/MessageBox.h"
#include "controls/SaveFileChooser.h"
#include "model/Archive.h"
#include "model/DataDefine.h"
#include "model/Globals.h"
#include "model/KTV_Data.h"
#include "model/SourceTable.h"
#include "platform/FileChooser.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <optional>
#include <vector>

namespace {

using platform::ViewSettings;

const BiText kSavePresetErrorText{"保存场景文件错误!", "Save presets file error!"};
const BiText kReadPresetErrorText{"读场景文件错误!", "Read presets file  error!"};
const BiText kSaveAllErrorText{"保存整机场景文件错误!", "Save all presets file error!"};
const BiText kReadAllErrorText{"读整机场景文件错误!", "Read all presets file error!"};
const BiText kSaveMapErrorText{"保存输出配置错误!", "Save output map error!"};
const BiText kReadMapErrorText{"读输出配置错误!", "Read output map error!"};

// The output map's files carry no extension of their own.
const char* const kOutputMapFileExt = "jssh";

// A file command's failure: its message, then why (the codec's words).
void SayFileError(const BiText& text, const std::string& why) {
    std::string message = text.Pick();
    if (!why.empty()) message += "\n" + why;
    const int chinese = g_LanguageFlag.load() ? 1 : 0;
    ShowMessageBox(nullptr, message, g_ProductTitle, MB_OK, chinese, chinese ? -2 : -3);
}

platform::FileRequest Request(platform::FileRequest::Kind kind, QWidget* parent,
                              const QString& folder, const char* suffix) {
    platform::FileRequest r;
    r.kind = kind;
    r.parent = parent;
    r.folder = folder;
    r.filter = QStringLiteral("*.") + QString::fromUtf8(suffix);
    r.defaultSuffix = QString::fromUtf8(suffix);
    return r;
}

std::optional<QString> ChooseFileToOpen(QWidget* parent, const std::string& folder,
                                        const char* suffix) {
    return platform::ChooseFile(
        Request(platform::FileRequest::Open, parent, QString::fromStdString(folder), suffix));
}

// The name to write, asked before an existing file is replaced.
std::optional<QString> ChooseFileToSave(QWidget* parent, const std::string& folder,
                                        const char* suffix) {
    return ctl::ChooseSaveFile(
        Request(platform::FileRequest::Save, parent, QString::fromStdString(folder), suffix));
}

std::string FolderOf(const QString& path) {
    return QDir::toNativeSeparators(QFileInfo(path).absolutePath()).toStdString();
}

// The file's name without its folder and its last extension.
std::string TitleOf(const QString& path) {
    return QFileInfo(path).completeBaseName().toStdString();
}

// The name as the file system takes it.
std::string FileSystemName(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

enum class Dialog { Open, Save };
enum class Folder { Keep, Leave };

// Asks for a file of a kind in the folder the settings keep for it; with
// Keep, the chosen file's folder is kept for the next time.
std::optional<QString> AskForFile(QWidget* parent, ViewSettings& settings, int kind,
                                  const char* suffix, Dialog dialog, Folder folder) {
    settings.LoadFileFolder(kind);
    const std::optional<QString> path =
        dialog == Dialog::Open ? ChooseFileToOpen(parent, settings.Folder(kind), suffix)
                               : ChooseFileToSave(parent, settings.Folder(kind), suffix);
    if (path && folder == Folder::Keep) {
        settings.Folder(kind) = FolderOf(*path);
        settings.SaveFileFolder(kind);
    }
    return path;
}

} // namespace

// ---------------------------------------------------------------------------
// The commands
// ---------------------------------------------------------------------------

bool CLumaraView::OnFileCommand(int id) {
    switch (id) {
    case ID_FILE_LOAD_PRESET:
        OnFileLoadPreset();
        return true;
    case ID_FILE_LOAD_ALL_PRESETS:
        OnFileLoadAllPresets();
        return true;
    case ID_FILE_SAVE_PRESET:
        OnFileSavePreset();
        return true;
    case ID_FILE_SAVE_ALL_PRESETS:
        OnFileSaveAllPresets();
        return true;
    default:
        return false;
    }
}

// ---------------------------------------------------------------------------
// One preset
// ---------------------------------------------------------------------------

bool CLumaraView::SavePresetFile() {
    // The folder of a saved preset is not kept.
    const std::optional<QString> path =
        AskForFile(this, m_ViewSettings, ViewSettings::kPresetFolder, g_PresetFileExt, Dialog::Save,
                   Folder::Leave);
    if (!path) return false;
    bool saved;
    {
        CTextFieldMessages refused; // said once the lock below is released
        refused.Add(m_Data->WriteAllToImage());
        DeviceLockGuard lock(g_DeviceLock);
        saved = m_PresetJson.SavePresetFile(FileSystemName(*path));
    }
    if (!saved) {
        SayFileError(kSavePresetErrorText, m_PresetJson.ErrorText());
        return false;
    }
    SetCurrentPresetName(TitleOf(*path));
    g_ParamSentFlag = 0;
    return true;
}

bool CLumaraView::LoadPresetFile() {
    const std::optional<QString> path =
        AskForFile(this, m_ViewSettings, ViewSettings::kPresetFolder, g_PresetFileExt, Dialog::Open,
                   Folder::Keep);
    if (!path) return false;
    bool loaded;
    {
        DeviceLockGuard lock(g_DeviceLock);
        loaded = m_PresetJson.LoadPresetFile(FileSystemName(*path));
        // The edits made before are gone with the data they changed: the
        // poller must not rename the loaded data "Custom" meanwhile.
        if (loaded) g_ParamSentFlag = 0;
    }
    if (!loaded) {
        // The codec stored nothing: the image, the model and the device are as they were.
        SayFileError(kReadPresetErrorText, m_PresetJson.ErrorText());
        return false;
    }
    m_Data->LoadFromImage(g_ParamImage, -1);
    ApplyLinkStateAfterLoad();
    ApplyMapFromDevice(0);
    SelectSource(g_DeviceRecords.ActiveSource(), 0);
    SetCurrentPresetName(TitleOf(*path));
    // The transfer packs the lock password into output 0's block: the file's,
    // not the one of the data it replaces.
    m_Lock.RefreshFromImage();
    SendPresetToDevice(0, false);
    g_ChannelFlags->Reset();
    PostMessage(WM_LOCK_STATE_AFTER_LOAD, 0, 0);
    return true;
}

// ---------------------------------------------------------------------------
// The whole device
// ---------------------------------------------------------------------------

bool CLumaraView::ChooseAllPresetsFile() {
    const std::optional<QString> path =
        AskForFile(this, m_ViewSettings, ViewSettings::kAllPresetsFolder, g_AllPresetsFileExt,
                   Dialog::Save, Folder::Keep);
    if (!path) return false;
    m_AllPresetsFilePath = FileSystemName(*path);
    return true;
}

bool CLumaraView::WriteAllPresetsFile() {
    bool saved;
    {
        DeviceLockGuard lock(g_DeviceLock);
        saved = m_PresetJson.SaveAllPresetsFile(m_AllPresetsFilePath);
    }
    if (saved) return true;
    SayFileError(kSaveAllErrorText, m_PresetJson.ErrorText());
    return false;
}

bool CLumaraView::LoadAllPresetsFile() {
    const std::optional<QString> path =
        AskForFile(this, m_ViewSettings, ViewSettings::kAllPresetsFolder, g_AllPresetsFileExt,
                   Dialog::Open, Folder::Keep);
    if (!path) return false;
    bool loaded;
    {
        DeviceLockGuard lock(g_DeviceLock);
        loaded = m_PresetJson.LoadAllPresetsFile(FileSystemName(*path));
        if (loaded) g_ParamSentFlag = 0; // as for one preset
    }
    if (!loaded) {
        SayFileError(kReadAllErrorText, m_PresetJson.ErrorText());
        return false;
    }
    int mixSource;
    {
        DeviceLockGuard lock(g_DeviceLock);
        g_ActiveSource = g_DeviceRecords.ActiveSource();
        mixSource = g_DeviceRecords.SecondSource();
    }
    g_SourceTable->SetCurrent(mixSource == 0xFF ? 6 : mixSource);
    m_Data->LoadFromImage(g_ParamImage, -1);
    SelectSource(g_DeviceRecords.ActiveSource(), 0);
    ApplyLinkStateAfterLoad();
    ApplyMapFromDevice(0);
    m_Lock.RefreshFromImage(); // the file's password for output 0's blocks
    SendAllPresetsToDevice();
    RefreshAllPages();
    g_ChannelFlags->Reset();
    RefreshPresetName();
    PostMessage(WM_LOCK_STATE_AFTER_LOAD, 0, 0);
    return true;
}

// ---------------------------------------------------------------------------
// The output map (no command of the program uses these)
// ---------------------------------------------------------------------------

bool CLumaraView::SaveOutputMapFile() {
    const std::optional<QString> path = AskForFile(this, m_ViewSettings, ViewSettings::kMapFolder,
                                                   kOutputMapFileExt, Dialog::Save, Folder::Keep);
    if (!path) return false;
    CArchive ar;
    m_Doc.SerializeOutputMap(ar);
    // Written beside the file and renamed over it: a failed write keeps the old file.
    QSaveFile file(*path);
    const std::vector<uint8_t>& bytes = ar.Bytes();
    const bool saved =
        file.open(QIODevice::WriteOnly) &&
        file.write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size()) &&
        file.commit();
    if (!saved) {
        SayFileError(kSaveMapErrorText, file.errorString().toStdString());
        return false;
    }
    return true;
}

bool CLumaraView::LoadOutputMapFile() {
    const std::optional<QString> path = AskForFile(this, m_ViewSettings, ViewSettings::kMapFolder,
                                                   kOutputMapFileExt, Dialog::Open, Folder::Keep);
    if (!path) return false;
    QFile file(*path);
    // The map file is a few hundred bytes: anything far larger is not one.
    constexpr qint64 kMaxMapFile = 64 * 1024;
    if (!file.open(QIODevice::ReadOnly)) {
        SayFileError(kReadMapErrorText, file.errorString().toStdString());
        return false;
    }
    if (file.size() > kMaxMapFile) {
        SayFileError(kReadMapErrorText, {});
        return false;
    }
    const QByteArray data = file.readAll();
    CArchive ar(reinterpret_cast<const uint8_t*>(data.constData()),
                static_cast<size_t>(data.size()));
    if (!m_Doc.SerializeOutputMap(ar)) {
        SayFileError(kReadMapErrorText, {});
        return false;
    }
    return true;
}
