#include "platform/Settings.h"
#include "platform/StoredSettingsGroup.h"
#include "platform/UiGlobals.h"

#include "model/Globals.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

using namespace platform;
namespace names = platform::settings;

namespace {

// A private configuration folder and documents folder for each test.
class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("Documents")));
        docs = dir.filePath(QStringLiteral("Documents")).toStdString();
        file = dir.filePath(QStringLiteral("config/lumara/lumara.ini"));
        store = std::make_unique<SettingsStore>(file);
        g_HexFilePath->clear();
        g_LanguageSetting->clear();
        g_LineSetting = 1;
        g_LanguageFlag = 0;
    }
    void TearDown() override { g_LanguageFlag = 0; }

    ViewSettings View() { return ViewSettings(*store, QString::fromStdString(docs)); }
    std::string Value(const char* group, const char* name) {
        return store->Read(group, name).value_or("<missing>");
    }
    std::string MakeFolder(const char* name) {
        QDir(dir.path()).mkpath(QString::fromLatin1(name));
        return dir.filePath(QString::fromLatin1(name)).toStdString();
    }

    QTemporaryDir dir;
    std::string docs;
    QString file;
    std::unique_ptr<SettingsStore> store;
};

TEST_F(SettingsTest, TheDefaultFileIsUnderTheConfigurationFolder) {
    EXPECT_TRUE(SettingsStore::DefaultPath().startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")))
        << SettingsStore::DefaultPath().toStdString();
    EXPECT_TRUE(SettingsStore::DefaultPath().endsWith(QStringLiteral("/lumara/lumara.ini")));
}

TEST_F(SettingsTest, FirstStartCreatesEveryKeyAndValue) {
    g_LanguageFlag = 1; // a Chinese system locale
    ViewSettings view = View();
    view.StartUpLanguage();
    view.StartUpOthers();

    for (const char* name : {names::kFilePath, names::kAllFilePath, names::kMapPath, names::kHex})
        EXPECT_EQ(Value(names::kPcFile, name), docs) << name;
    EXPECT_EQ(Value(names::kDspMcu, names::kName), "");
    EXPECT_EQ(Value(names::kDspMcu, names::kPath), docs);
    EXPECT_EQ(Value(names::kDspMcu, names::kLanguage), "Chinese");
    EXPECT_EQ(Value(names::kLineSet, names::kLineSet), "1");
    EXPECT_EQ(g_LanguageFlag, 1);

    // The file itself holds the groups by their names.
    QSettings ini(file, QSettings::IniFormat);
    QStringList groups = ini.childGroups();
    groups.sort();
    EXPECT_EQ(groups, (QStringList{"DspMcu", "Line_Set", "PC_File"}));
}

TEST_F(SettingsTest, TheStoredLanguageWinsAtLaterStarts) {
    struct Case {
        const char* stored; // null: nothing stored yet
        int localeFlag;
        int wantFlag;
        const char* wantStored;
    };
    const Case cases[] = {
        {nullptr, 1, 1, "Chinese"},       {nullptr, 0, 0, "English"},
        {"Chinese", 0, 1, "Chinese"},     {"English", 1, 0, "English"},
        {"Deutsch", 1, 0, "Deutsch"},     // readable, not "Chinese": English
        {"Chinese12", 1, 0, "Chinese12"}, // 9 bytes fit the 10-byte buffer
        {"ChineseXYZ", 1, 1, "Chinese"},  // 10 characters: unreadable, the locale's
    };
    for (const Case& c : cases) {
        store->RemoveGroup(names::kDspMcu);
        if (c.stored) {
            store->Write(names::kDspMcu, names::kName, "");
            store->Write(names::kDspMcu, names::kLanguage, c.stored);
        }
        g_LanguageSetting->clear();
        g_LanguageFlag = c.localeFlag;
        View().StartUpLanguage();
        const std::string label = c.stored ? c.stored : "(none)";
        EXPECT_EQ(g_LanguageFlag, c.wantFlag) << label;
        EXPECT_EQ(Value(names::kDspMcu, names::kLanguage), c.wantStored) << label;
    }
}

TEST_F(SettingsTest, AStaleFolderIsReplacedByTheDocumentsFolder) {
    const std::string kept = MakeFolder("presets");
    const std::string gone = MakeFolder("gone");
    ViewSettings view = View();
    view.LoadFileFolder(0); // first start: the group with four documents folders
    store->Write(names::kPcFile, names::kFilePath, gone);
    store->Write(names::kPcFile, names::kAllFilePath, kept);
    QDir(QString::fromStdString(gone)).removeRecursively();

    view.LoadFileFolder(ViewSettings::kPresetFolder);
    EXPECT_EQ(view.Folder(ViewSettings::kPresetFolder), docs);
    EXPECT_EQ(Value(names::kPcFile, names::kFilePath), docs);
    view.LoadFileFolder(ViewSettings::kAllPresetsFolder);
    EXPECT_EQ(view.Folder(ViewSettings::kAllPresetsFolder), kept);
}

// Files start in the documents folder that the desktop's user-dirs.dirs
// names (as Qt reads it; the XDG_DOCUMENTS_DIR variable itself is not read),
// ~/Documents without one, and the home folder when that folder is missing.
TEST_F(SettingsTest, FilesStartInTheDocumentsFolderOfUserDirsElseHome) {
    const QByteArray home = qgetenv("HOME"), config = qgetenv("XDG_CONFIG_HOME");
    const QByteArray variable = qgetenv("XDG_DOCUMENTS_DIR");
    const std::string fakeHome = MakeFolder("home");
    const std::string fakeConfig = MakeFolder("xdg");
    qputenv("HOME", QByteArray::fromStdString(fakeHome));
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(fakeConfig));
    qputenv("XDG_DOCUMENTS_DIR", QByteArray::fromStdString(MakeFolder("variable")));
    struct Case {
        const char* name;
        const char* userDirs; // the line of user-dirs.dirs, null: no such file
        const char* folder;   // made under the home folder
        std::string want;
    } cases[] = {
        {"named", "XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n", "Papers", fakeHome + "/Papers"},
        {"not named", nullptr, "Documents", fakeHome + "/Documents"},
        {"missing", nullptr, nullptr, fakeHome},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(QString::fromStdString(fakeHome)).removeRecursively();
        QDir().mkpath(QString::fromStdString(fakeHome));
        if (c.folder) QDir(QString::fromStdString(fakeHome)).mkpath(QString::fromLatin1(c.folder));
        QFile dirs(QString::fromStdString(fakeConfig + "/user-dirs.dirs"));
        dirs.remove();
        if (c.userDirs) {
            ASSERT_TRUE(dirs.open(QIODevice::WriteOnly));
            dirs.write(c.userDirs);
            dirs.close();
        }
        store->RemoveGroup(names::kPcFile);
        ViewSettings view(*store, QString());
        view.LoadFileFolder(0);
        EXPECT_EQ(view.Folder(ViewSettings::kUpdateFolder), c.want);
        EXPECT_EQ(view.Folder(ViewSettings::kPresetFolder), c.want);
    }
    qputenv("HOME", home);
    qputenv("XDG_CONFIG_HOME", config);
    if (variable.isNull())
        qunsetenv("XDG_DOCUMENTS_DIR");
    else
        qputenv("XDG_DOCUMENTS_DIR", variable);
}

TEST_F(SettingsTest, SavingOneFolderWritesOnlyItsValue) {
    ViewSettings view = View();
    view.SaveFileFolder(0);
    view.Folder(ViewSettings::kMapFolder) = MakeFolder("maps");
    view.SaveFileFolder(ViewSettings::kMapFolder);
    EXPECT_EQ(Value(names::kPcFile, names::kMapPath), view.Folder(ViewSettings::kMapFolder));
    for (const char* other : {names::kFilePath, names::kAllFilePath, names::kHex})
        EXPECT_EQ(Value(names::kPcFile, other), docs) << other;
}

TEST_F(SettingsTest, ReadsRefuseValuesLongerThanTheirBuffers) {
    struct Case {
        const char* group;
        const char* name;
        size_t buffer;
    };
    const Case cases[] = {{names::kPcFile, names::kFilePath, names::kPathBuffer},
                          {names::kDspMcu, names::kName, names::kNameBuffer},
                          {names::kDspMcu, names::kLanguage, names::kShortBuffer},
                          {names::kLineSet, names::kLineSet, names::kShortBuffer}};
    for (const Case& c : cases) {
        // The buffer holds the text and its terminating zero.
        const std::string fits(c.buffer - 1, 'a'), tooLong(c.buffer, 'a');
        store->Write(c.group, c.name, fits);
        EXPECT_EQ(store->Read(c.group, c.name, c.buffer), fits) << c.name;
        store->Write(c.group, c.name, tooLong);
        EXPECT_EQ(store->Read(c.group, c.name, c.buffer), std::nullopt) << c.name;
    }
    // Bytes count, not characters: 86 Chinese characters and a letter are 259
    // bytes and fit; 87 Chinese characters are 261 bytes and do not.
    std::string chinese;
    for (int i = 0; i < 86; ++i)
        chinese += "文";
    store->Write(names::kPcFile, names::kHex, chinese + "a");
    EXPECT_EQ(store->Read(names::kPcFile, names::kHex, names::kPathBuffer), chinese + "a");
    store->Write(names::kPcFile, names::kHex, chinese + "文");
    EXPECT_EQ(store->Read(names::kPcFile, names::kHex, names::kPathBuffer), std::nullopt);
}

TEST_F(SettingsTest, OverLongUpdateSettingsFallBack) {
    ViewSettings view = View();
    g_HexFilePath = "/old/update.bin";
    view.LoadDspMcuSettings(); // creates the group from the current values
    store->Write(names::kDspMcu, names::kName, std::string(300, 'n'));
    store->Write(names::kDspMcu, names::kPath, std::string(260, 'p'));
    g_LanguageSetting = "English";
    view.LoadDspMcuSettings();
    EXPECT_EQ(g_HexFilePath, "/old/update.bin"); // the unreadable name is not taken
    EXPECT_EQ(view.Folder(ViewSettings::kUpdateFolder), docs);
    EXPECT_EQ(g_LanguageSetting, "");
}

TEST_F(SettingsTest, SavesDoNothingWithoutTheirGroup) {
    ViewSettings view = View();
    g_HexFilePath = "x.bin";
    view.SaveDspMcuSettings();
    g_LineSetting = 7;
    view.SaveLineSetting();
    EXPECT_FALSE(store->HasGroup(names::kDspMcu));
    EXPECT_FALSE(store->HasGroup(names::kLineSet));
}

TEST_F(SettingsTest, TheDisplayNumberIsReadAsDecimal) {
    struct Case {
        const char* stored;
        int want;
    };
    const Case cases[] = {{"1", 1}, {"12", 12}, {"12x", 12}, {"-3", -3}, {"x", 0}, {"", 0}};
    for (const Case& c : cases) {
        store->Write(names::kLineSet, names::kLineSet, c.stored);
        g_LineSetting = 99;
        View().LoadLineSetting();
        EXPECT_EQ(g_LineSetting, c.want) << c.stored;
    }
}

TEST_F(SettingsTest, AValueThatIsNotPlainTextCannotBeRead) {
    {
        QFile f(file);
        ASSERT_TRUE(QDir().mkpath(QFileInfo(file).path()));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[PC_File]\nFile_Path=a, b\n");
    }
    SettingsStore fresh(file);
    EXPECT_TRUE(fresh.HasGroup(names::kPcFile));
    EXPECT_EQ(fresh.Read(names::kPcFile, names::kFilePath), std::nullopt);
}

TEST_F(SettingsTest, DevicePathsAreEscapedValueNamesThatRoundTrip) {
    // The link marks the devices it holds through its settings interface.
    StoredSettingsGroup group(*store, names::kUsb);
    ISettingsGroup& marks = group;
    const std::vector<std::string> paths = {
        "/dev/hidraw0",
        "/sys/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/0003:0483:5750.0007/hidraw/hidraw3",
        "\\\\?\\hid#vid_0483&pid_5750#7&1a2b3c&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}",
        "already%2Fescaped%25",
        "a=b;c#d e,f",
        "设备/路径",
    };
    for (const std::string& p : paths)
        marks.SetValue(p, "1234:5678");

    // Another running copy sees the marks, under the names they were given.
    SettingsStore otherStore(file);
    StoredSettingsGroup other(otherStore, names::kUsb);
    std::vector<std::string> seen = other.Keys();
    std::vector<std::string> want = paths;
    std::sort(seen.begin(), seen.end());
    std::sort(want.begin(), want.end());
    EXPECT_EQ(seen, want);
    for (const std::string& p : paths)
        EXPECT_EQ(other.Value(p), "1234:5678") << p;

    // No '/' became a group of its own.
    QSettings ini(file, QSettings::IniFormat);
    ini.beginGroup(QStringLiteral("USB"));
    EXPECT_TRUE(ini.childGroups().isEmpty()) << ini.childGroups().join(' ').toStdString();
    ini.endGroup();

    other.Remove(paths[0]);
    EXPECT_EQ(marks.Value(paths[0]), std::nullopt);
    EXPECT_EQ(group.Keys().size(), paths.size() - 1);

    for (const std::string& p : paths)
        EXPECT_EQ(SettingsStore::UnescapeName(SettingsStore::EscapeName(p)), p);
}

TEST_F(SettingsTest, ClearingTheDeviceGroupDropsEveryMarkAndNothingElse) {
    View().SaveFileFolder(0);
    StoredSettingsGroup marks(*store, names::kUsb);
    marks.SetValue("/dev/hidraw1", "0");
    marks.SetValue("/dev/hidraw2", "0");
    marks.Clear();
    EXPECT_FALSE(store->HasGroup(names::kUsb));
    EXPECT_TRUE(marks.Keys().empty());
    EXPECT_EQ(marks.Value("/dev/hidraw1"), std::nullopt);
    EXPECT_TRUE(store->HasGroup(names::kPcFile));
}

} // namespace
