// The top bar's File and Options menus and the dialogs they, the system
// button and the Map reset button open, in the program: the menus' items and
// greying, the command of each item, help, the access code, and each dialog's
// records arriving at the simulated device byte for byte; the resets; the
// language switched at run time.
#include "tests/app/DeviceTestSupport.h"

#include "features/sources/DefaultSourceDialog.h"
#include "features/system/FactoryResetPrompt.h"
#include "features/system/MixAccessCodePrompt.h"
#include "app/MachinePresetDialog.h"
#include "features/outputs/OutputMapResetPrompt.h"
#include "features/presets/SourcePresetsDialog.h"
#include "features/connection/VersionWindow.h"
#include "controls/BitButton.h"
#include "controls/DropListButton.h"
#include "controls/ControlTimer.h"
#include "controls/ModalDialog.h"
#include "controls/NumEdit.h"
#include "controls/SkinControl.h"
#include "features/firmware/FirmwareUpdateDialog.h"
#include "model/LinkGroups.h"
#include "model/KTV_Data.h"
#include "model/KTV_OutData.h"
#include "model/ModelLock.h"
#include "model/SpeakerTypes.h"
#include "features/system/SystemSettingsDialog.h"
#include "features/system/MixParametersDialog.h"
#include "features/sources/SourceVolumesDialog.h"
#include "features/outputs/OutputStrip.h"
#include "platform/DesktopOpener.h"
#include "platform/FileChooser.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <functional>
#include <typeindex>

namespace {

struct MenuItem {
    std::string text; // empty for a separator
    int command = 0;
    bool enabled = true;
    bool operator==(const MenuItem& o) const {
        return text == o.text && command == o.command && enabled == o.enabled;
    }
};
std::ostream& operator<<(std::ostream& os, const MenuItem& m) {
    return os << "{" << m.text << ", " << m.command << (m.enabled ? "" : ", grey") << "}";
}

std::vector<MenuItem> Items(const QMenu* menu) {
    std::vector<MenuItem> items;
    for (const QAction* a : menu->actions())
        items.push_back(a->isSeparator()
                            ? MenuItem{"", 0, a->isEnabled()}
                            : MenuItem{a->text().toStdString(), a->data().toInt(), a->isEnabled()});
    return items;
}

// The view as the tests drive it: a popup's choice given, the commands it
// runs and the mix presets it applies recorded.
class MenuView : public DeviceView {
public:
    using DeviceView::DeviceView;

    int TrackMenuPopup(QMenu& menu, const QPoint& at) override {
        shownItems = Items(&menu);
        shownAt = at;
        ++menusShown;
        return menuChoice;
    }
    LRESULT WindowProc(unsigned msg, WPARAM w, LPARAM l) override {
        if (msg == WM_COMMAND) commands.push_back(static_cast<int>(w & 0xFFFF));
        return DeviceView::WindowProc(msg, w, l);
    }
    void ApplyMixPresetForType(int output, int type) override {
        presets.push_back({output, type, !DeviceLockFreeForOthers()});
        CLumaraView::ApplyMixPresetForType(output, type);
    }

    struct Preset {
        int output, type;
        bool underLock;
    };
    std::vector<MenuItem> shownItems;
    QPoint shownAt;
    int menusShown = 0;
    int menuChoice = 0;
    std::vector<int> commands;
    std::vector<Preset> presets;
};

// A file chooser that answers no to every question and remembers them.
class CancellingChooser : public platform::IFileChooser {
public:
    std::optional<QString> Choose(const platform::FileRequest& request) override {
        asked.push_back(request);
        return std::nullopt;
    }
    std::vector<platform::FileRequest> asked;
};

class MenusTest : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        app.m_ViewFactory = [this](CLumaraDoc& doc, QWidget* parent) {
            menuView = new MenuView(doc, app.Settings(), app.m_LinkEnvironment, parent);
            ShellTest::view = DeviceTest::view = menuView;
            return menuView;
        };
        previousScript_ = ctl::SetModalScript([this](QDialog& dialog) {
            opened.push_back(std::type_index(typeid(dialog)));
            if (play) play(dialog);
        });
        previousChooser_ = platform::SetFileChooser(&chooser);
        previousOpener_ = platform::SetDesktopOpener({});
    }
    void TearDown() override {
        ctl::SetModalScript(previousScript_);
        platform::SetFileChooser(previousChooser_);
        platform::SetDesktopOpener(previousOpener_);
        DeviceTest::TearDown();
    }

    void StartAlone() {
        NetworkModuleAway();
        Start();
        QApplication::processEvents();
    }
    // Connected, with the device's data shown and the view taking input again.
    void StartReady() {
        StartConnected();
        ASSERT_TRUE(PumpUntil([this] { return menuView->isEnabled(); }));
        WaitIdle();
    }
    // A command chosen in a menu, as the user chooses it.
    void Choose(int buttonId, int command) {
        menuView->menuChoice = command;
        menuView->SendMessage(WM_COMMAND, CommandWParam(buttonId, 0));
        menuView->menuChoice = 0;
    }
    void Press(int buttonId) { menuView->SendMessage(WM_COMMAND, CommandWParam(buttonId, 0)); }

    // The frames of a record the device took in since `before`.
    std::vector<sim::SeenFrame> RecordFrames(size_t before, int record) const {
        std::vector<sim::SeenFrame> out;
        const auto seen = device.Seen();
        const size_t since = std::min(device.FrameCount() - before, seen.size());
        for (size_t i = seen.size() - since; i < seen.size(); ++i)
            if (seen[i].command == 0xA1 && seen[i].group == 9 && seen[i].channel == record)
                out.push_back(seen[i]);
        return out;
    }
    // Waits until the link is idle again (two status requests after now).
    void WaitIdle() {
        const size_t from = device.FrameCount();
        ASSERT_TRUE(PumpUntil(
            [&] {
                const auto seen = device.Seen();
                const size_t since = std::min(device.FrameCount() - from, seen.size());
                int polls = 0;
                for (size_t i = seen.size() - since; i < seen.size(); ++i)
                    polls += IsStatusRead(seen[i]);
                return polls >= 2;
            },
            10000));
    }
    static std::vector<uint8_t> Record(const uint8_t* block) {
        return std::vector<uint8_t>(block, block + 8);
    }
    template <class T> bool Opened() const {
        for (const auto& t : opened)
            if (t == std::type_index(typeid(T))) return true;
        return false;
    }
    // Types into a field of the dialog in front and commits it with Enter.
    static void Type(QLineEdit* edit, const char* text) {
        QApplication::setActiveWindow(edit->window());
        edit->setFocus();
        ASSERT_TRUE(edit->hasFocus());
        edit->selectAll();
        QTest::keyClicks(edit, QString::fromUtf8(text));
        QTest::keyClick(edit, Qt::Key_Return);
        QApplication::processEvents();
    }

    MenuView* menuView = nullptr;
    CancellingChooser chooser;
    std::vector<std::type_index> opened;
    std::function<void(QDialog&)> play;

private:
    ctl::ModalScript previousScript_;
    platform::IFileChooser* previousChooser_ = nullptr;
    platform::DesktopOpener previousOpener_;
};

// ---------------------------------------------------------------------------
// The menus
// ---------------------------------------------------------------------------

// The menus as the program trims them: five entries of the mode menu and
// eight of the system menu, in both languages; without a device the
// whole-device items are grey.
TEST_F(MenusTest, TheMenusHoldTheirItemsInOrder) {
    StartAlone();
    menuView->PrepareModeMenu();
    EXPECT_EQ(Items(menuView->ModeMenu()),
              (std::vector<MenuItem>{{"Load PC Presets File(&O)", 723, true},
                                     {"Save As PC Presets File(&S)", 725, true},
                                     {"", 0, true},
                                     {"Load All Presets", 724, false},
                                     {"Save All Presets", 726, false}}));
    const std::vector<MenuItem> englishSystem{{"Chinese", 729},
                                              {"Advanced", 728},
                                              {"Firmware Update", 727},
                                              {"Input source volume", 32779},
                                              {"Audio source settings", 32778},
                                              {"Restore factory settings", 32775},
                                              {"Help(&F)", 730},
                                              {"About(&A)", 731}};
    EXPECT_EQ(Items(menuView->SystemMenu()), englishSystem);

    Choose(CLumaraView::IDC_SYSTEM_MENU, CLumaraView::kCmdLanguage);
    ASSERT_EQ(g_LanguageFlag.load(), 1);
    EXPECT_EQ(Items(menuView->ModeMenu()),
              (std::vector<MenuItem>{{"加载 电脑上场景文件(&O)", 723, true},
                                     {"另存为 电脑上场景文件(&S)", 725, true},
                                     {"", 0, true},
                                     {"加载 整机场景", 724, false},
                                     {"保存 整机场景", 726, false}}));
    EXPECT_EQ(Items(menuView->SystemMenu()), (std::vector<MenuItem>{{"English", 729},
                                                                    {"高级", 728},
                                                                    {"固件更新", 727},
                                                                    {"输入音源音量", 32779},
                                                                    {"音源联动音效", 32778},
                                                                    {"恢复出厂设置", 32775},
                                                                    {"帮助(&F)", 730},
                                                                    {"关于(&A)...", 731}}));
    Choose(CLumaraView::IDC_SYSTEM_MENU, CLumaraView::kCmdLanguage);
    EXPECT_EQ(Items(menuView->SystemMenu()), englishSystem);
    // On a system of the Chinese locale the language item says so in Chinese.
    EXPECT_EQ(CLumaraView::LanguageItemText(false, true).toStdString(), "中文");
    EXPECT_EQ(CLumaraView::LanguageItemText(true, true).toStdString(), "English");
}

// Each menu opens with its top-left corner at its button's left edge, two
// pixels below the button; the mode menu greys the whole-device items until
// a device is connected.
TEST_F(MenusTest, TheMenusOpenUnderTheirButtonsGreyedByTheConnection) {
    StartConnected();
    for (int button : {CLumaraView::IDC_MODE_MENU, CLumaraView::IDC_SYSTEM_MENU}) {
        Press(button);
        const QRect r = menuView->findChild<QWidget*>(QString::number(button))->geometry();
        EXPECT_EQ(menuView->shownAt,
                  menuView->mapToGlobal(QPoint(r.left(), r.top() + r.height() + 2)));
    }
    EXPECT_EQ(menuView->menusShown, 2);
    Press(CLumaraView::IDC_MODE_MENU);
    for (const MenuItem& item : menuView->shownItems)
        EXPECT_TRUE(item.enabled) << item;

    ASSERT_FALSE(menuView->ToggleConnection());
    Press(CLumaraView::IDC_MODE_MENU);
    const std::vector<bool> enabled{true, true, true, false, false};
    std::vector<bool> shown;
    for (const MenuItem& item : menuView->shownItems)
        shown.push_back(item.enabled);
    EXPECT_EQ(shown, enabled);
}

// Every item and button runs its command: the dialog it opens, the file
// question of the preset-file commands, the language, the help file.
TEST_F(MenusTest, EachCommandOpensItsDialog) {
    StartAlone();
    struct Case {
        int button;
        int command; // 0: the button alone
        std::type_index dialog;
    };
    const Case cases[] = {
        {CLumaraView::IDC_SYSTEM_MENU, 727, typeid(CFirmwareUpdateDialog)},
        {CLumaraView::IDC_SYSTEM_MENU, 728, typeid(CMixAccessCodePrompt)},
        {CLumaraView::IDC_SYSTEM_MENU, 731, typeid(CVersionWindow)},
        {CLumaraView::IDC_SYSTEM_MENU, 32775, typeid(CFactoryResetPrompt)},
        {CLumaraView::IDC_SYSTEM_MENU, 32778, typeid(CSourcePresetsDialog)},
        {CLumaraView::IDC_SYSTEM_MENU, 32779, typeid(CSourceVolumesDialog)},
        {CLumaraView::IDC_SYSTEM_DIALOG, 0, typeid(CSystemSettingsDialog)},
        {CLumaraView::IDC_MAP_RESET, 0, typeid(COutputMapResetPrompt)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command ? c.command : c.button);
        opened.clear();
        c.command ? Choose(c.button, c.command) : Press(c.button);
        ASSERT_EQ(opened.size(), 1u);
        EXPECT_EQ(opened[0], c.dialog);
    }
    // The power-on source has no item; its command still opens its dialog.
    opened.clear();
    Press(CLumaraView::kCmdDefaultSource);
    EXPECT_EQ(opened, std::vector<std::type_index>{typeid(CDefaultSourceDialog)});

    // So do the three device-preset commands: the machine-preset dialog in
    // its load, save-as and delete mode.
    std::vector<int> modes;
    play = [&modes](QDialog& d) {
        modes.push_back(static_cast<CMachinePresetDialog&>(d).GetMode());
    };
    opened.clear();
    for (int command : {720, 721, 722})
        Press(command);
    play = nullptr;
    EXPECT_EQ(opened, std::vector<std::type_index>(3, typeid(CMachinePresetDialog)));
    EXPECT_EQ(modes, (std::vector<int>{CMachinePresetDialog::kLoad, CMachinePresetDialog::kSaveAs,
                                       CMachinePresetDialog::kDelete}));

    // The preset-file commands reach the view and ask for their files.
    menuView->commands.clear();
    for (int command : {723, 725})
        Choose(CLumaraView::IDC_MODE_MENU, command);
    EXPECT_EQ(menuView->commands,
              (std::vector<int>{CLumaraView::IDC_MODE_MENU, 723, CLumaraView::IDC_MODE_MENU, 725}));
    ASSERT_EQ(chooser.asked.size(), 2u);
    EXPECT_EQ(chooser.asked[0].kind, platform::FileRequest::Open);
    EXPECT_EQ(chooser.asked[1].kind, platform::FileRequest::Save);

    // Nothing else opens for the language item and the removed player volume.
    opened.clear();
    Choose(CLumaraView::IDC_SYSTEM_MENU, CLumaraView::kCmdPlayerVolume);
    Choose(CLumaraView::IDC_SYSTEM_MENU, CLumaraView::kCmdLanguage);
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(g_LanguageFlag.load(), 1);
}

// Help opens the help file of the language from the program's folder with
// the desktop's handler; a file that is not there gives one box with a
// single Quit button.
TEST_F(MenusTest, HelpOpensTheLanguagesFileOrSaysItIsMissing) {
    StartAlone();
    boxes.clear();
    Choose(CLumaraView::IDC_SYSTEM_MENU, CLumaraView::kCmdHelp);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(Text(boxes[0].caption), "Help");
    EXPECT_EQ(Text(boxes[0].text), "Not find help file!");
    EXPECT_EQ(boxes[0].buttons, QStringList{QStringLiteral("Quit")});
    EXPECT_EQ(boxes[0].autoCloseMs, 0);

    std::vector<std::string> openedFiles;
    platform::SetDesktopOpener([&](const QString& path) {
        openedFiles.push_back(path.toStdString());
        return true;
    });
    boxes.clear();
    Choose(CLumaraView::IDC_SYSTEM_MENU, CLumaraView::kCmdHelp);
    g_LanguageFlag = 1;
    Choose(CLumaraView::IDC_SYSTEM_MENU, CLumaraView::kCmdHelp);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(openedFiles, (std::vector<std::string>{menuView->ProgramFolder() + "/EN_Help.chm",
                                                     menuView->ProgramFolder() + "/CH_Help.chm"}));

    platform::SetDesktopOpener([](const QString&) { return false; });
    Choose(CLumaraView::IDC_SYSTEM_MENU, CLumaraView::kCmdHelp);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(Text(boxes[0].caption), "帮助");
    EXPECT_EQ(Text(boxes[0].text), "没有发现帮助文件!");
    EXPECT_EQ(boxes[0].buttons, QStringList{QStringLiteral("退出")});
}

// ---------------------------------------------------------------------------
// The access code
// ---------------------------------------------------------------------------

// Seven characters keep the prompt open; eight wrong ones close it with the
// validation message; the right code opens the mix parameters, and from then
// on the command opens them without asking.
TEST_F(MenusTest, TheAccessCodeGuardsTheMixParameters) {
    StartAlone();
    std::vector<std::string> tried;
    play = [&](QDialog& d) {
        auto* prompt = dynamic_cast<CMixAccessCodePrompt*>(&d);
        if (!prompt) return;
        for (const std::string& code : tried) {
            prompt->CodeEdit()->setText(QString::fromStdString(code));
            prompt->OkButton()->click();
            if (!prompt->isVisible()) return;
            EXPECT_TRUE(prompt->CodeEdit()->text().isEmpty());
        }
        prompt->CancelButton()->click();
    };
    // Cancel: nothing.
    Choose(CLumaraView::IDC_SYSTEM_MENU, CLumaraView::kCmdAdvanced);
    EXPECT_EQ(opened, std::vector<std::type_index>{typeid(CMixAccessCodePrompt)});
    EXPECT_FALSE(menuView->IsAccessGranted());

    boxes.clear();
    opened.clear();
    tried = {"6039715", "60397151"};
    Choose(CLumaraView::IDC_SYSTEM_MENU, CLumaraView::kCmdAdvanced);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(Text(boxes[0].text),
              "The password length is incorrect! Please enter a 8-digit password!");
    EXPECT_EQ(boxes[0].autoCloseMs, 2000);
    EXPECT_EQ(Text(boxes[1].text), "Validation failure,password error");
    EXPECT_EQ(boxes[1].autoCloseMs, 2000);
    EXPECT_EQ(opened, std::vector<std::type_index>{typeid(CMixAccessCodePrompt)});
    EXPECT_FALSE(menuView->IsAccessGranted());

    opened.clear();
    tried = {"60397150"};
    Choose(CLumaraView::IDC_SYSTEM_MENU, CLumaraView::kCmdAdvanced);
    EXPECT_EQ(opened, (std::vector<std::type_index>{typeid(CMixAccessCodePrompt),
                                                    typeid(CMixParametersDialog)}));
    EXPECT_TRUE(menuView->IsAccessGranted());

    opened.clear();
    Choose(CLumaraView::IDC_SYSTEM_MENU, CLumaraView::kCmdAdvanced);
    EXPECT_EQ(opened, std::vector<std::type_index>{typeid(CMixParametersDialog)});
}

// ---------------------------------------------------------------------------
// The dialogs' records at the device
// ---------------------------------------------------------------------------

// A typed attenuation of 0 % goes out as one record-8 frame with byte 6 = 100;
// a typed gate of -50 dBu sets byte 3 of the master record to 70 and its
// pending mark, and the master record follows on the link's idle pass. While
// the dialog is open the view shows it the records again after a load, and
// holds it no longer once it has gone.
TEST_F(MenusTest, TheMixParametersReachTheDevice) {
    StartReady();
    const size_t before = device.FrameCount();
    play = [&](QDialog& d) {
        if (auto* prompt = dynamic_cast<CMixAccessCodePrompt*>(&d)) {
            prompt->CodeEdit()->setText(QString::fromLatin1(g_AccessCode));
            prompt->OkButton()->click();
            return;
        }
        auto* mix = dynamic_cast<CMixParametersDialog*>(&d);
        ASSERT_NE(mix, nullptr);
        EXPECT_EQ(menuView->MixParamDialog(), mix);
        Type(mix->AttenuationEdit(), "0");
        Type(mix->GateEdit(), "-50");
        EXPECT_EQ(WithDeviceLock([] { return g_DeviceRecords.Bytes().master[3]; }), 70);
        WithDeviceLock([] { g_DeviceRecords.Bytes().sourceSetup[6] = 10; });
        menuView->RefreshAllPages();
        EXPECT_EQ(mix->AttenuationEdit()->text().toStdString(), "90%");
        WithDeviceLock([] { g_DeviceRecords.Bytes().sourceSetup[6] = 100; });
    };
    Choose(CLumaraView::IDC_SYSTEM_MENU, CLumaraView::kCmdAdvanced);
    EXPECT_EQ(menuView->MixParamDialog(), nullptr);
    EXPECT_EQ(g_StateFlags[kFlagMixParamDlg].load(), 0);
    ASSERT_TRUE(PumpUntil([&] { return !RecordFrames(before, kRecordMaster).empty(); }, 10000));
    WaitIdle();
    const auto eights = RecordFrames(before, kRecordSourceSetup);
    ASSERT_EQ(eights.size(), 1u);
    std::vector<uint8_t> record8 = Record(g_DeviceRecords.Bytes().sourceSetup);
    EXPECT_EQ(record8[6], 100);
    EXPECT_EQ(eights[0].raw, RequestFrame(0xA1, 0, 9, kRecordSourceSetup, 0, record8));
    const auto masters = RecordFrames(before, kRecordMaster);
    ASSERT_EQ(masters.size(), 1u);
    EXPECT_EQ(masters[0].payload[3], 70);
    EXPECT_EQ(device.Record(kRecordMaster)[3], 70);
}

// A typed release of 2000 ms stores release word 1950, which reaches the
// device as bytes 4..5 of output 1's item 35; a typed gate of -50 dB reaches
// it as byte 0 of music input 1's item 33.
TEST_F(MenusTest, TheSystemDialogsReleaseAndGateReachTheDevice) {
    StartReady();
    const size_t before = device.FrameCount();
    play = [&](QDialog& d) {
        auto* system = dynamic_cast<CSystemSettingsDialog*>(&d);
        ASSERT_NE(system, nullptr);
        Type(system->Edit(0, CSystemSettingsDialog::kLimiterRelease), "2000");
        Type(system->GateEdit(), "-50");
        EXPECT_TRUE(system->isVisible());
    };
    Press(CLumaraView::IDC_SYSTEM_DIALOG);
    EXPECT_EQ(menuView->Data()->GetOut(0)->GetReleaseTime(), 1950);
    auto items = [&] {
        std::vector<sim::SeenFrame> out;
        const auto seen = device.Seen();
        for (size_t i = seen.size() - std::min(device.FrameCount() - before, seen.size());
             i < seen.size(); ++i)
            if (seen[i].command == 0xA1 && seen[i].group == 4 && seen[i].channel == 0 &&
                seen[i].item == 35)
                out.push_back(seen[i]);
        return out;
    };
    ASSERT_TRUE(PumpUntil([&] { return !items().empty(); }, 10000));
    WaitIdle();
    ASSERT_EQ(items().size(), 1u);
    const std::vector<uint8_t> item = WithDeviceLock(
        [] { return std::vector<uint8_t>(OutputBlock(0) + 280, OutputBlock(0) + 288); });
    EXPECT_EQ(item[4], 1950 & 0xFF);
    EXPECT_EQ(item[5], 1950 >> 8);
    EXPECT_EQ(items()[0].raw, RequestFrame(0xA1, 0, 4, 0, 35, item));
    EXPECT_EQ(device.Image()[kOutputBlockOffset + 284], 1950 & 0xFF);

    std::vector<sim::SeenFrame> gates;
    const auto seen = device.Seen();
    for (size_t i = seen.size() - std::min(device.FrameCount() - before, seen.size());
         i < seen.size(); ++i)
        if (seen[i].command == 0xA1 && seen[i].group == 3 && seen[i].item == 33)
            gates.push_back(seen[i]);
    ASSERT_EQ(gates.size(), 1u);
    const std::vector<uint8_t> gate = WithDeviceLock(
        [] { return std::vector<uint8_t>(MusicInBlock(0) + 264, MusicInBlock(0) + 272); });
    EXPECT_EQ(gate[0], 70);
    EXPECT_EQ(gates[0].raw, RequestFrame(0xA1, 0, 3, 0, 33, gate));
}

// A source volume typed as -20 dB stores 40 in its byte and goes out as one
// record-2 frame.
TEST_F(MenusTest, ASourceVolumeReachesTheDevice) {
    StartReady();
    const size_t before = device.FrameCount();
    play = [&](QDialog& d) {
        auto* volumes = dynamic_cast<CSourceVolumesDialog*>(&d);
        ASSERT_NE(volumes, nullptr);
        Type(volumes->Edit(2), "-20"); // SPDIF
    };
    Choose(CLumaraView::IDC_SYSTEM_MENU, CLumaraView::kCmdSourceVolumes);
    ASSERT_TRUE(PumpUntil([&] { return !RecordFrames(before, kRecordSources).empty(); }, 10000));
    WaitIdle();
    const auto frames = RecordFrames(before, kRecordSources);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].payload[2], 40);
    EXPECT_EQ(frames[0].raw,
              RequestFrame(0xA1, 0, 9, kRecordSources, 0, Record(g_DeviceRecords.Bytes().sources)));
}

// The presets linked to sources go out as record 9 at every choice and at
// the switch; the power-on source as record 8, and only when it changes.
TEST_F(MenusTest, SourceLinkedPresetsAndThePowerOnSourceReachTheDevice) {
    StartReady();
    WithDeviceLock([] {
        g_DeviceRecords.Bytes().deviceKept[0] = 0;
        g_DeviceRecords.Bytes().deviceKept[6] = 2;
        std::fill(g_PcPresets[2], g_PcPresets[2] + kPresetNameSize, 0); // stored preset 3 unnamed
        g_DeviceRecords.Bytes().sourceSetup[kPowerOnSourceByte] = 0;
    });
    const size_t before = device.FrameCount();
    play = [&](QDialog& d) {
        auto* presets = dynamic_cast<CSourcePresetsDialog*>(&d);
        ASSERT_NE(presets, nullptr);
        CDropListButton* player = presets->RowList(4);
        EXPECT_EQ(player->GetCurSel(), 2);
        EXPECT_EQ(CSourcePresetsDialog::Entries()[3].toStdString(), "Memory3");
        player->SendMessage(WM_DROP_CHOICE, 0); // "none"
        QApplication::processEvents();
        presets->Switch()->click();
        QTest::keyClick(presets, Qt::Key_Escape);
        EXPECT_TRUE(presets->isVisible());
    };
    Choose(CLumaraView::IDC_SYSTEM_MENU, CLumaraView::kCmdSourcePresets);
    ASSERT_TRUE(
        PumpUntil([&] { return RecordFrames(before, kRecordDeviceKept).size() >= 2; }, 10000));
    const auto nines = RecordFrames(before, kRecordDeviceKept);
    EXPECT_EQ(nines[0].payload[6], 0);
    EXPECT_EQ(nines[0].payload[0], 0);
    EXPECT_EQ(nines[1].payload[0], 1);
    EXPECT_EQ(nines[1].raw, RequestFrame(0xA1, 0, 9, kRecordDeviceKept, 0,
                                         Record(g_DeviceRecords.Bytes().deviceKept)));

    play = [&](QDialog& d) {
        auto* source = dynamic_cast<CDefaultSourceDialog*>(&d);
        ASSERT_NE(source, nullptr);
        EXPECT_EQ(source->SourceList()->GetCurSel(), 0);
        source->SourceList()->SendMessage(WM_DROP_CHOICE, 1); // Player
        source->SourceList()->SendMessage(WM_DROP_CHOICE, 1); // the same again
        QApplication::processEvents();
    };
    Press(CLumaraView::kCmdDefaultSource);
    ASSERT_TRUE(
        PumpUntil([&] { return !RecordFrames(before, kRecordSourceSetup).empty(); }, 10000));
    WaitIdle();
    const auto eights = RecordFrames(before, kRecordSourceSetup);
    ASSERT_EQ(eights.size(), 1u);
    EXPECT_EQ(eights[0].payload[kPowerOnSourceByte], 5);
}

// ---------------------------------------------------------------------------
// The resets
// ---------------------------------------------------------------------------

// After the warning the device gets command 96 while it is connected;
// without a device a message says so and nothing is queued; Quit does nothing.
TEST_F(MenusTest, TheFactoryResetGoesOutOnlyWhenConnected) {
    StartReady();
    const size_t before = device.FrameCount();
    play = [](QDialog& d) { static_cast<CFactoryResetPrompt&>(d).CancelButton()->click(); };
    Choose(CLumaraView::IDC_SYSTEM_MENU, CLumaraView::kCmdFactoryReset);
    play = [](QDialog& d) { static_cast<CFactoryResetPrompt&>(d).OkButton()->click(); };
    Choose(CLumaraView::IDC_SYSTEM_MENU, CLumaraView::kCmdFactoryReset);
    ASSERT_TRUE(
        PumpUntil([&] { return !RecordFrames(before, kRecordFactoryReset).empty(); }, 10000));
    WaitIdle();
    const auto frames = RecordFrames(before, kRecordFactoryReset);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].raw, RequestFrame(0xA1, 0, 9, kRecordFactoryReset, 0));

    ASSERT_FALSE(menuView->ToggleConnection());
    const int queued = menuView->Session().Command().GetCount();
    boxes.clear();
    Choose(CLumaraView::IDC_SYSTEM_MENU, CLumaraView::kCmdFactoryReset);
    EXPECT_EQ(menuView->Session().Command().GetCount(), queued);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(Text(boxes[0].text), "No connection can be opened");
    EXPECT_EQ(boxes[0].autoCloseMs, 2000);
}

class MapResetTest : public MenusTest {
protected:
    // Links that the reset undoes: a link group, the L/R link on, its byte.
    void LinkOutputs() {
        WithDeviceLock([&] {
            g_LinkKey[2] = g_LinkKey[3] = 5;
            OutputBlock(0)[kOutLockMarkByte] = 1;
        });
        g_LRLinkOn = 1;
        g_LinkActive = 1;
        menuView->BitButton(CLumaraView::IDC_LR_LINK)->SetCheck(1);
        for (int i = 0; i < 12; ++i)
            menuView->Strip(i)->EnableSpeakerTypeButton(false);
    }
    void Answer(int choice) {
        play = [choice](QDialog& d) {
            auto& question = static_cast<COutputMapResetPrompt&>(d);
            if (choice == COutputMapResetPrompt::kEmpty) question.EmptyButton()->click();
            if (choice == COutputMapResetPrompt::kDefault) question.DefaultButton()->click();
            if (choice == COutputMapResetPrompt::kCancel) question.CancelButton()->click();
        };
    }
    std::vector<int> Types() const {
        std::vector<int> t;
        for (int i = 0; i < 12; ++i)
            t.push_back(menuView->Data()->GetOut(i)->GetSpeakerType());
        return t;
    }
    void ExpectUnlinked() {
        for (int i = 0; i < 12; ++i) {
            EXPECT_EQ(WithDeviceLock([i] { return g_LinkKey[i]; }), i);
            EXPECT_TRUE(menuView->Strip(i)->IsSpeakerTypeEnabled()) << i;
            EXPECT_EQ(menuView->Strip(i)->IsCaptionChecked(), i == g_CurrentOutput) << i;
        }
        EXPECT_EQ(g_LRLinkOn, 0);
        EXPECT_EQ(g_LinkActive, 0);
        EXPECT_EQ(menuView->BitButton(CLumaraView::IDC_LR_LINK)->GetCheck(), 0);
        EXPECT_EQ(WithDeviceLock([] { return OutputBlock(0)[kOutLockMarkByte]; }), 0);
    }
};

// "Emptied" leaves every output without a speaker type, sends the map of
// twelve zero bytes and the name item that carries the L/R link byte, and
// undoes every link; the reset holds the device lock while it changes the
// model and queues.
TEST_F(MapResetTest, EmptiedSendsAnEmptyMapAndUndoesTheLinks) {
    StartReady();
    LinkOutputs();
    const size_t before = device.FrameCount();
    menuView->presets.clear();
    Answer(COutputMapResetPrompt::kEmpty);
    Press(CLumaraView::IDC_MAP_RESET);
    EXPECT_EQ(Types(), std::vector<int>(12, 0));
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(g_OutputSpeakerType[i], 0);
    EXPECT_EQ(g_MixItemsFirst.load(), 1);
    ExpectUnlinked();
    ASSERT_EQ(menuView->presets.size(), 13u);
    for (const auto& p : menuView->presets) {
        EXPECT_EQ(p.type, 0);
        EXPECT_TRUE(p.underLock) << p.output;
    }
    ASSERT_TRUE(PumpUntil([&] { return !RecordFrames(before, kRecordOutputMapB).empty(); }, 10000));
    const auto a = RecordFrames(before, kRecordOutputMapA),
               b = RecordFrames(before, kRecordOutputMapB);
    ASSERT_EQ(a.size(), 1u);
    EXPECT_EQ(a[0].payload, std::vector<uint8_t>(8, 0));
    EXPECT_EQ(std::vector<uint8_t>(b[0].payload.begin(), b[0].payload.begin() + 4),
              std::vector<uint8_t>(4, 0));
    auto nameItems = [&] {
        int n = 0;
        const auto seen = device.Seen();
        for (size_t i = seen.size() - std::min(device.FrameCount() - before, seen.size());
             i < seen.size(); ++i)
            n += seen[i].command == 0xA1 && seen[i].group == 4 && seen[i].channel == 0 &&
                 seen[i].item == 36 && seen[i].payload[1] == 0;
        return n;
    };
    EXPECT_TRUE(PumpUntil([&] { return nameItems() >= 1; }, 10000));
}

// "Default" gives the outputs their start-up types and sends that map.
TEST_F(MapResetTest, DefaultRestoresTheStartUpMap) {
    StartReady();
    Answer(COutputMapResetPrompt::kEmpty);
    Press(CLumaraView::IDC_MAP_RESET);
    WaitIdle();
    LinkOutputs();
    const size_t before = device.FrameCount();
    menuView->presets.clear();
    Answer(COutputMapResetPrompt::kDefault);
    Press(CLumaraView::IDC_MAP_RESET);
    const std::vector<int> defaults{6, 12, 15, 18, 0, 0, 0, 0, 22, 23, 0, 0};
    EXPECT_EQ(Types(), defaults);
    EXPECT_EQ(g_MixItemsFirst.load(), 0);
    ExpectUnlinked();
    for (const auto& p : menuView->presets) {
        EXPECT_EQ(p.type, defaults[static_cast<size_t>(p.output)]);
        EXPECT_TRUE(p.underLock) << p.output;
    }
    ASSERT_TRUE(PumpUntil([&] { return !RecordFrames(before, kRecordOutputMapB).empty(); }, 10000));
    const auto a = RecordFrames(before, kRecordOutputMapA),
               b = RecordFrames(before, kRecordOutputMapB);
    EXPECT_EQ(a.back().payload, (std::vector<uint8_t>{6, 12, 15, 18, 0, 0, 0, 0}));
    EXPECT_EQ(std::vector<uint8_t>(b.back().payload.begin(), b.back().payload.begin() + 4),
              (std::vector<uint8_t>{22, 23, 0, 0}));
}

// Cancel, or the close box, changes nothing and queues nothing.
TEST_F(MapResetTest, CancelChangesNothing) {
    StartAlone();
    LinkOutputs();
    const std::vector<int> types = Types();
    const int queued = menuView->Session().Command().GetCount();
    for (bool closeBox : {false, true}) {
        if (closeBox)
            play = [](QDialog& d) { d.close(); };
        else
            Answer(COutputMapResetPrompt::kCancel);
        Press(CLumaraView::IDC_MAP_RESET);
        EXPECT_EQ(Types(), types);
        EXPECT_EQ(menuView->Session().Command().GetCount(), queued);
        EXPECT_EQ(WithDeviceLock([] { return g_LinkKey[3]; }), 5);
        EXPECT_EQ(g_LRLinkOn, 1);
        EXPECT_EQ(menuView->BitButton(CLumaraView::IDC_LR_LINK)->GetCheck(), 1);
    }
}

// ---------------------------------------------------------------------------
// The language at run time
// ---------------------------------------------------------------------------

// The pictures a strip's link button shows off and on.
std::pair<unsigned, unsigned> LinkPictures(CStripBase* strip) {
    auto* route = dynamic_cast<COutputStrip*>(strip);
    if (!route) return {0, 0};
    CBitButton* button = route->LinkButton();
    const int was = button->GetCheck();
    button->SetCheck(0);
    const unsigned off = button->Current().bitmap;
    button->SetCheck(1);
    const unsigned on = button->Current().bitmap;
    button->SetCheck(was);
    return {off, on};
}

// Switched twice with the language item, the whole window looks as it did:
// every picture and text, the strips' link-group pictures, the menus.
TEST_F(MenusTest, TheLanguageSwitchedTwiceGivesTheFirstLanguageBack) {
    ControlTimer::ManualTime stillBlink; // the connection text keeps its phase
    StartAlone();
    // Outputs linked in groups 3 and 12; the strips show their groups.
    WithDeviceLock([] {
        g_LinkKey[0] = g_LinkKey[1] = GroupLinkKey(3);
        g_LinkKey[4] = GroupLinkKey(12);
    });
    for (int i = 0; i < 12; ++i)
        menuView->Strip(i)->ShowLinkGroup(WithDeviceLock([i] { return g_LinkKey[i]; }));
    QWidget* window = menuView->window();
    window->show();
    QApplication::processEvents();
    auto state = [&] {
        std::vector<std::string> s;
        for (QMenu* m : {menuView->ModeMenu(), menuView->SystemMenu()})
            for (const MenuItem& item : Items(m))
                s.push_back(item.text);
        for (int i = 0; i < 12; ++i)
            s.push_back(std::to_string(LinkPictures(menuView->Strip(i)).first) + "/" +
                        std::to_string(LinkPictures(menuView->Strip(i)).second));
        s.push_back(menuView->LinkStatus()->isHidden() ? "status hidden" : "status shown");
        return s;
    };
    // The window drawn over black: what it leaves unpainted (outside its
    // rounded edges) stays black in every picture.
    auto render = [window] {
        QImage image(window->size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::black);
        window->render(&image);
        return image;
    };
    // The connection text is up, as after a link was lost.
    menuView->SetLinkStatusDisplay(0);
    ASSERT_FALSE(menuView->LinkStatus()->isHidden());
    const QImage english = render();
    const std::vector<std::string> englishState = state();
    EXPECT_EQ(LinkPictures(menuView->Strip(0)).second, 1030); // group 3
    EXPECT_EQ(LinkPictures(menuView->Strip(4)).second, 1108); // group 12
    EXPECT_EQ(LinkPictures(menuView->Strip(5)).first, 1019);

    Choose(CLumaraView::IDC_SYSTEM_MENU, CLumaraView::kCmdLanguage);
    ASSERT_EQ(g_LanguageFlag.load(), 1);
    EXPECT_NE(render(), english);
    EXPECT_EQ(LinkPictures(menuView->Strip(4)).second, 1104);
    EXPECT_EQ(LinkPictures(menuView->Strip(5)).first, 1018);

    Choose(CLumaraView::IDC_SYSTEM_MENU, CLumaraView::kCmdLanguage);
    ASSERT_EQ(g_LanguageFlag.load(), 0);
    EXPECT_EQ(state(), englishState);
    EXPECT_TRUE(render() == english);
}

} // namespace
