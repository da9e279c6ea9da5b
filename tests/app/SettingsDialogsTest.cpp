// The quit and save prompts, the About box, the connection choice, the
// preset panel with its password prompt and the advanced settings, each
// alone: their texts in both languages, their results, and what they change.
#include "tests/app/PresetTestSupport.h"

#include "features/system/AboutDialog.h"
#include "app/PresetPanelDialog.h"
#include "features/presets/PanelPasswordPrompt.h"
#include "features/system/AdvancedSettingsDialog.h"
#include "features/connection/ConnectionDialog.h"
#include "features/presets/SavePresetFilePrompt.h"
#include "features/system/WarningPrompt.h"
#include "controls/DynamicsGraph.h"
#include "controls/ListCtrlCl.h"
#include "controls/NumEdit.h"
#include "controls/StaticControls.h"
#include "link/LinkGlobals.h"
#include "features/firmware/SerialPort.h"
#include "model/KTV_Data.h"
#include "model/SourceTable.h"
#include "platform/Skin.h"
#include "tests/pages/PageHostStub.h"

#include <gmock/gmock.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QRadioButton>

namespace {

using ::testing::ElementsAre;

// Types text into a field as the keyboard would, one key at a time.
void TypeKeys(QWidget* w, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &release);
    }
}

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_LanguageFlag = 0;
        for (auto& f : g_StateFlags)
            f = 0;
        previous_ = CMessageBox::SetResponder([this](const CMessageBox::Shown& s) {
            boxes.push_back(s);
            return CMessageBox::Action::Ok;
        });
    }
    void TearDown() override {
        CMessageBox::SetResponder(previous_);
        g_LanguageFlag = 0;
        g_ConnectionKind = 0;
        for (auto& f : g_StateFlags)
            f = 0;
    }
    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> out;
        for (const auto& b : boxes)
            out.push_back(b.text.toStdString());
        return out;
    }

    std::vector<CMessageBox::Shown> boxes;

private:
    CMessageBox::Responder previous_;
};

std::string Text(const QString& s) {
    return s.toStdString();
}

// ---------------------------------------------------------------------------
// The quit and save prompts, the About box
// ---------------------------------------------------------------------------

using PromptTest = DialogTest;

TEST_F(PromptTest, QuitPromptShowsTheMessageUnderItsCaptionInBothLanguagesAndEndsWithOk) {
    for (int language : {0, 1}) {
        g_LanguageFlag = language;
        for (const char* message : {"Quit now?", ""}) {
            SCOPED_TRACE(std::string(message) + " language " + std::to_string(language));
            CWarningPrompt dlg;
            dlg.m_Message = QString::fromUtf8(message);
            ctl::SetModalScript(
                [](QDialog& d) { static_cast<CWarningPrompt&>(d).OkButton()->click(); });
            EXPECT_EQ(ctl::RunModal(dlg), QDialog::Accepted);
            ctl::SetModalScript({});
            EXPECT_EQ(Text(dlg.windowTitle()), language ? "退出" : "Quit");
            // Without a message the text area stays empty.
            EXPECT_EQ(Text(dlg.MessageText()->text()), message);
        }
    }
}

TEST_F(PromptTest, SavePromptTextsFollowTheLanguage) {
    struct Case {
        int language;
        const char *yes, *no, *cancel, *question, *caption;
    };
    const Case cases[] = {
        {0, "YES", "NO", "Cancel", "Whether to save the current Presets file?", "Prompting"},
        {1, "是", "否", "取消", "是否保存当前场景文件?", "提示"},
    };
    for (const Case& c : cases) {
        g_LanguageFlag = c.language;
        CSavePresetFilePrompt dlg;
        EXPECT_EQ(dlg.Result(), CSavePresetFilePrompt::kNotAnswered);
        dlg.OnInitDialog();
        EXPECT_EQ(Text(dlg.YesButton()->text()), c.yes);
        EXPECT_EQ(Text(dlg.NoButton()->text()), c.no);
        EXPECT_EQ(Text(dlg.CancelButton()->text()), c.cancel);
        EXPECT_EQ(Text(dlg.Question()->text()), c.question);
        EXPECT_EQ(Text(dlg.windowTitle()), c.caption);
        EXPECT_EQ(dlg.Result(), 1); // before any answer
    }
}

TEST_F(PromptTest, SavePromptAnswersYesSixNoSevenAndCancelEscapeOrCloseTwo) {
    struct Case {
        const char* how;
        std::function<void(CSavePresetFilePrompt&)> act;
        int result;
        int ended;
    };
    const Case cases[] = {
        {"YES", [](CSavePresetFilePrompt& d) { d.YesButton()->click(); }, 6, QDialog::Accepted},
        {"Enter", [](CSavePresetFilePrompt& d) { SendKey(&d, Qt::Key_Return); }, 6,
         QDialog::Accepted},
        {"NO", [](CSavePresetFilePrompt& d) { d.NoButton()->click(); }, 7, QDialog::Rejected},
        {"Cancel", [](CSavePresetFilePrompt& d) { d.CancelButton()->click(); }, 2,
         QDialog::Rejected},
        {"Escape", [](CSavePresetFilePrompt& d) { SendKey(&d, Qt::Key_Escape); }, 2,
         QDialog::Rejected},
        {"close box", [](CSavePresetFilePrompt& d) { d.close(); }, 2, QDialog::Rejected},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        CSavePresetFilePrompt dlg;
        ctl::SetModalScript([&c](QDialog& d) { c.act(static_cast<CSavePresetFilePrompt&>(d)); });
        EXPECT_EQ(ctl::RunModal(dlg), c.ended);
        ctl::SetModalScript({});
        EXPECT_EQ(dlg.Result(), c.result);
    }
}

TEST_F(PromptTest, AboutBoxNamesTheProgramAndItsVersionInBothLanguages) {
    for (int language : {0, 1}) {
        g_LanguageFlag = language;
        CAboutDialog dlg;
        const std::string product = g_ProductTitle;
        EXPECT_EQ(Text(dlg.windowTitle()), (language ? "关于 " : "About ") + product);
        EXPECT_THAT(Text(dlg.VersionText()->text()),
                    ::testing::StartsWith(product + (language ? " 版本 " : " Version ")));
        EXPECT_FALSE(dlg.SecondText()->text().isEmpty());
        EXPECT_FALSE(dlg.Icon()->pixmap().isNull());
        ctl::SetModalScript([](QDialog& d) { static_cast<CAboutDialog&>(d).OkButton()->click(); });
        EXPECT_EQ(ctl::RunModal(dlg), QDialog::Accepted);
        ctl::SetModalScript({});
    }
}

// ---------------------------------------------------------------------------
// The connection choice
// ---------------------------------------------------------------------------

using ConnectTest = DialogTest;

std::vector<SerialPortInfo> TwoPorts() {
    std::vector<SerialPortInfo> ports(2);
    ports[0].displayName = "ttyS0";
    ports[1].displayName = "ttyUSB0";
    ports[1].usb = true;
    return ports;
}

TEST_F(ConnectTest, TextsFollowTheLanguageAndTheKindInUseIsChosen) {
    struct Case {
        int language, kind;
        const char *usb, *wifi, *com, *link;
    };
    const Case cases[] = {
        {0, kLinkUsb, "Use the USB connect to the device", "Use the WIFI connect to the device",
         "Use the COM connect to the device", "Link"},
        {1, kLinkSerial, "使用USB连接到设备", "使用WIFI无线连接到设备", "使用COM连接到设备",
         "联机"},
    };
    for (const Case& c : cases) {
        g_LanguageFlag = c.language;
        g_ConnectionKind = c.kind;
        CConnectionDialog dlg;
        dlg.OnInitDialog(TwoPorts());
        EXPECT_EQ(Text(dlg.Radio(kLinkUsb)->text()), c.usb);
        EXPECT_EQ(Text(dlg.Radio(kLinkNetwork)->text()), c.wifi);
        EXPECT_EQ(Text(dlg.Radio(kLinkSerial)->text()), c.com);
        EXPECT_EQ(Text(dlg.LinkButton()->text()), c.link);
        EXPECT_TRUE(dlg.Radio(c.kind)->isChecked());
        // Only the serial kind lists ports; the shown port is the chosen one.
        EXPECT_EQ(dlg.Ports()->isEnabled(), c.kind == kLinkSerial);
        EXPECT_EQ(dlg.Ports()->count(), 2);
        EXPECT_EQ(dlg.PortName(), Text(dlg.Ports()->currentText()));
    }
}

TEST_F(ConnectTest, LinkMakesTheChoiceTheConnectionKindAndMarksTheSameKindChosenAgain) {
    struct Case {
        int current, chosen, again;
    };
    for (const Case& c : {Case{kLinkUsb, kLinkNetwork, 0}, Case{kLinkNetwork, kLinkNetwork, 1},
                          Case{kLinkUsb, kLinkSerial, 0}}) {
        g_ConnectionKind = c.current;
        g_StateFlags[kFlagKindChosenAgain] = 0;
        CConnectionDialog dlg;
        dlg.OnInitDialog(TwoPorts());
        dlg.Radio(c.chosen)->click();
        EXPECT_EQ(dlg.Ports()->isEnabled(), c.chosen == kLinkSerial);
        if (c.chosen == kLinkSerial) {
            dlg.Ports()->setCurrentIndex(0);
            emit dlg.Ports()->activated(0);
            EXPECT_EQ(dlg.PortName(), "ttyS0");
        }
        ctl::SetModalScript(
            [](QDialog& d) { static_cast<CConnectionDialog&>(d).LinkButton()->click(); });
        EXPECT_EQ(ctl::RunModal(dlg), QDialog::Accepted);
        ctl::SetModalScript({});
        EXPECT_EQ(g_ConnectionKind.load(), c.chosen);
        EXPECT_EQ(g_StateFlags[kFlagKindChosenAgain].load(), c.again);
    }
}

// ---------------------------------------------------------------------------
// The panel's password prompt
// ---------------------------------------------------------------------------

using PanelPasswordTest = DialogTest;

TEST_F(PanelPasswordTest, TheFixedPasswordIsAcceptedAndAnythingElseRefusedWithTheLanguagesMessage) {
    struct Case {
        int language;
        QString typed;
        int accepted;
        std::vector<std::string> said;
    };
    const Case cases[] = {
        {0, QStringLiteral("kq3527"), 1, {}},
        {0, QStringLiteral("kq3528"), 0, {"Password error!"}},
        {1, QStringLiteral("KQ3527"), 0, {"密码错误!"}},
        {0, QString(), 0, {"Password error!"}}, // an empty field too
        // Only six characters go in: the seventh is not taken.
        {1, QStringLiteral("kq35279"), 1, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Text(c.typed));
        g_LanguageFlag = c.language;
        boxes.clear();
        CPanelPasswordPrompt dlg;
        ctl::SetModalScript([&c](QDialog& d) {
            auto& p = static_cast<CPanelPasswordPrompt&>(d);
            TypeKeys(p.PasswordEdit(), c.typed);
            EXPECT_LE(p.PasswordEdit()->text().size(), 6);
            p.OkButton()->click();
        });
        // The prompt ends after every confirmation, right or wrong.
        EXPECT_EQ(ctl::RunModal(dlg), QDialog::Accepted);
        ctl::SetModalScript({});
        EXPECT_EQ(dlg.Accepted(), c.accepted);
        EXPECT_EQ(BoxTexts(), c.said);
        EXPECT_EQ(Text(dlg.windowTitle()), g_ProductTitle);
    }
}

TEST_F(PanelPasswordTest, EnterInTheFieldConfirmsEscapeKeepsItOpenAndCloseCancels) {
    {
        CPanelPasswordPrompt dlg;
        dlg.show();
        TypeKeys(dlg.PasswordEdit(), QStringLiteral("kq3527"));
        SendKey(&dlg, Qt::Key_Escape);
        EXPECT_TRUE(dlg.isVisible());
        SendKey(dlg.PasswordEdit(), Qt::Key_Return);
        EXPECT_FALSE(dlg.isVisible());
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
        EXPECT_EQ(dlg.Accepted(), 1);
    }
    {
        CPanelPasswordPrompt dlg;
        dlg.show();
        TypeKeys(dlg.PasswordEdit(), QStringLiteral("kq3527"));
        dlg.CloseButton()->click();
        EXPECT_FALSE(dlg.isVisible());
        EXPECT_EQ(dlg.result(), QDialog::Rejected);
        EXPECT_EQ(dlg.Accepted(), 0);
    }
    // Both languages' OK pictures.
    for (int language : {0, 1}) {
        g_LanguageFlag = language;
        CPanelPasswordPrompt dlg;
        dlg.OnInitDialog();
        EXPECT_EQ(dlg.OkButton()->Current().bitmap, language ? 940u : 942u);
        EXPECT_EQ(dlg.size(), skin::Size(939));
    }
}

// ---------------------------------------------------------------------------
// The preset panel alone (no main view: nothing is connected)
// ---------------------------------------------------------------------------

using PanelTest = DialogTest;

std::vector<int> Shown(const CPresetPanelDialog& panel) {
    std::vector<int> ids;
    for (int id = CPresetPanelDialog::IDC_USB; id <= CPresetPanelDialog::IDC_LANGUAGE; ++id)
        if (!panel.Button(id)->isHidden()) ids.push_back(id);
    return ids;
}

TEST_F(PanelTest, OpensOnTheFirstPageAndEachPageShowsItsButtonsAndBackground) {
    for (int language : {0, 1}) {
        g_LanguageFlag = language;
        CPresetPanelDialog panel;
        panel.m_View = nullptr;
        panel.show();
        EXPECT_EQ(panel.PageFlag(), CPresetPanelDialog::kFirstPage);
        EXPECT_EQ(panel.size(), skin::Size(875));
        EXPECT_EQ(Text(panel.windowTitle()), g_ProductTitle);
        // First page: USB, minimise, close, password, preset page, language.
        EXPECT_THAT(Shown(panel), ElementsAre(2819, 2820, 2821, 2832, 2833, 2835));
        EXPECT_EQ(panel.BackgroundId(), 877);
        EXPECT_EQ(panel.Button(CPresetPanelDialog::IDC_LANGUAGE)->GetCheck(), language);
        panel.Button(CPresetPanelDialog::IDC_TO_PRESETS)->click();
        EXPECT_EQ(panel.PageFlag(), CPresetPanelDialog::kPresetPage);
        EXPECT_THAT(Shown(panel),
                    ElementsAre(2819, 2820, 2821, 2822, 2823, 2824, 2825, 2826, 2827, 2834));
        EXPECT_EQ(panel.BackgroundId(), language ? 875 : 876);
        panel.Button(CPresetPanelDialog::IDC_BACK)->click();
        EXPECT_EQ(panel.PageFlag(), CPresetPanelDialog::kFirstPage);
        EXPECT_THAT(Shown(panel), ElementsAre(2819, 2820, 2821, 2832, 2833, 2835));
    }
}

TEST_F(PanelTest, PresetRecallWithoutALinkSaysSoAndKeepsTheSelection) {
    for (int language : {0, 1}) {
        g_LanguageFlag = language;
        boxes.clear();
        CPresetPanelDialog panel;
        panel.m_View = nullptr;
        panel.show();
        panel.SetPage(CPresetPanelDialog::kPresetPage);
        panel.PresetButton(3)->click();
        EXPECT_EQ(panel.CurrentPreset(), 0);
        EXPECT_EQ(panel.PresetButton(3)->GetCheck(), 0);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(Text(boxes[0].text),
                  language ? "连接失败  请检查USB线缆是否插好或重启计算机和设备后再尝试连接!"
                           : "Connection failure!");
        EXPECT_EQ(boxes[0].autoCloseMs, 0);
    }
}

TEST_F(PanelTest, DeviceDataMessagesMoveTheSelectionOnlyForPresetsOneToTen) {
    CPresetPanelDialog panel;
    panel.m_View = nullptr;
    panel.show();
    panel.SendMessage(WM_DEVICE_DATA_DONE, 4, 0);
    EXPECT_EQ(panel.CurrentPreset(), 3);
    EXPECT_EQ(panel.PresetButton(4)->GetCheck(), 1);
    for (WPARAM ignored : {WPARAM(0), WPARAM(11)}) {
        panel.SendMessage(WM_DEVICE_DATA_DONE, ignored, 0);
        EXPECT_EQ(panel.CurrentPreset(), 3);
        EXPECT_EQ(panel.PresetButton(4)->GetCheck(), 1);
    }
    panel.SendMessage(WM_DEVICE_DATA_DONE, 2, 0);
    EXPECT_EQ(panel.CurrentPreset(), 1);
    EXPECT_EQ(panel.PresetButton(4)->GetCheck(), 0);
    EXPECT_EQ(panel.PresetButton(2)->GetCheck(), 1);
    // The link lost: the USB button and the selected preset go off.
    panel.Button(CPresetPanelDialog::IDC_USB)->SetCheck(1);
    panel.SendMessage(WM_LINK_LOST, 0, 0);
    EXPECT_EQ(panel.Button(CPresetPanelDialog::IDC_USB)->GetCheck(), 0);
    EXPECT_EQ(panel.PresetButton(2)->GetCheck(), 0);
}

TEST_F(PanelTest, AnAcceptedPasswordEndsThePanelUnlockedAndARefusedOneKeepsItOpen) {
    ModalUser user;
    CPresetPanelDialog panel;
    panel.m_View = nullptr;
    panel.show();
    user.Then<CPanelPasswordPrompt>([](CPanelPasswordPrompt& d) {
        TypeKeys(d.PasswordEdit(), QStringLiteral("123456"));
        d.OkButton()->click();
    });
    panel.Button(CPresetPanelDialog::IDC_PASSWORD)->click();
    EXPECT_TRUE(panel.isVisible());
    EXPECT_EQ(panel.Unlocked(), 0);
    EXPECT_THAT(BoxTexts(), ElementsAre("Password error!"));
    user.Then<CPanelPasswordPrompt>([](CPanelPasswordPrompt& d) {
        TypeKeys(d.PasswordEdit(), QStringLiteral("kq3527"));
        SendKey(d.PasswordEdit(), Qt::Key_Enter);
    });
    panel.Button(CPresetPanelDialog::IDC_PASSWORD)->click();
    EXPECT_FALSE(panel.isVisible());
    EXPECT_EQ(panel.result(), QDialog::Accepted);
    EXPECT_EQ(panel.Unlocked(), 1);
    EXPECT_EQ(user.opened, 2);
}

TEST_F(PanelTest, EnterEscapeAndTabNeverEndThePanel) {
    CPresetPanelDialog panel;
    panel.m_View = nullptr;
    panel.show();
    for (int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape, Qt::Key_Tab})
        SendKey(&panel, key);
    EXPECT_TRUE(panel.isVisible());
}

TEST_F(PanelTest, DraggingThePanelAnywhereOffItsButtonsMovesIt) {
    CPresetPanelDialog panel;
    panel.m_View = nullptr;
    panel.show();
    panel.move(100, 100);
    const QPoint start = panel.pos();
    auto mouse = [&panel](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
        const QPoint global = panel.mapToGlobal(at);
        QMouseEvent e(type, QPointF(at), QPointF(global), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(&panel, &e);
    };
    const QPoint grip(160, 300); // empty background
    mouse(QEvent::MouseButtonPress, grip, Qt::LeftButton);
    mouse(QEvent::MouseMove, grip + QPoint(30, -20), Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, grip + QPoint(30, -20), Qt::NoButton);
    EXPECT_EQ(panel.pos(), start + QPoint(30, -20));
    // Once released, moves of the mouse leave it where it is.
    mouse(QEvent::MouseMove, grip + QPoint(90, 90), Qt::NoButton);
    EXPECT_EQ(panel.pos(), start + QPoint(30, -20));
    EXPECT_TRUE(panel.isVisible());
}

TEST_F(PanelTest, LanguageSwitchGivesTheButtonsTheNewLanguagesPicturesAtOnce) {
    g_LanguageFlag = 0;
    CPresetPanelDialog panel;
    panel.m_View = nullptr;
    panel.show();
    struct Want {
        int id;
        unsigned en, cn;
    };
    const Want wants[] = {{2819, 890, 884}, {2822, 916, 896}, {2825, 919, 899}, {2826, 900, 900},
                          {2832, 927, 924}, {2833, 932, 930}, {2834, 894, 888}};
    for (const Want& w : wants)
        EXPECT_EQ(panel.Button(w.id)->Current().bitmap, w.en) << w.id;
    panel.Button(CPresetPanelDialog::IDC_LANGUAGE)->click();
    EXPECT_EQ(g_LanguageFlag.load(), 1);
    EXPECT_EQ(panel.Button(CPresetPanelDialog::IDC_LANGUAGE)->GetCheck(), 1);
    for (const Want& w : wants)
        EXPECT_EQ(panel.Button(w.id)->Current().bitmap, w.cn) << w.id;
    panel.SetPage(CPresetPanelDialog::kPresetPage);
    EXPECT_EQ(panel.BackgroundId(), 875);
    panel.SetPage(CPresetPanelDialog::kFirstPage);
    panel.Button(CPresetPanelDialog::IDC_LANGUAGE)->click();
    EXPECT_EQ(g_LanguageFlag.load(), 0);
    panel.SetPage(CPresetPanelDialog::kPresetPage);
    EXPECT_EQ(panel.BackgroundId(), 876);
}

// ---------------------------------------------------------------------------
// The advanced settings
// ---------------------------------------------------------------------------

class AdvancedHost : public PageHostStub {
public:
    void SendCommand(int record, int index) override { commands.emplace_back(record, index); }
    void MarkMasterChanged(int flag) override { master.push_back(flag); }
    void MarkSourceChanged(int flag) override { source.push_back(flag); }
    void SaveLineSetting() override { ++lineSaves; }
    void OnAdvancedSettingChanged() override { ++changed; }

    std::vector<std::pair<int, int>> commands;
    std::vector<int> master, source;
    int lineSaves = 0;
    int changed = 0;
};

class MenuAnswer : public CAdvancedSettingsDialog {
public:
    using CAdvancedSettingsDialog::CAdvancedSettingsDialog;
    int TrackInputModeMenu(QMenu& menu, const QPoint&) override {
        items.clear();
        for (QAction* a : menu.actions())
            items.push_back(Text(a->text()));
        return answer;
    }
    std::vector<std::string> items;
    int answer = 0;
};

class AdvancedTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        {
            DeviceLockGuard lock(g_DeviceLock);
            savedAddress_ = g_DeviceIpAddress;
            g_DeviceIpAddress = "127.0.0.1";
            std::copy(g_DeviceRecords.Bytes().sources, g_DeviceRecords.Bytes().sources + 8,
                      saved2_);
            std::copy(g_DeviceRecords.Bytes().master, g_DeviceRecords.Bytes().master + 8, saved5_);
            std::copy(g_LinkKey, g_LinkKey + 12, savedKeys_);
        }
        savedPort_ = g_DevicePort.load();
        g_DevicePort = 8899;
        savedLine_ = g_LineSetting;
        g_SourceTable->Init();
        dlg = std::make_unique<MenuAnswer>();
        dlg->m_View = &host;
        dlg->SetData(&data);
    }
    void TearDown() override {
        dlg.reset();
        {
            DeviceLockGuard lock(g_DeviceLock);
            g_DeviceIpAddress = savedAddress_;
            std::copy(saved2_, saved2_ + 8, g_DeviceRecords.Bytes().sources);
            std::copy(saved5_, saved5_ + 8, g_DeviceRecords.Bytes().master);
            std::copy(savedKeys_, savedKeys_ + 12, g_LinkKey);
        }
        g_DevicePort = savedPort_;
        g_LineSetting = savedLine_;
        DialogTest::TearDown();
    }

    AdvancedHost host;
    CKTV_Data data;
    std::unique_ptr<MenuAnswer> dlg;

private:
    std::string savedAddress_;
    int savedPort_ = 0;
    int savedLine_ = 0;
    uint8_t saved2_[8] = {}, saved5_[8] = {};
    int savedKeys_[12] = {};
};

TEST_F(AdvancedTest, TextsFollowTheLanguageAndTheDialogIsRegisteredWhileItLives) {
    struct Case {
        int language;
        const char *title, *description;
        std::vector<std::string> menu;
    };
    const Case cases[] = {
        {0,
         "Advanced Setting",
         "Description:\n        Set the output echo sites also show whether EQ response curve.",
         {"S/PDIF", "Hi.Level", "Phone", "AUX1", "AUX2", "AUX3", "OFF"}},
        {1,
         "高级",
         "说明:\n        设置输出回声场点是否同时显示EQ频响曲线。",
         {"数字", "高电平", "蓝牙", "AUX1", "AUX2", "AUX3", "关闭"}},
    };
    for (const Case& c : cases) {
        g_LanguageFlag = c.language;
        MenuAnswer d;
        d.m_View = &host;
        EXPECT_EQ(g_AdvancedDlg.Get().data(), nullptr);
        d.show();
        EXPECT_EQ(g_AdvancedDlg.Get().data(), &d);
        EXPECT_EQ(Text(d.windowTitle()), c.title);
        EXPECT_EQ(Text(d.Description()->text()), c.description);
        d.InputModeButton()->click();
        EXPECT_EQ(d.items, c.menu);
        // Twelve channels, none selected.
        ASSERT_EQ(d.Channels()->GetItemCount(), 12);
        EXPECT_EQ(Text(d.Channels()->GetItemText(11, 0)), "CH12");
        EXPECT_EQ(d.SelectedChannel(), -1);
    }
    EXPECT_EQ(g_AdvancedDlg.Get().data(), nullptr);
}

TEST_F(AdvancedTest, ApplyIsEnabledOnlyByADifferentAddressOrPortAndTakesThem) {
    dlg->show();
    // The device's address shown, apply disabled.
    EXPECT_EQ(Text(dlg->AddressEdit()->text()), "127.0.0.1");
    EXPECT_EQ(Text(dlg->PortEdit()->text()), "8899");
    EXPECT_FALSE(dlg->ApplyButton()->isEnabled());
    // Edits that leave the device's address and port as they are enable nothing.
    dlg->OnPortEdited();
    dlg->OnAddressEdited();
    EXPECT_FALSE(dlg->ApplyButton()->isEnabled());
    TypeKeys(dlg->AddressEdit(), QStringLiteral("2"));
    EXPECT_TRUE(dlg->ApplyButton()->isEnabled());
    dlg->RefreshNetworkAddress();
    EXPECT_EQ(Text(dlg->AddressEdit()->text()), "127.0.0.1");
    EXPECT_FALSE(dlg->ApplyButton()->isEnabled());
    // A port above 65535 is cut to 65535 while typed, and that differs.
    dlg->PortEdit()->clear();
    TypeKeys(dlg->PortEdit(), QStringLiteral("70000"));
    EXPECT_EQ(Text(dlg->PortEdit()->text()), "65535");
    EXPECT_TRUE(dlg->ApplyButton()->isEnabled());
    // No port at all becomes 1 when the field is left.
    dlg->PortEdit()->clear();
    QFocusEvent out(QEvent::FocusOut);
    QApplication::sendEvent(dlg->PortEdit(), &out);
    EXPECT_EQ(Text(dlg->PortEdit()->text()), "1");
    // Apply takes both.
    dlg->AddressEdit()->setText(QStringLiteral("127.0.0.2"));
    dlg->PortEdit()->setText(QStringLiteral("9000"));
    dlg->ApplyButton()->click();
    EXPECT_EQ(DeviceAddress(), "127.0.0.2");
    EXPECT_EQ(g_DevicePort.load(), 9000);
    EXPECT_FALSE(dlg->ApplyButton()->isEnabled());
    EXPECT_TRUE(boxes.empty());
}

TEST_F(AdvancedTest, AnAddressThatIsNoAddressIsRefusedAndChangesNothing) {
    dlg->show();
    for (const char* bad : {"127.0.0", "127.0.0.300", "..."}) {
        SCOPED_TRACE(bad);
        boxes.clear();
        dlg->AddressEdit()->setText(QString::fromLatin1(bad));
        dlg->PortEdit()->setText(QStringLiteral("9000"));
        EXPECT_FALSE(dlg->OnApply());
        EXPECT_EQ(DeviceAddress(), "127.0.0.1");
        EXPECT_EQ(g_DevicePort.load(), 8899);
        EXPECT_THAT(BoxTexts(), ElementsAre("The IP address is not valid!"));
    }
}

TEST_F(AdvancedTest, RefreshShowsTheGlobalsAndResetsTheLinkMarks) {
    {
        DeviceLockGuard lock(g_DeviceLock);
        g_DeviceRecords.Bytes().sources[0] = 2;
        g_DeviceRecords.Bytes().sources[2] = 50;
        PutU16(g_DeviceRecords.Bytes().master, 54);
        g_DeviceIpAddress = "127.0.0.3";
    }
    g_DevicePort = 1234;
    g_LineSetting = 1;
    dlg->show();
    EXPECT_EQ(Text(dlg->InputModeButton()->text()), "Phone");
    EXPECT_EQ(dlg->Edit(CAdvancedSettingsDialog::IDC_SOURCE_A)->GetValue(), 50);
    EXPECT_EQ(dlg->Edit(CAdvancedSettingsDialog::IDC_MASTER_VOLUME)->GetValue(), 54);
    EXPECT_EQ(Text(dlg->AddressEdit()->text()), "127.0.0.3");
    EXPECT_EQ(Text(dlg->PortEdit()->text()), "1234");
    EXPECT_TRUE(dlg->ShowEqCheck()->isChecked());
    QColor c;
    for (int row = 0; row < 12; ++row) {
        ASSERT_TRUE(dlg->Channels()->FindItemBkColor(3, row, c));
        EXPECT_EQ(c, QColor(128, 128, 128));
    }
}

TEST_F(AdvancedTest, InputModeSetsTheActiveSourceAndSendsTheSourcesRecord) {
    dlg->show();
    struct Case {
        int item;
        int source;
        const char* shown;
    };
    for (const Case& c :
         {Case{175, 1, "Hi.Level"}, Case{180, 255, "OFF"}, Case{174, 0, "S/PDIF"}}) {
        host.commands.clear();
        dlg->answer = c.item;
        dlg->InputModeButton()->click();
        DeviceLockGuard lock(g_DeviceLock);
        EXPECT_EQ(g_DeviceRecords.Bytes().sources[0], c.source);
        EXPECT_EQ(Text(dlg->InputModeButton()->text()), c.shown);
        EXPECT_THAT(host.commands, ElementsAre(std::make_pair(int(kRecordSources), 0)));
    }
    EXPECT_EQ(host.changed, 3);
    // No choice changes nothing.
    host.commands.clear();
    dlg->answer = 0;
    dlg->InputModeButton()->click();
    EXPECT_TRUE(host.commands.empty());
}

TEST_F(AdvancedTest, SourceAndMasterValuesGoToTheirRecordsAndAreMarkedForSending) {
    dlg->show();
    struct Case {
        int id;
        int value;
        bool master;
    };
    for (const Case& c : {Case{CAdvancedSettingsDialog::IDC_SOURCE_B, 40, false},
                          Case{CAdvancedSettingsDialog::IDC_MASTER_VOLUME, 66, true},
                          Case{CAdvancedSettingsDialog::IDC_MASTER_B, 12, true}}) {
        host.master.clear();
        host.source.clear();
        dlg->Edit(c.id)->SetValue(c.value);
        dlg->SendMessage(WM_COMMAND, static_cast<WPARAM>(c.id), 0);
        EXPECT_EQ(host.master, c.master ? std::vector<int>{1} : std::vector<int>{});
        EXPECT_EQ(host.source, c.master ? std::vector<int>{} : std::vector<int>{1});
    }
    DeviceLockGuard lock(g_DeviceLock);
    EXPECT_EQ(g_DeviceRecords.Bytes().sources[3], 40);
    EXPECT_EQ(GetS16(g_DeviceRecords.Bytes().master), 66);
    EXPECT_EQ(g_DeviceRecords.Bytes().master[4], 12);
}

TEST_F(AdvancedTest, AChannelClickMarksItsLinkedChannelsRedAndDrawsItsCurve) {
    {
        DeviceLockGuard lock(g_DeviceLock);
        for (int i = 0; i < 12; ++i)
            g_LinkKey[i] = i;
        g_LinkKey[5] = 2; // outputs 2 and 5 are linked
    }
    dlg->show();
    dlg->OnChannelClicked(2);
    EXPECT_EQ(dlg->SelectedChannel(), 2);
    EXPECT_EQ(dlg->Curve()->GetChannel(), 2);
    QColor c;
    for (int row = 0; row < 12; ++row) {
        ASSERT_TRUE(dlg->Channels()->FindItemBkColor(3, row, c));
        EXPECT_EQ(c, row == 5 ? QColor(255, 0, 0) : QColor(128, 128, 128)) << row;
    }
    // The dynamics fields set the curve.
    dlg->Edit(CAdvancedSettingsDialog::IDC_LIMITER)->SetValue(300);
    dlg->SendMessage(WM_COMMAND, CAdvancedSettingsDialog::IDC_LIMITER, 0);
    EXPECT_EQ(dlg->Curve()->GetLevels().limiterLevel, 300);
    dlg->Edit(CAdvancedSettingsDialog::IDC_ATTACK)->SetValue(26);
    dlg->SendMessage(WM_COMMAND, CAdvancedSettingsDialog::IDC_ATTACK, 0);
    EXPECT_EQ(data.GetOut(2)->GetAttackTime(), 26);
    // Another channel: the old marks go.
    dlg->OnChannelClicked(7);
    ASSERT_TRUE(dlg->Channels()->FindItemBkColor(3, 5, c));
    EXPECT_EQ(c, QColor(128, 128, 128));
}

TEST_F(AdvancedTest, TheEqDisplayToggleIsStoredAndTheCommandButtonSendsCommand65) {
    g_LineSetting = 0;
    dlg->show();
    dlg->ShowEqCheck()->click();
    EXPECT_EQ(g_LineSetting, 1);
    EXPECT_TRUE(dlg->ShowEqCheck()->isChecked());
    dlg->ShowEqCheck()->click();
    EXPECT_EQ(g_LineSetting, 0);
    EXPECT_EQ(host.lineSaves, 2);
    dlg->ResetModuleButton()->click();
    EXPECT_THAT(host.commands, ElementsAre(std::make_pair(65, 0)));
}

TEST_F(AdvancedTest, EnterAndTabWalkTheTenFieldsInTheirOrderAndEscapeKeepsTheDialog) {
    dlg->show();
    QApplication::setActiveWindow(dlg.get());
    QWidget* at = dlg->Edit(CAdvancedSettingsDialog::IDC_SOURCE_A);
    at->setFocus();
    std::vector<int> walked;
    for (int i = 0; i < 10; ++i) {
        SendKey(at, i % 2 ? Qt::Key_Tab : Qt::Key_Return);
        at = dlg->focusWidget();
        ASSERT_NE(at, nullptr);
        walked.push_back(ControlId(at));
    }
    EXPECT_THAT(walked, ElementsAre(2791, 2792, 2734, 2765, 2741, 2759, 2760, 2758, 2778, 2731));
    SendKey(at, Qt::Key_Escape);
    EXPECT_TRUE(dlg->isVisible());
}

} // namespace
