// The preset-file commands of the view through the chooser seam: one preset
// and the whole device saved and loaded back (the image restored, the file's
// title as the name, everything sent to the device), refused files, the
// completed name and the question before replacing, a folder that cannot be
// written, and the folders kept in the settings.
#include "tests/app/PresetTestSupport.h"

#include "files/PresetJson.h"
#include "controls/NumEdit.h"
#include "model/KTV_Data.h"
#include "model/KTV_OutData.h"
#include "model/ModelLock.h"
#include "pages/output/OutputPage.h"
#include "tests/model/ModelFixture.h"

#include <gmock/gmock.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFocusEvent>

#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstring>

namespace {

using ::testing::ElementsAre;

// While it lives this thread cannot bypass file permissions, even as root
// (the capabilities stay permitted and come back at the end).
class WithoutPermissionOverride {
public:
    WithoutPermissionOverride() {
        header_.version = _LINUX_CAPABILITY_VERSION_3;
        header_.pid = 0;
        if (syscall(SYS_capget, &header_, saved_) != 0) return;
        __user_cap_data_struct reduced[2];
        std::memcpy(reduced, saved_, sizeof reduced);
        const unsigned drop =
            (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER);
        reduced[0].effective &= ~drop;
        active_ = syscall(SYS_capset, &header_, reduced) == 0;
    }
    ~WithoutPermissionOverride() {
        if (active_) syscall(SYS_capset, &header_, saved_);
    }

private:
    __user_cap_header_struct header_{};
    __user_cap_data_struct saved_[2]{};
    bool active_ = false;
};

std::string ReadAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll().toStdString();
}

// The bytes a one-preset file carries: the name, the first 112 bytes of each
// input and every output block.
std::vector<uint8_t> FileBytes(const uint8_t* block) {
    std::vector<uint8_t> out(block, block + 16);
    for (int i = 0; i < 4; ++i) {
        const uint8_t* in = block + kMusicBlockOffset + i * kMusicBlockSize;
        out.insert(out.end(), in, in + 112);
    }
    const uint8_t* outputs = block + kOutputBlockOffset;
    out.insert(out.end(), outputs, outputs + kOutputCount * kOutputBlockSize);
    return out;
}

std::vector<uint8_t> ImageFileBytes() {
    DeviceLockGuard lock(g_DeviceLock);
    return FileBytes(g_ParamImage);
}

class PresetFileCommandsTest : public PresetTest {
protected:
    QString Folder(const char* name) {
        QDir(dir.path()).mkpath(QString::fromUtf8(name));
        return QDir(dir.path()).filePath(QString::fromUtf8(name));
    }
    std::string Setting(const char* name) {
        return app.Settings().Read("PC_File", name).value_or(std::string());
    }
    void Command(int id) { view->SendMessage(WM_COMMAND, static_cast<WPARAM>(id), 0); }
    // Until the load's lock state has been taken.
    void WaitForLockState(int count = 1) {
        ASSERT_TRUE(
            PumpUntil([&] { return view->Count(WM_LOCK_STATE_AFTER_LOAD) >= count; }, 20000));
    }
    // A change of output 3 that reaches the image and the device, which then
    // runs "Custom" (the view follows).
    void ChangeOutput3(int gainCode) {
        {
            DeviceLockGuard lock(g_DeviceLock);
            view->Data()->GetOut(3)->GetFilter(5)->SetGainCode(static_cast<int16_t>(gainCode));
        }
        ASSERT_TRUE(PumpUntil(
            [&] { return view->Data()->GetOut(3)->GetFilter(5)->IsChanged() == 0; }, 15000));
        // The rename to "Custom" takes a few rounds between the poller and the view.
        ASSERT_TRUE(PumpUntil(
            [&] {
                DeviceLockGuard lock(g_DeviceLock);
                return g_EmptyName == g_CustomName &&
                       FieldToString(device.Image().data(), 16) == g_CustomName;
            },
            15000));
        ASSERT_TRUE(Settled());
        PumpUntil([] { return false; }, 200);
        ASSERT_TRUE(Settled());
        ASSERT_EQ(Caption(CLumaraView::IDC_PRESET_NAME), "Custom");
    }
    // The command with the link worker parked, so that the frames it queues
    // go out before anything the poller has of its own.
    void CommandParked(int id) {
        SuspendWorker();
        Command(id);
        ResumeWorker();
    }
};

// ---------------------------------------------------------------------------
// One preset
// ---------------------------------------------------------------------------

TEST_F(PresetFileCommandsTest, AOnePresetFileSavedAndLoadedRestoresTheImageAndReachesTheDevice) {
    StartConnected();
    ASSERT_TRUE(Settled());
    const QString saved = Folder("saved");
    const QString loaded = Folder("loaded");
    chooser.Answer(saved + QStringLiteral("/Club night"));
    Command(CLumaraView::ID_FILE_SAVE_PRESET);
    const QString file = saved + QStringLiteral("/Club night.jssh");
    ASSERT_TRUE(QFileInfo::exists(file));
    ASSERT_EQ(chooser.requests.size(), 1u);
    EXPECT_EQ(chooser.requests[0].kind, platform::FileRequest::Save);
    EXPECT_EQ(chooser.requests[0].filter.toStdString(), "*.jssh");
    EXPECT_EQ(chooser.requests[0].defaultSuffix.toStdString(), "jssh");
    // The file's title is the current name, on the button and in the image.
    EXPECT_EQ(Caption(CLumaraView::IDC_PRESET_NAME), "Club night");
    const std::vector<uint8_t> kept = ImageFileBytes();
    EXPECT_EQ(FieldToString(kept.data(), 16), "Club night");
    // Saving keeps no folder.
    const std::string savedFolderSetting = Setting("File_Path");
    EXPECT_NE(savedFolderSetting, QDir::toNativeSeparators(saved).toStdString());
    const int keptGain = view->Data()->GetOut(3)->GetFilter(5)->GetGainCode();

    // The settings change (and reach the device); the file comes back under another title.
    ChangeOutput3(keptGain == 300 ? 310 : 300);
    ASSERT_NE(ImageFileBytes(), kept);
    ASSERT_TRUE(QFile::copy(file, loaded + QStringLiteral("/Late set.jssh")));
    Mark();
    chooser.Answer(loaded + QStringLiteral("/Late set.jssh"));
    CommandParked(CLumaraView::ID_FILE_LOAD_PRESET);
    WaitForLockState();
    ASSERT_EQ(chooser.requests.size(), 2u);
    EXPECT_EQ(chooser.requests[1].kind, platform::FileRequest::Open);
    EXPECT_EQ(chooser.requests[1].folder.toStdString(), savedFolderSetting);

    // The image and the model hold the file again; its title is the name.
    std::vector<uint8_t> now = ImageFileBytes();
    EXPECT_EQ(FieldToString(now.data(), 16), "Late set");
    std::fill(now.begin(), now.begin() + 16, 0);
    std::vector<uint8_t> want = kept;
    std::fill(want.begin(), want.begin() + 16, 0);
    EXPECT_EQ(now, want);
    EXPECT_EQ(view->Data()->GetOut(3)->GetFilter(5)->GetGainCode(), keptGain);
    EXPECT_EQ(Caption(CLumaraView::IDC_PRESET_NAME), "Late set");
    EXPECT_EQ(Text(view->PresetNameEdit()->text()), "Late set");
    EXPECT_FALSE(view->LockPanel()->isVisibleTo(view));
    // The folder of the loaded file is kept.
    EXPECT_EQ(Setting("File_Path"), QDir::toNativeSeparators(loaded).toStdString());

    // The device takes the whole preset as its current one, muted meanwhile.
    ASSERT_TRUE(Settled());
    ExpectFramesStartWith(SinceMark(), StoreCurrentFrames());
    const std::vector<uint8_t> onDevice = FileBytes(device.Image().data());
    EXPECT_TRUE(std::equal(onDevice.begin() + 16, onDevice.end(), want.begin() + 16));
    EXPECT_EQ(FieldToString(device.Image().data(), 16), "Late set");
    EXPECT_EQ(device.Record(5)[6], 1);
    EXPECT_TRUE(boxes.empty());
}

// A load right after an edit: the poller's rename of the edited data to
// "Custom" still waits for the window's loop when the file's name comes.
TEST_F(PresetFileCommandsTest, AFileLoadedRightAfterAnEditShowsTheNameTheDeviceEndsWith) {
    StartConnected();
    ASSERT_TRUE(Settled());
    const QString folder = Folder("quick");
    chooser.Answer(folder + QStringLiteral("/Stage"));
    Command(CLumaraView::ID_FILE_SAVE_PRESET);
    ASSERT_TRUE(Settled());
    ASSERT_EQ(FieldToString(device.Image().data(), 16), "Stage");

    // A band gain typed, then Return (the field gives up the focus and takes its value).
    auto* page = dynamic_cast<COutputPage*>(view->OutputPage());
    ASSERT_NE(page, nullptr);
    CNumEdit* field = page->Field(COutputPage::kBandGain + 5);
    ASSERT_NE(field, nullptr);
    const size_t first = device.FrameCount();
    field->setText(QStringLiteral("3.5"));
    field->SetModified(true);
    QFocusEvent out(QEvent::FocusOut, Qt::OtherFocusReason);
    QApplication::sendEvent(field, &out);
    const auto namesSince = [&] {
        std::vector<std::string> names;
        const auto seen = device.Seen();
        const size_t since = device.FrameCount() - first;
        for (size_t i = seen.size() - std::min(since, seen.size()); i < seen.size(); ++i)
            if (seen[i].command == 0xA1 && seen[i].group == 9 && seen[i].channel == 0 &&
                seen[i].slot == 0)
                names.push_back(FieldToString(seen[i].payload.data(), 16));
        return names;
    };
    // The device has taken "Custom"; the window has not run its loop since.
    ASSERT_TRUE(Eventually([&] { return !namesSince().empty(); }));
    ASSERT_EQ(namesSince().front(), "Custom");

    chooser.Answer(folder + QStringLiteral("/Stage.jssh"));
    Command(CLumaraView::ID_FILE_LOAD_PRESET);
    WaitForLockState();
    ASSERT_TRUE(Settled());
    PumpUntil([] { return false; }, 300);
    ASSERT_TRUE(Settled());
    // The device ends with the file's name, and the window shows that name.
    EXPECT_EQ(namesSince().back(), "Stage");
    EXPECT_EQ(FieldToString(device.Image().data(), 16), "Stage");
    EXPECT_EQ(Caption(CLumaraView::IDC_PRESET_NAME), "Stage");
    EXPECT_EQ(Text(view->PresetNameEdit()->text()), "Stage");
    EXPECT_EQ(WithDeviceLock([] { return FieldToString(g_ParamImage, 16); }), "Stage");
}

TEST_F(PresetFileCommandsTest, AOnePresetFileLoadedWhileNotConnectedStillReloadsTheModel) {
    NetworkModuleAway();
    Start();
    const QString folder = Folder("files");
    chooser.Answer(folder + QStringLiteral("/Base"));
    ASSERT_TRUE(view->SavePresetFile());
    const int gain = view->Data()->GetOut(3)->GetFilter(5)->GetGainCode();
    {
        DeviceLockGuard lock(g_DeviceLock);
        view->Data()->GetOut(3)->GetFilter(5)->SetGainCode(static_cast<int16_t>(gain + 20));
        view->Data()->WriteAllToImage();
    }
    chooser.Answer(folder + QStringLiteral("/Base.jssh"));
    ASSERT_TRUE(view->LoadPresetFile());
    WaitForLockState();
    EXPECT_EQ(view->Data()->GetOut(3)->GetFilter(5)->GetGainCode(), gain);
    EXPECT_EQ(Caption(CLumaraView::IDC_PRESET_NAME), "Base");
    EXPECT_EQ(view->Session().Command().GetCount(), 0);
    EXPECT_TRUE(boxes.empty());
}

// ---------------------------------------------------------------------------
// The whole device
// ---------------------------------------------------------------------------

TEST_F(PresetFileCommandsTest,
       AWholeDeviceFileSavedAndLoadedRestoresEveryPresetAndReachesTheDevice) {
    for (int n = 1; n <= 6; ++n)
        device.SetStoredPresetBytes(n, kOutputBlockOffset + 11 * kOutputBlockSize + 2,
                                    {static_cast<uint8_t>(0x30 + n), 0x02});
    StartConnected();
    ASSERT_TRUE(Settled());
    const QString folder = Folder("device files");
    chooser.Answer(folder + QStringLiteral("/car"));
    Command(CLumaraView::ID_FILE_SAVE_ALL_PRESETS);
    ASSERT_TRUE(PumpUntil([this] { return view->Count(WM_ALL_PRESETS_READ) > 0; }, 20000));
    const QString file = folder + QStringLiteral("/car.jsah");
    ASSERT_TRUE(QFileInfo::exists(file));
    EXPECT_EQ(chooser.requests[0].filter.toStdString(), "*.jsah");
    EXPECT_EQ(Setting("AllFile_Path"), QDir::toNativeSeparators(folder).toStdString());
    ASSERT_TRUE(Settled());
    std::vector<std::vector<uint8_t>> kept;
    {
        DeviceLockGuard lock(g_DeviceLock);
        kept.push_back(FileBytes(g_ParamImage));
        for (int n = 0; n < 6; ++n)
            kept.push_back(FileBytes(g_PcPresets[n]));
    }
    const std::string name = FieldToString(kept[0].data(), 16);

    // Everything changes in the program; then the file comes back.
    {
        DeviceLockGuard lock(g_DeviceLock);
        for (int n = 0; n < 6; ++n)
            OutputBlock(2, g_PcPresets[n])[10] ^= 0x11;
    }
    ChangeOutput3(333);
    Mark();
    chooser.Answer(file);
    CommandParked(CLumaraView::ID_FILE_LOAD_ALL_PRESETS);
    WaitForLockState();
    {
        DeviceLockGuard lock(g_DeviceLock);
        EXPECT_EQ(FileBytes(g_ParamImage), kept[0]);
        for (int n = 0; n < 6; ++n)
            EXPECT_EQ(FileBytes(g_PcPresets[n]), kept[n + 1]) << n;
    }
    EXPECT_EQ(Caption(CLumaraView::IDC_PRESET_NAME), name);

    // The device takes the current preset and the six stored ones: 137 frames.
    ASSERT_TRUE(Settled(60000));
    std::vector<FrameWant> want = {
        {0xA1, 0, 9, 5, 0}, {0xA1, 0, 9, 97, 0}, {0xA1, 0, 9, 6, 0}, {0xA1, 0, 9, 7, 0}};
    for (int i = 0; i < 4; ++i)
        want.push_back({0xA1, 0, 3, i, 0});
    for (int o = 0; o < 12; ++o)
        want.push_back({0xA1, 0, 4, o, 0});
    want.push_back({0xA1, 0, 9, 97, 0});
    for (int n = 1; n <= 6; ++n) {
        want.push_back({0xA1, 0, 9, 97, 0});
        want.push_back({0xA1, n, 9, 0, 0});
        for (int i = 0; i < 4; ++i)
            want.push_back({0xA1, n, 3, i, 0});
        for (int o = 0; o < 12; ++o)
            want.push_back({0xA1, n, 4, o, 0});
        want.push_back({0xA1, 0, 9, 97, 0});
    }
    want.push_back({0xA1, 0, 9, 2, 0});
    want.push_back({0xA1, 0, 9, 5, 0});
    ASSERT_EQ(want.size(), 137u);
    ExpectFramesStartWith(SinceMark(), want);
    const auto onDevice = FileBytes(device.Image().data());
    EXPECT_TRUE(std::equal(onDevice.begin() + 16, onDevice.end(), kept[0].begin() + 16));
    for (int n = 1; n <= 6; ++n)
        EXPECT_EQ(FileBytes(device.StoredPreset(n).data()), kept[n]) << n;
    EXPECT_EQ(device.Record(5)[6], 1);
    EXPECT_TRUE(boxes.empty());
}

// ---------------------------------------------------------------------------
// Files that are refused
// ---------------------------------------------------------------------------

TEST_F(PresetFileCommandsTest, ARefusedFileChangesNothingAndSaysWhy) {
    StartConnected();
    ASSERT_TRUE(Settled());
    const QString folder = Folder("refused");
    // A whole-device file, and damaged text.
    chooser.Answer(folder + QStringLiteral("/whole"));
    ASSERT_TRUE(view->ChooseAllPresetsFile());
    ASSERT_TRUE(view->WriteAllPresetsFile());
    {
        QFile bad(folder + QStringLiteral("/bad.jssh"));
        ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
        bad.write("not a preset");
    }
    {
        CPresetJson codec;
        ASSERT_TRUE(codec.SavePresetFile((folder + QStringLiteral("/single.jssh")).toStdString()));
    }
    struct Case {
        const char* what;
        int command;
        const char* file;
        const char* text;
    };
    const Case cases[] = {
        {"damaged", CLumaraView::ID_FILE_LOAD_PRESET, "bad.jssh",
         "Read presets file  error!\nThe file is damaged. at byte 0"},
        {"whole-device file as one preset", CLumaraView::ID_FILE_LOAD_PRESET, "whole.jsah",
         "Read presets file  error!\nThe file holds the other kind of presets (one preset / whole "
         "device). "
         "fileType = \"complete\""},
        {"one preset as a whole device", CLumaraView::ID_FILE_LOAD_ALL_PRESETS, "single.jssh",
         "Read all presets file error!\nThe file holds the other kind of presets (one preset / "
         "whole device). "
         "fileType = \"single\""},
        {"missing", CLumaraView::ID_FILE_LOAD_PRESET, "gone.jssh",
         "Read presets file  error!\nThe file cannot be opened. No such file or directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        boxes.clear();
        const ModelBytes before = ModelBytes::Take();
        const std::string shown = Caption(CLumaraView::IDC_PRESET_NAME);
        const int gain = view->Data()->GetOut(3)->GetFilter(5)->GetGainCode();
        Mark();
        chooser.Answer(folder + QLatin1Char('/') + QString::fromUtf8(c.file));
        Command(c.command);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(Text(boxes[0].text), c.text);
        EXPECT_EQ(Text(boxes[0].caption), "Prompting");
        EXPECT_EQ(boxes[0].buttons, QStringList{QStringLiteral("OK")});
        EXPECT_EQ(boxes[0].autoCloseMs, 0);
        EXPECT_TRUE(ModelBytes::Take() == before);
        EXPECT_EQ(Caption(CLumaraView::IDC_PRESET_NAME), shown);
        EXPECT_EQ(view->Data()->GetOut(3)->GetFilter(5)->GetGainCode(), gain);
        EXPECT_EQ(g_TransferRunning.load(), 0);
        QApplication::processEvents();
        EXPECT_TRUE(WithoutStatus(SinceMark()).empty());
        EXPECT_EQ(view->Count(WM_LOCK_STATE_AFTER_LOAD), 0);
    }
    // Cancelling a dialog does nothing and says nothing.
    boxes.clear();
    for (int command : {723, 724, 725, 726}) {
        chooser.Cancel();
        Command(command);
    }
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(g_TransferRunning.load(), 0);
}

// ---------------------------------------------------------------------------
// Save dialogs: the completed name, replacing, a folder that cannot be written
// ---------------------------------------------------------------------------

TEST_F(PresetFileCommandsTest, ASaveCompletesTheNameFirstAndAsksBeforeReplacingTheCompletedName) {
    NetworkModuleAway();
    Start();
    const QString folder = Folder("names");
    struct Case {
        const char* chosen;
        const char* written;
    };
    const Case cases[] = {{"plain", "plain.jssh"},
                          {"notes.txt", "notes.txt.jssh"},
                          {"upper.JSSH", "upper.JSSH.jssh"},
                          {"done.jssh", "done.jssh"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen);
        chooser.Answer(folder + QLatin1Char('/') + QString::fromUtf8(c.chosen));
        ASSERT_TRUE(view->SavePresetFile());
        EXPECT_TRUE(QFileInfo::exists(folder + QLatin1Char('/') + QString::fromUtf8(c.written)));
    }
    EXPECT_TRUE(boxes.empty());
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/notes.txt")));

    // "plain" again: the completed name exists. No: the dialog comes again in
    // that folder (cancelled here) and nothing is written.
    const QString target = folder + QStringLiteral("/plain.jssh");
    {
        QFile f(target);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("old");
    }
    CMessageBox::SetResponder([this](const CMessageBox::Shown& s) {
        boxes.push_back(s);
        return CMessageBox::Action::Cancel;
    });
    chooser.requests.clear();
    chooser.Answer(folder + QStringLiteral("/plain"));
    chooser.Cancel();
    EXPECT_FALSE(view->SavePresetFile());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(Text(boxes[0].text), "plain.jssh already exists.\nDo you want to replace it?");
    EXPECT_EQ(boxes[0].buttons, (QStringList{QStringLiteral("YES"), QStringLiteral("NO")}));
    ASSERT_EQ(chooser.requests.size(), 2u);
    EXPECT_EQ(chooser.requests[1].folder, folder);
    EXPECT_EQ(ReadAll(target), "old");

    // Yes: it is replaced.
    boxes.clear();
    CMessageBox::SetResponder([this](const CMessageBox::Shown& s) {
        boxes.push_back(s);
        return CMessageBox::Action::Ok;
    });
    chooser.Answer(folder + QStringLiteral("/plain"));
    EXPECT_TRUE(view->SavePresetFile());
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_NE(ReadAll(target), "old");
    CPresetJson codec;
    EXPECT_TRUE(codec.LoadPresetFile(target.toStdString())) << codec.ErrorText();
}

TEST_F(PresetFileCommandsTest, AFolderThatCannotBeWrittenIsSaidAndThePreviousFileStays) {
    NetworkModuleAway();
    Start();
    const QString folder = Folder("read-only");
    const QString target = folder + QStringLiteral("/keep.jssh");
    {
        QFile f(target);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("previous");
    }
    const std::string shown = Caption(CLumaraView::IDC_PRESET_NAME);
    ASSERT_EQ(chmod(QFile::encodeName(folder).constData(), 0555), 0);
    {
        WithoutPermissionOverride unprivileged;
        chooser.Answer(folder + QStringLiteral("/keep"));
        EXPECT_FALSE(view->SavePresetFile());
        chooser.Answer(folder + QStringLiteral("/new"));
        EXPECT_FALSE(view->SavePresetFile());
    }
    ASSERT_EQ(chmod(QFile::encodeName(folder).constData(), 0755), 0);
    // The question about replacing, then the failure with its reason; twice.
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(Text(boxes[0].text), "keep.jssh already exists.\nDo you want to replace it?");
    for (size_t i : {1u, 2u}) {
        EXPECT_EQ(Text(boxes[i].text),
                  "Save presets file error!\nThe file cannot be written. Permission denied");
        EXPECT_EQ(Text(boxes[i].caption), "Prompting");
        EXPECT_EQ(boxes[i].autoCloseMs, 0);
    }
    EXPECT_EQ(ReadAll(target), "previous");
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("keep.jssh")});
    EXPECT_EQ(Caption(CLumaraView::IDC_PRESET_NAME), shown);
}

// ---------------------------------------------------------------------------
// The output map (no command of the program uses it)
// ---------------------------------------------------------------------------

TEST_F(PresetFileCommandsTest, TheOutputMapGoesToAFileAndComesBack) {
    NetworkModuleAway();
    Start();
    const QString folder = Folder("maps");
    uint8_t map[16];
    {
        DeviceLockGuard lock(g_DeviceLock);
        std::memcpy(map, g_DeviceRecords.Bytes().outputMapA, 8);
        std::memcpy(map + 8, g_DeviceRecords.Bytes().outputMapB, 8);
    }
    chooser.Answer(folder + QStringLiteral("/car"));
    ASSERT_TRUE(view->SaveOutputMapFile());
    EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("/car.jssh")));
    EXPECT_EQ(Setting("Map_Path"), QDir::toNativeSeparators(folder).toStdString());
    {
        DeviceLockGuard lock(g_DeviceLock);
        std::memset(g_DeviceRecords.Bytes().outputMapA, 0, 8);
        std::memset(g_DeviceRecords.Bytes().outputMapB, 0, 8);
    }
    chooser.Answer(folder + QStringLiteral("/car.jssh"));
    ASSERT_TRUE(view->LoadOutputMapFile());
    {
        DeviceLockGuard lock(g_DeviceLock);
        EXPECT_EQ(0, std::memcmp(map, g_DeviceRecords.Bytes().outputMapA, 8));
        EXPECT_EQ(0, std::memcmp(map + 8, g_DeviceRecords.Bytes().outputMapB, 8));
    }
    // A file that is not a map is refused and changes nothing.
    chooser.Answer(folder + QStringLiteral("/bad.jssh"));
    {
        QFile f(folder + QStringLiteral("/bad.jssh"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("Tolvern_Map?");
    }
    EXPECT_FALSE(view->LoadOutputMapFile());
    EXPECT_THAT(BoxTexts(), ElementsAre("Read output map error!"));
}

} // namespace
