// The per-user settings: string values in named groups (the former registry
// keys "PC_File", "DspMcu", "Line_Set" and "USB"), kept by QSettings in an
// INI file under the user's configuration folder (XDG_CONFIG_HOME, else
// ~/.config): lumara/lumara.ini. Reads take a buffer size in bytes, as the
// values' readers always did, and refuse a value that does not fit with its
// terminating zero. Value names are escaped, so that a device path's '/' or
// '\' is not taken for a group separator. Safe to use from several threads;
// every write reaches the file at once, so that other running copies see it.
#pragma once

#include <QString>

#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class QSettings;

namespace platform {

class SettingsStore {
public:
    static constexpr std::size_t kNoLimit = static_cast<std::size_t>(-1);

    // The file under the configuration folder.
    static QString DefaultPath();

    explicit SettingsStore(const QString& path = DefaultPath());
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // A group exists while it holds a value: an empty group is a missing one.
    bool HasGroup(const std::string& group) const;
    // The value, or nothing when it is missing, not a plain text, or needs more
    // than bufferBytes with its terminating zero.
    std::optional<std::string> Read(const std::string& group, const std::string& name,
                                    std::size_t bufferBytes = kNoLimit) const;
    // False when the file cannot be written.
    bool Write(const std::string& group, const std::string& name, const std::string& value);
    bool Remove(const std::string& group, const std::string& name);
    bool RemoveGroup(const std::string& group);
    // The value names of a group, as they were written.
    std::vector<std::string> ValueNames(const std::string& group) const;

    QString FilePath() const;

    // The escaping of value names (a round trip).
    static QString EscapeName(const std::string& name);
    static std::string UnescapeName(const QString& key);

private:
    bool Commit();

    mutable std::mutex mutex_;
    std::unique_ptr<QSettings> settings_;
};

// Names of the groups and values.
namespace settings {
constexpr const char* kPcFile = "PC_File";
constexpr const char* kDspMcu = "DspMcu";
constexpr const char* kLineSet = "Line_Set";
constexpr const char* kUsb = "USB";
constexpr const char* kFilePath = "File_Path";
constexpr const char* kAllFilePath = "AllFile_Path";
constexpr const char* kMapPath = "Map_Path";
constexpr const char* kHex = "Hex";
constexpr const char* kName = "Name";
constexpr const char* kPath = "Path";
constexpr const char* kLanguage = "Language";
// Read buffers, in bytes.
constexpr std::size_t kPathBuffer = 260;
constexpr std::size_t kNameBuffer = 300;
constexpr std::size_t kShortBuffer = 10;
} // namespace settings

// The main view's settings operations and the buffers they fill (the "USB"
// group and its reset belong to the link: see StoredSettingsGroup.h): the four
// last folders (1 single-preset files, 2 whole-device files, 3 output-map
// files, 4 update files), the update file (g_HexFilePath), the language
// (g_LanguageSetting) and the equaliser display number (g_LineSetting).
class ViewSettings {
public:
    enum FolderKind { kPresetFolder = 1, kAllPresetsFolder = 2, kMapFolder = 3, kUpdateFolder = 4 };

    // documents: the default folder (empty: the user's documents folder, or
    // the home folder when there is none).
    explicit ViewSettings(SettingsStore& store, QString documents = {});

    // Each returns 1, as the view's operations always did.
    int LoadFileFolder(int kind);
    int SaveFileFolder(int kind);
    int LoadDspMcuSettings();
    int SaveDspMcuSettings();
    int LoadLineSetting();
    int SaveLineSetting();
    static bool IsMissingFolder(const std::string& path);

    // The start-up steps, in the view's order: the update folder starts as
    // the documents folder, the update-file settings are read, and the stored
    // language wins over the locale's (an empty one is stored from it).
    void StartUpLanguage();
    // Later in the start-up: the update-file settings again, the "PC_File"
    // group made sure of, the display number read.
    void StartUpOthers();

    std::string& Folder(int kind); // kinds 1..4
    const std::string& Documents() const { return documents_; }

private:
    // Creates the "PC_File" group with the documents folder in every value
    // when it is missing; returns whether it did.
    bool CreateFolderGroup();

    SettingsStore& store_;
    std::string documents_;
    std::string folders_[4];
};

} // namespace platform
