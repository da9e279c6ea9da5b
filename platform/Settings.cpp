#include "platform/Settings.h"

#include "model/Globals.h"
#include "platform/UiGlobals.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <climits>
#include <cstdlib>

namespace platform {

namespace {

QString Key(const std::string& group, const std::string& name) {
    return QString::fromStdString(group) + QLatin1Char('/') + SettingsStore::EscapeName(name);
}

int HexDigit(QChar c) {
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9') return u - '0';
    if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    if (u >= 'a' && u <= 'f') return u - 'a' + 10;
    return -1;
}

// Leading decimal digits, as the number was always read: "12x" is 12,
// text without digits 0, out-of-range numbers clamped.
int ParseDecimal(const std::string& text) {
    long v = std::strtol(text.c_str(), nullptr, 10);
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

} // namespace

QString SettingsStore::DefaultPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/lumara/lumara.ini");
}

SettingsStore::SettingsStore(const QString& path)
    : settings_(std::make_unique<QSettings>(path, QSettings::IniFormat)) {}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::FilePath() const {
    return settings_->fileName();
}

QString SettingsStore::EscapeName(const std::string& name) {
    const QString in = QString::fromStdString(name);
    QString out;
    out.reserve(in.size());
    for (QChar c : in) {
        if (c == QLatin1Char('%'))
            out += QStringLiteral("%25");
        else if (c == QLatin1Char('/'))
            out += QStringLiteral("%2F");
        else if (c == QLatin1Char('\\'))
            out += QStringLiteral("%5C");
        else
            out += c;
    }
    return out;
}

std::string SettingsStore::UnescapeName(const QString& key) {
    QString out;
    out.reserve(key.size());
    for (qsizetype i = 0; i < key.size(); ++i) {
        if (key[i] == QLatin1Char('%') && i + 2 < key.size()) {
            const int hi = HexDigit(key[i + 1]), lo = HexDigit(key[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out += QChar(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        out += key[i];
    }
    return out.toStdString();
}

bool SettingsStore::Commit() {
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

bool SettingsStore::HasGroup(const std::string& group) const {
    std::lock_guard<std::mutex> lock(mutex_);
    settings_->sync();
    settings_->beginGroup(QString::fromStdString(group));
    const bool any = !settings_->childKeys().isEmpty();
    settings_->endGroup();
    return any;
}

std::optional<std::string> SettingsStore::Read(const std::string& group, const std::string& name,
                                               std::size_t bufferBytes) const {
    std::lock_guard<std::mutex> lock(mutex_);
    settings_->sync();
    const QVariant v = settings_->value(Key(group, name));
    if (!v.isValid() || v.typeId() != QMetaType::QString) return std::nullopt;
    std::string text = v.toString().toStdString();
    if (bufferBytes != kNoLimit && text.size() + 1 > bufferBytes) return std::nullopt;
    return text;
}

bool SettingsStore::Write(const std::string& group, const std::string& name,
                          const std::string& value) {
    std::lock_guard<std::mutex> lock(mutex_);
    settings_->setValue(Key(group, name), QString::fromStdString(value));
    return Commit();
}

bool SettingsStore::Remove(const std::string& group, const std::string& name) {
    std::lock_guard<std::mutex> lock(mutex_);
    settings_->remove(Key(group, name));
    return Commit();
}

bool SettingsStore::RemoveGroup(const std::string& group) {
    std::lock_guard<std::mutex> lock(mutex_);
    settings_->remove(QString::fromStdString(group));
    return Commit();
}

std::vector<std::string> SettingsStore::ValueNames(const std::string& group) const {
    std::lock_guard<std::mutex> lock(mutex_);
    settings_->sync();
    settings_->beginGroup(QString::fromStdString(group));
    const QStringList keys = settings_->childKeys();
    settings_->endGroup();
    std::vector<std::string> names;
    names.reserve(keys.size());
    for (const QString& k : keys)
        names.push_back(UnescapeName(k));
    return names;
}

// ---------------------------------------------------------------------------

namespace {

const char* const kFolderValue[4] = {settings::kFilePath, settings::kAllFilePath,
                                     settings::kMapPath, settings::kHex};

bool IsFolderKind(int kind) {
    return kind >= 1 && kind <= 4;
}

std::string DefaultDocuments() {
    QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (docs.isEmpty() || !QFileInfo(docs).isDir()) docs = QDir::homePath();
    return docs.toStdString();
}

} // namespace

ViewSettings::ViewSettings(SettingsStore& store, QString documents)
    : store_(store),
      documents_(documents.isEmpty() ? DefaultDocuments() : documents.toStdString()) {}

std::string& ViewSettings::Folder(int kind) {
    return folders_[IsFolderKind(kind) ? kind - 1 : 0];
}

bool ViewSettings::IsMissingFolder(const std::string& path) {
    return path.empty() || !QFileInfo(QString::fromStdString(path)).isDir();
}

bool ViewSettings::CreateFolderGroup() {
    if (store_.HasGroup(settings::kPcFile)) return false;
    for (int k = 0; k < 4; ++k) {
        folders_[k] = documents_;
        store_.Write(settings::kPcFile, kFolderValue[k], documents_);
    }
    return true;
}

int ViewSettings::LoadFileFolder(int kind) {
    // A new group gets every folder; the kind is then not looked at.
    if (CreateFolderGroup() || !IsFolderKind(kind)) return 1;
    const char* name = kFolderValue[kind - 1];
    std::optional<std::string> v = store_.Read(settings::kPcFile, name, settings::kPathBuffer);
    if (!v || IsMissingFolder(*v)) {
        Folder(kind) = documents_;
        store_.Write(settings::kPcFile, name, documents_);
    } else {
        Folder(kind) = *v;
    }
    return 1;
}

int ViewSettings::SaveFileFolder(int kind) {
    if (CreateFolderGroup() || !IsFolderKind(kind)) return 1;
    const char* name = kFolderValue[kind - 1];
    if (!store_.Write(settings::kPcFile, name, Folder(kind))) {
        Folder(kind) = documents_;
        store_.Write(settings::kPcFile, name, documents_);
    }
    return 1;
}

int ViewSettings::LoadDspMcuSettings() {
    using namespace settings;
    if (!store_.HasGroup(kDspMcu)) {
        store_.Write(kDspMcu, kName, g_HexFilePath);
        store_.Write(kDspMcu, kPath, Folder(kUpdateFolder));
        store_.Write(kDspMcu, kLanguage, g_LanguageSetting);
        return 1;
    }
    if (std::optional<std::string> name = store_.Read(kDspMcu, kName, kNameBuffer))
        g_HexFilePath = *name;
    std::optional<std::string> path = store_.Read(kDspMcu, kPath, kPathBuffer);
    Folder(kUpdateFolder) = (!path || IsMissingFolder(*path)) ? documents_ : *path;
    g_LanguageSetting = store_.Read(kDspMcu, kLanguage, kShortBuffer).value_or(std::string());
    return 1;
}

int ViewSettings::SaveDspMcuSettings() {
    using namespace settings;
    if (!store_.HasGroup(kDspMcu)) return 1;
    store_.Write(kDspMcu, kName, g_HexFilePath);
    store_.Write(kDspMcu, kPath, Folder(kUpdateFolder));
    store_.Write(kDspMcu, kLanguage, g_LanguageSetting);
    return 1;
}

int ViewSettings::LoadLineSetting() {
    using namespace settings;
    if (!store_.HasGroup(kLineSet)) {
        store_.Write(kLineSet, kLineSet, std::to_string(g_LineSetting));
        return 1;
    }
    if (std::optional<std::string> v = store_.Read(kLineSet, kLineSet, kShortBuffer))
        g_LineSetting = ParseDecimal(*v);
    return 1;
}

int ViewSettings::SaveLineSetting() {
    using namespace settings;
    if (store_.HasGroup(kLineSet)) store_.Write(kLineSet, kLineSet, std::to_string(g_LineSetting));
    return 1;
}

void ViewSettings::StartUpLanguage() {
    Folder(kUpdateFolder) = documents_;
    LoadDspMcuSettings();
    if (g_LanguageSetting->empty()) {
        g_LanguageSetting = g_LanguageFlag.load() ? "Chinese" : "English";
        SaveDspMcuSettings();
    } else {
        g_LanguageFlag = g_LanguageSetting == "Chinese" ? 1 : 0;
    }
}

void ViewSettings::StartUpOthers() {
    LoadDspMcuSettings();
    SaveFileFolder(0);
    LoadLineSetting();
}

} // namespace platform
