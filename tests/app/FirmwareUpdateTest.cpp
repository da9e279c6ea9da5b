// The firmware update from the program's own view: the view's operation
// opens the dialog, the user picks the file, starts, follows the update and
// quits; the images arrive byte for byte at the simulated device, the
// program's message boxes say how it ended, and nothing of the update stays
// in the program afterwards.
#include "tests/app/DeviceTestSupport.h"

#include "controls/GradientProgressCtrl.h"
#include "controls/StaticControls.h"
#include "features/firmware/FirmwareUpdateDialog.h"
#include "platform/FileChooser.h"
#include "tests/link/FirmwareTestSupport.h"
#include "tests/link/UpdateFiles.h"

#include <QLineEdit>
#include <QPushButton>

#include <gmock/gmock.h>

#include <functional>

using ::testing::ElementsAre;

namespace {

class ChooserDouble : public platform::IFileChooser {
public:
    std::optional<QString> Choose(const platform::FileRequest&) override { return answer; }
    std::optional<QString> answer;
};

class FirmwareUpdateTest : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        app.m_LinkEnvironment.timings.firmware = FastFirmwareTimings();
        previousChooser = platform::SetFileChooser(&chooser);
    }
    // Connected over the network; then the device to update comes on USB.
    void StartConnectedThenPlug() {
        StartConnected();
        hid.Plug("/dev/hidraw7", &usbDevice);
    }
    void TearDown() override {
        platform::SetFileChooser(previousChooser);
        DeviceTest::TearDown();
        g_HexFilePath->clear();
    }
    std::string WriteUpdate(const std::vector<uint8_t>& bytes) {
        const QString path = dir.filePath(QStringLiteral("update.bin"));
        EXPECT_TRUE(WriteFileBytes(path.toStdString(), bytes));
        return path.toStdString();
    }
    bool BoxSaid(const std::string& text) const {
        for (const auto& b : boxes)
            if (Text(b.text) == text) return true;
        return false;
    }

    sim::SimDevice usbDevice; // the device whose firmware is updated, on USB
    ChooserDouble chooser;
    platform::IFileChooser* previousChooser = nullptr;
    // The system menu's command, with the dialog shown and driven without waiting.
    void RunUpdateCommand() {
        view->Firmware().SetDialogRunner([this](CFirmwareUpdateDialog& dialog) {
            dialog.show();
            if (drive) drive(dialog);
            return 0;
        });
        view->Firmware().OnUpdateCommand();
    }
    std::function<void(CFirmwareUpdateDialog&)> drive;
};

TEST_F(FirmwareUpdateTest, TheUserPicksTheFileStartsOverUsbAndQuitsWhenItIsDone) {
    StartConnectedThenPlug();
    const auto dsp = FirmwareBytes(kDspImageSize, 21);
    const auto part = ControllerPart(300);
    const std::string path = WriteUpdate(FullUpdateFile(dsp, &part));
    chooser.answer = QString::fromStdString(path);
    int total = 0;
    drive = [&](CFirmwareUpdateDialog& dialog) {
        dialog.BrowseButton()->click();
        EXPECT_EQ(dialog.PathEdit()->text().toStdString(), path);
        // The popup's USB entry (the popup itself is the dialog's own test's).
        dialog.StartOverUsb("/dev/hidraw7");
        ASSERT_TRUE(PumpUntil([&] { return BoxSaid("Update successfully"); }, 60000));
        ASSERT_TRUE(PumpUntil(
            [&] { return dialog.Tip()->text() == QStringLiteral("Update successfully"); }));
        total = view->Session().Firmware().StepTotal();
        ASSERT_TRUE(PumpUntil([&] { return dialog.Progress()->GetPos() == total; }));
        EXPECT_EQ(dialog.Progress()->PercentText(), QStringLiteral("100 %"));
        dialog.CancelButton()->click(); // "Quit"
        EXPECT_FALSE(dialog.isVisible());
    };
    RunUpdateCommand();

    const auto r = usbDevice.Firmware();
    EXPECT_TRUE(r.errors.empty());
    ASSERT_GE(r.dsp.size(), dsp.size());
    EXPECT_TRUE(std::equal(dsp.begin(), dsp.end(), r.dsp.begin()));
    EXPECT_TRUE(std::equal(part.begin() + 4, part.end(), r.controller.begin()));
    EXPECT_EQ(r.checkByte, ControllerCheckByte(part));
    // The program says so, under the prompt caption, closing by itself.
    ASSERT_TRUE(BoxSaid("Update successfully"));
    for (const auto& b : boxes) {
        if (Text(b.text) == "Update successfully") {
            EXPECT_EQ(b.autoCloseMs, 2000);
        }
    }
    // The view's own bar ran over the file's range; nothing of the update stays.
    EXPECT_EQ(view->Progress()->GetUpperRange(), total - 6);
    EXPECT_FALSE(view->IsConnected());
    EXPECT_EQ(g_StateFlags[kFlagFirmwareMode].load(), 0);
    EXPECT_EQ(g_StateFlags[kFlagUpdateRetryRunning].load(), 0);
    EXPECT_FALSE(view->Session().Firmware().Display().HasDisplay());
    EXPECT_EQ(g_HexFilePath, path);
}

TEST_F(FirmwareUpdateTest, ACancelledUpdateSaysSoAndTheProgramConnectsAgain) {
    StartConnectedThenPlug();
    const auto part = ControllerPart(10);
    const std::string path = WriteUpdate(FullUpdateFile(FirmwareBytes(kDspImageSize), &part));
    g_HexFilePath = path;
    usbDevice.SetFirmwareFault(kStepDspData, sim::FirmwareFault::Silence, 3);
    app.m_LinkEnvironment.timings.firmware.usbDspDataWaits = 1000;
    drive = [&](CFirmwareUpdateDialog& dialog) {
        dialog.StartOverUsb("/dev/hidraw7");
        ASSERT_TRUE(PumpUntil([&] { return usbDevice.Firmware().dsp.size() >= 2 * 44; }, 20000));
        boxes.clear();
        // The window's close box asks first; the answer Yes ends the update.
        dialog.close();
        ASSERT_TRUE(PumpUntil([&] { return !dialog.isVisible(); }, 5000));
    };
    RunUpdateCommand();
    EXPECT_THAT(
        BoxTexts(),
        ElementsAre("Update is not completed, will be forced to exit the damaged equipment, "
                    "whether to exit?",
                    "The firmware update failed!"));
    EXPECT_EQ(boxes[1].autoCloseMs, 2001);
    EXPECT_EQ(Text(boxes[1].caption), "Warning");
    EXPECT_FALSE(view->IsConnected());
    EXPECT_EQ(g_StateFlags[kFlagFirmwareMode].load(), 0);
    // The connect button links the program to a device again.
    usbDevice.ClearFirmwareFaults();
    boxes.clear();
    view->popupChoice = CLumaraView::ID_CONNECT_NETWORK;
    view->OnConnectButton();
    ASSERT_TRUE(PumpUntil([&] { return view->IsConnected() && DataShown(view, 2); }, 10000));
}

// A file the update refuses changes nothing: the program stays connected to
// its device and says so, and the device goes on hearing from it.
TEST_F(FirmwareUpdateTest, ARefusedFileLeavesTheProgramConnected) {
    StartConnected();
    const std::string path = WriteUpdate(ControllerUpdateFile({1, 2, 3}));
    g_HexFilePath = path;
    size_t frames = 0;
    drive = [&](CFirmwareUpdateDialog& dialog) {
        boxes.clear();
        dialog.UpdateButton()->click();
        EXPECT_THAT(BoxTexts(), ElementsAre("Update file error!"));
        EXPECT_TRUE(view->IsConnected());
        frames = device.FrameCount();
        dialog.CancelButton()->click();
    };
    RunUpdateCommand();
    ASSERT_TRUE(PumpUntil([&] { return device.FrameCount() > frames; }, 5000));
    EXPECT_TRUE(view->IsConnected());
    EXPECT_EQ(Text(view->LinkStatus()->Text()), "Connected device");
    EXPECT_EQ(device.Firmware().burstPairs, 0u);
    EXPECT_EQ(g_HexFilePath, path);
}

} // namespace
