// The transfer window (its blinking, end text and hiding, its long-command
// look, the progress it receives), the version window's texts, and the
// communication monitor.
#include "features/connection/TransferWindow.h"
#include "features/connection/LinkMonitorWindow.h"
#include "features/connection/VersionWindow.h"
#include "controls/FontStatic.h"
#include "controls/GradientProgressCtrl.h"
#include "controls/StaticControls.h"
#include "model/DataDefine.h"
#include "model/Globals.h"
#include "platform/UiGlobals.h"
#include "tests/platform/GuiTestSupport.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>

#include <cstring>
#include <memory>
#include <vector>

namespace {

class TransferWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_LanguageFlag = 0;
        g_TransferRunning = 0;
        owner.show();
        dlg = std::make_unique<CTransferWindow>(&owner);
    }
    void TearDown() override {
        dlg.reset();
        g_TransferRunning = 0;
        g_LanguageFlag = 0;
    }

    QWidget owner;
    std::unique_ptr<CTransferWindow> dlg;
};

TEST_F(TransferWindowTest, ShowsDisablesItsOwnerAndBlinksWhileTheTransferRuns) {
    struct Case {
        int language;
        const char* line;
        const char* caption;
    };
    for (const Case& c : {Case{0, "Data transmission", "Data transmission"},
                          Case{1, "数据正在传输中", "数据传输"}}) {
        g_LanguageFlag = c.language;
        g_TransferRunning = 1;
        dlg->ShowTransfer(0);
        EXPECT_TRUE(dlg->isVisible());
        EXPECT_FALSE(owner.isEnabled());
        EXPECT_EQ(dlg->Text()->Text(), QString::fromUtf8(c.line));
        EXPECT_EQ(dlg->windowTitle(), QString::fromUtf8(c.caption));
        EXPECT_TRUE(dlg->windowFlags() & Qt::WindowStaysOnTopHint);
        EXPECT_EQ(dlg->Text()->TextColor(), QColor(0, 0, 128));
        dlg->OnTimerTick();
        EXPECT_EQ(dlg->Text()->TextColor(), QColor(255, 0, 0));
        dlg->OnTimerTick();
        EXPECT_EQ(dlg->Text()->TextColor(), QColor(0, 0, 128));
        dlg->HideTransfer();
        EXPECT_TRUE(owner.isEnabled());
    }
}

TEST_F(TransferWindowTest, EndTextAndHidingOnceTheTransferEnds) {
    for (int language : {0, 1}) {
        g_LanguageFlag = language;
        g_TransferRunning = 1;
        dlg->ShowTransfer(0);
        QApplication::processEvents();
        ASSERT_TRUE(dlg->isVisible());
        // The last reply ends the transfer: within a tick of 200 ms the
        // window says so and hides, and its owner works again.
        g_TransferRunning = 0;
        ASSERT_TRUE(PumpUntil([&] { return !dlg->isVisible(); }, 1000));
        EXPECT_EQ(dlg->Text()->Text(), language ? QStringLiteral("数据传输结束")
                                                : QStringLiteral("End of data transmission"));
        EXPECT_TRUE(owner.isEnabled());
        EXPECT_EQ(dlg->GetFromDialog(), 0);
    }
}

TEST_F(TransferWindowTest, FromADialogDisablesThePresetDialog) {
    QWidget presetDlg;
    presetDlg.show();
    g_PresetDlg = &presetDlg;
    g_TransferRunning = 1;
    dlg->ShowTransfer(1);
    EXPECT_FALSE(presetDlg.isEnabled());
    EXPECT_TRUE(owner.isEnabled());
    EXPECT_EQ(dlg->GetFromDialog(), 1);
    g_TransferRunning = 0;
    dlg->OnTimerTick();
    EXPECT_TRUE(presetDlg.isEnabled());
    g_PresetDlg.Get().clear();
}

TEST_F(TransferWindowTest, LongCommandLookCreepsThenStandsAtTheEndFor12Ticks) {
    g_TransferRunning = 1;
    dlg->SetFactoryMode();
    dlg->ShowTransfer(0);
    EXPECT_EQ(dlg->Text()->Text(), QStringLiteral("Load factory defaults"));
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Advanced"));
    EXPECT_EQ(dlg->Progress()->GetUpperRange(), 110);
    // The bar counts up while the command runs, but never past 108.
    for (int tick = 1; tick <= 200; ++tick)
        dlg->OnTimerTick();
    EXPECT_EQ(dlg->Progress()->GetPos(), 108);
    g_TransferRunning = 0;
    int ticks = 0;
    while (dlg->isVisible() && ticks < 100) {
        dlg->OnTimerTick();
        ++ticks;
        if (ticks == 1) {
            EXPECT_EQ(dlg->Progress()->GetPos(), 110);
        }
    }
    EXPECT_EQ(ticks, 12); // about 2.4 s at 200 ms
    EXPECT_EQ(dlg->Text()->Text(), QStringLiteral("Load factory default success"));
    EXPECT_TRUE(owner.isEnabled());
    // The next transfer has the normal look again.
    g_TransferRunning = 1;
    dlg->ShowTransfer(0);
    EXPECT_EQ(dlg->Text()->Text(), QStringLiteral("Data transmission"));
}

TEST_F(TransferWindowTest, EscapeEnterAndCloseLeaveItOpen) {
    g_TransferRunning = 1;
    dlg->ShowTransfer(0);
    for (int key : {Qt::Key_Escape, Qt::Key_Return}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(dlg.get(), &press);
        EXPECT_TRUE(dlg->isVisible()) << key;
    }
    dlg->reject();
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_FALSE(dlg->close());
    EXPECT_TRUE(dlg->isVisible());
}

TEST_F(TransferWindowTest, RepliesMoveTheBarAndNeverReachAGoneWindow) {
    dlg->Progress()->SetRange(0, 16);
    std::thread worker([] { TransferProgressSink()->SetPos(5); });
    worker.join();
    EXPECT_EQ(dlg->Progress()->GetPos(), 5);
    dlg.reset();
    // A reply after the window went: nothing to move, nothing broken.
    std::thread late([] { TransferProgressSink()->SetPos(9); });
    late.join();
    SUCCEED();
}

// ---------------------------------------------------------------------------

TEST(VersionWindowTest, TextsByVariantAndLanguage) {
    struct Case {
        int variant;
        int language;
        const char* device;
        const char* caption;
        const char* help;
        const char* quit;
        const char* deviceText;
        const char* softwareText;
    };
    const Case cases[] = {
        {1, 0, "VELK-FV1.00", "About", "Help", "Quit", "Device version VELK-FV1.00",
         "Software version HOLV-FV1.10 (Zentro)"},
        {2, 0, "VELK-WV1.00", "About", "Help", "Quit", "Device version VELK-WV1.00",
         "Software version HOLV-WV1.00"},
        {1, 1, "VELK-FV1.00", "关于", "帮助", "退出", "设备版本 VELK-FV1.00",
         "软件版本 HOLV-FV1.10 (Zentro)"},
        {2, 1, "", "关于", "帮助", "退出", "设备版本 ", "软件版本 HOLV-WV1.00"},
        // Before any device answered: variant 2 and no device version.
        {2, 0, "", "About", "Help", "Quit", "Device version ", "Software version HOLV-WV1.00"},
        {0, 0, "", "About", "Help", "Quit", "Device version ", "Software version "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.deviceText);
        g_DeviceVariant = c.variant;
        g_LanguageFlag = c.language;
        std::memset(g_DeviceRecords.Bytes().versionText, 0,
                    sizeof g_DeviceRecords.Bytes().versionText);
        std::memcpy(g_DeviceRecords.Bytes().versionText, c.device, std::strlen(c.device));
        g_StateFlags[kFlagFirmwareMode] = 1;
        CVersionWindow dlg;
        EXPECT_EQ(g_StateFlags[kFlagFirmwareMode].load(), 0);
        EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8(c.caption));
        EXPECT_EQ(dlg.HelpButton()->text(), QString::fromUtf8(c.help));
        EXPECT_EQ(dlg.QuitButton()->text(), QString::fromUtf8(c.quit));
        EXPECT_EQ(dlg.DeviceText(), QString::fromUtf8(c.deviceText));
        EXPECT_EQ(dlg.SoftwareText(), QString::fromUtf8(c.softwareText));
    }
    g_DeviceVariant = 2;
    g_LanguageFlag = 0;
}

// Every line of the version texts shows whole: the wrapped text fits its
// box, and the boxes stay clear of each other and of the buttons.
TEST(VersionWindowTest, TheVersionTextsFitTheirBoxes) {
    CreateSharedFonts(); // the texts' font as the program has it
    std::memset(g_DeviceRecords.Bytes().versionText, 0, sizeof g_DeviceRecords.Bytes().versionText);
    std::memcpy(g_DeviceRecords.Bytes().versionText, "VELK-FV1.00", 11);
    for (int language : {0, 1})
        for (int variant : {1, 2}) {
            g_LanguageFlag = language;
            g_DeviceVariant = variant;
            CVersionWindow dlg;
            std::vector<QRect> boxes;
            for (const char* id : {"1877", "1875"}) {
                auto* text = dlg.findChild<CTransparentStatic*>(QLatin1String(id));
                ASSERT_NE(text, nullptr);
                SCOPED_TRACE(text->text().toStdString());
                const QRect r = text->geometry();
                const int flags = LayoutOfStaticStyle(text->Style()).flags;
                const QRect need =
                    QFontMetrics(text->font())
                        .boundingRect(QRect(0, 0, r.width(), 1000), flags, text->text());
                EXPECT_LE(need.height(), r.height());
                EXPECT_LE(need.width(), r.width());
                EXPECT_TRUE(dlg.rect().contains(r));
                EXPECT_FALSE(r.intersects(dlg.HelpButton()->geometry()));
                EXPECT_FALSE(r.intersects(dlg.QuitButton()->geometry()));
                boxes.push_back(r);
            }
            EXPECT_FALSE(boxes[0].intersects(boxes[1]));
        }
    g_DeviceVariant = 2;
    g_LanguageFlag = 0;
}

TEST(VersionWindowTest, QuitClosesHelpDoesNothing) {
    CVersionWindow dlg;
    dlg.show();
    dlg.HelpButton()->click();
    EXPECT_TRUE(dlg.isVisible());
    dlg.QuitButton()->click();
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
}

TEST(MonitorWindowTest, ClearEmptiesBothPanes) {
    CLinkMonitorWindow dlg;
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Lock"));
    dlg.WrittenPane()->setPlainText(QStringLiteral("6B 6B 6B EE A1"));
    dlg.ReadPane()->setPlainText(QStringLiteral("6B 6B 6B EE 51"));
    dlg.findChild<QPushButton*>(QStringLiteral("1222"))->click();
    EXPECT_TRUE(dlg.WrittenPane()->toPlainText().isEmpty());
    EXPECT_TRUE(dlg.ReadPane()->toPlainText().isEmpty());
}

} // namespace
