// The firmware update dialog with the device session and the simulated
// device: its texts in both languages, the port list, the file choice, the
// start and its popups, the update shown as it runs, the retries, the
// cancel and the ways the dialog ends; and the retry thread alone.
#include "features/firmware/FirmwareUpdateDialog.h"

#include "controls/GradientProgressCtrl.h"
#include "controls/GroupBox.h"
#include "controls/StaticControls.h"
#include "controls/MessageBox.h"
#include "platform/FileChooser.h"
#include "platform/Settings.h"
#include "tests/link/FirmwareTestSupport.h"
#include "tests/link/SessionFixture.h"
#include "tests/link/UpdateFiles.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>

#include <gmock/gmock.h>

#include <optional>

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

class ScriptedChooser : public platform::IFileChooser {
public:
    std::optional<QString> Choose(const platform::FileRequest& request) override {
        last = request;
        ++calls;
        return answer;
    }
    std::optional<QString> answer;
    platform::FileRequest last;
    int calls = 0;
};

class TestDialog : public CFirmwareUpdateDialog {
public:
    using CFirmwareUpdateDialog::CFirmwareUpdateDialog;
    int TrackPopup(QMenu& menu, const QPoint&) override {
        items.clear();
        for (QAction* a : menu.actions())
            items.emplace_back(a->text().toStdString(), a->data().toInt());
        ++popups;
        return choice;
    }
    std::vector<std::pair<std::string, int>> items;
    int popups = 0;
    int choice = 0;
};

class FirmwareUpdateDialogTest : public SessionTest {
protected:
    void SetUp() override {
        SessionTest::SetUp();
        env.timings.firmware = FastFirmwareTimings();
        g_LanguageFlag = 0;
        ASSERT_TRUE(dir.isValid());
        store =
            std::make_unique<platform::SettingsStore>(dir.filePath(QStringLiteral("lumara.ini")));
        settings = std::make_unique<platform::ViewSettings>(*store, dir.path());
        settings->LoadDspMcuSettings(); // the group exists, as after the program's start
        previousResponder = CMessageBox::SetResponder([this](const CMessageBox::Shown& shown) {
            boxes.push_back(shown);
            return answer == IDOK || answer == IDYES ? CMessageBox::Action::Ok
                                                     : CMessageBox::Action::Cancel;
        });
        previousChooser = platform::SetFileChooser(&chooser);
        filePath = dir.filePath(QStringLiteral("update.bin")).toStdString();
        ASSERT_TRUE(WriteFileBytes(filePath, ControllerUpdateFile(ControllerPart(200))));
        g_HexFilePath = filePath;
    }
    void TearDown() override {
        dialog.reset();
        platform::SetFileChooser(previousChooser);
        CMessageBox::SetResponder(previousResponder);
        SessionTest::TearDown();
        g_HexFilePath->clear();
        g_UsbDevicePathsCopy->clear();
        for (int f : {kFlagFirmwareMode, kFlagUpdateRetryRunning, kFlagInitialRead})
            g_StateFlags[f] = 0;
        g_LanguageFlag = 0;
    }
    void Open() {
        if (!session) MakeSession();
        dialog = std::make_unique<TestDialog>(*session, *settings);
        dialog->show();
        QApplication::processEvents();
    }
    // The window's loop: Qt's events, the session's messages.
    bool PumpAll(const std::function<bool()>& done, int ms = 20000) {
        return Eventually(
            [&] {
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
                Pump();
                return done();
            },
            ms);
    }
    bool Said(const std::string& text) const {
        return std::find(host.said.begin(), host.said.end(), text) != host.said.end();
    }
    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> out;
        for (const auto& b : boxes)
            out.push_back(b.text.toStdString());
        return out;
    }
    std::string TipText() const { return dialog->Tip()->text().toStdString(); }

    QTemporaryDir dir;
    std::unique_ptr<platform::SettingsStore> store;
    std::unique_ptr<platform::ViewSettings> settings;
    ScriptedChooser chooser;
    platform::IFileChooser* previousChooser = nullptr;
    CMessageBox::Responder previousResponder;
    std::vector<CMessageBox::Shown> boxes;
    int answer = IDOK;
    std::string filePath;
    std::unique_ptr<TestDialog> dialog;
};

// ---------------------------------------------------------------------------
// The dialog as it opens
// ---------------------------------------------------------------------------

TEST_F(FirmwareUpdateDialogTest, ItOpensWithTheTextsOfItsLanguage) {
    struct Case {
        int language;
        const char *title, *interface, *fileGroup, *fileLabel, *browse, *update, *cancel;
    } cases[] = {
        {0, "Device Firmware Update", "Communication interface", "Update File", "Hex File",
         "Browse file", "Update", "Quit"},
        {1, "设备固件更新", "通信接口", "Hex文件", "Hex文件", "浏览文件", "更新", "退出"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.language);
        g_LanguageFlag = c.language;
        Open();
        EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8(c.title));
        EXPECT_EQ(dialog->InterfaceGroup()->Text(), QString::fromUtf8(c.interface));
        EXPECT_EQ(dialog->ToolLabel()->text(), QString::fromUtf8(c.interface));
        EXPECT_EQ(dialog->FileGroup()->Text(), QString::fromUtf8(c.fileGroup));
        EXPECT_EQ(dialog->FileLabel()->text(), QString::fromUtf8(c.fileLabel));
        EXPECT_EQ(dialog->BrowseButton()->text(), QString::fromUtf8(c.browse));
        EXPECT_EQ(dialog->UpdateButton()->text(), QString::fromUtf8(c.update));
        EXPECT_EQ(dialog->CancelButton()->text(), QString::fromUtf8(c.cancel));
        EXPECT_EQ(dialog->size(), QSize(397, 160));
        EXPECT_EQ(dialog->PathEdit()->text().toStdString(), filePath);
        EXPECT_TRUE(dialog->Tip()->text().isEmpty());
        EXPECT_EQ(dialog->Tip()->TextColor(), QColor(255, 0, 0));
        EXPECT_TRUE(dialog->Progress()->ShowsText());
        EXPECT_GE(dialog->Ports()->count(), 1);
        EXPECT_TRUE(session->Firmware().Display().HasDisplay());
        EXPECT_EQ(g_StateFlags[kFlagUpdateRetryRunning].load(), 0);
        dialog.reset();
        EXPECT_FALSE(session->Firmware().Display().HasDisplay())
            << "an ended dialog is no longer shown to";
    }
}

TEST_F(FirmwareUpdateDialogTest, ThePortListTakesTheNamedPortElseAUsbOneElseNull) {
    Open();
    dialog->FillPortList({});
    EXPECT_EQ(dialog->Ports()->count(), 1);
    EXPECT_EQ(dialog->Ports()->currentText(), QStringLiteral("NULL"));
    EXPECT_EQ(dialog->PortName(), "NULL");
    std::vector<SerialPortInfo> ports(3);
    ports[0].displayName = "ttyS0";
    ports[1].displayName = "ttyUSB0";
    ports[1].usb = true;
    ports[2].displayName = "ttyS1";
    // No entry begins with "NULL": the USB port.
    dialog->FillPortList(ports);
    EXPECT_EQ(dialog->Ports()->count(), 3);
    EXPECT_EQ(dialog->Ports()->currentIndex(), 1);
    EXPECT_EQ(dialog->PortName(), "ttyUSB0");
    // The port taken stays taken.
    std::swap(ports[0], ports[1]);
    dialog->FillPortList(ports);
    EXPECT_EQ(dialog->Ports()->currentText(), QStringLiteral("ttyUSB0"));
}

TEST_F(FirmwareUpdateDialogTest, BrowsingTakesTheFileAndKeepsItsFolderOnlyForABinFile) {
    Open();
    const QString fwDir = dir.filePath(QStringLiteral("fw"));
    ASSERT_TRUE(QDir().mkpath(fwDir));
    const std::string before = settings->Folder(platform::ViewSettings::kUpdateFolder);
    chooser.answer = fwDir + QStringLiteral("/UPDATE.BIN");
    dialog->BrowseButton()->click();
    // The path is taken, the choice fails: the folder is not kept.
    EXPECT_EQ(dialog->PathEdit()->text(), *chooser.answer);
    EXPECT_EQ(g_HexFilePath, chooser.answer->toStdString());
    EXPECT_EQ(settings->Folder(platform::ViewSettings::kUpdateFolder), before);
    EXPECT_EQ(chooser.last.kind, platform::FileRequest::Open);
    EXPECT_EQ(chooser.last.folder.toStdString(), before);
    EXPECT_TRUE(chooser.last.filter.contains(QStringLiteral("*.bin")));
    EXPECT_EQ(chooser.last.defaultSuffix, QStringLiteral("bin"));

    chooser.answer = fwDir + QStringLiteral("/update.bin");
    EXPECT_TRUE(ChooseUpdateFile(*settings, dialog.get()));
    EXPECT_EQ(settings->Folder(platform::ViewSettings::kUpdateFolder), fwDir.toStdString());
    EXPECT_EQ(store->Read("DspMcu", "Path").value_or(""), fwDir.toStdString());
    EXPECT_EQ(store->Read("DspMcu", "Name").value_or(""), chooser.answer->toStdString());

    chooser.answer.reset(); // cancelled: nothing changes
    dialog->BrowseButton()->click();
    EXPECT_EQ(g_HexFilePath, (fwDir + QStringLiteral("/update.bin")).toStdString());
}

// ---------------------------------------------------------------------------
// Starting
// ---------------------------------------------------------------------------

TEST_F(FirmwareUpdateDialogTest, WithNothingToOpenTheStartSaysSo) {
    Open();
    dialog->UpdateButton()->click();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text.toStdString(), "No connection can be opened");
    EXPECT_EQ(boxes[0].autoCloseMs, 2000);
    EXPECT_EQ(dialog->popups, 0);
    EXPECT_EQ(g_StateFlags[kFlagFirmwareMode].load(), 0);
    EXPECT_EQ(g_StateFlags[kFlagUpdateRetryRunning].load(), 0);
}

TEST_F(FirmwareUpdateDialogTest, OneDeviceIsUpdatedAndTheDialogShowsItToTheEnd) {
    PlugUsb();
    Open();
    dialog->UpdateButton()->click();
    ASSERT_TRUE(PumpAll([&] { return Said("Update successfully"); }));
    ASSERT_TRUE(PumpAll([&] { return TipText() == "Update successfully"; }));
    const int total = session->Firmware().StepTotal();
    ASSERT_TRUE(PumpAll([&] { return dialog->Progress()->GetPos() == total; }));
    EXPECT_EQ(dialog->Progress()->GetUpperRange(), total);
    EXPECT_EQ(dialog->Progress()->PercentText(), QStringLiteral("100 %"));
    EXPECT_EQ(dialog->popups, 0);
    const auto r = device.Firmware();
    EXPECT_THAT(r.errors, IsEmpty());
    const auto part = ControllerPart(200);
    EXPECT_TRUE(std::equal(part.begin() + 4, part.end(), r.controller.begin()));
    EXPECT_FALSE(session->IsConnected());
    // The dialog stays open on its result until the user quits.
    EXPECT_TRUE(dialog->isVisible());
    dialog->CancelButton()->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_THAT(BoxTexts(), IsEmpty()) << "no question once the update is over";
}

TEST_F(FirmwareUpdateDialogTest, ADeviceAndTheNetworkModuleAreOfferedInAPopup) {
    PlugUsb();
    OfferNetwork();
    MakeSession();
    session->Net().SetReachable(true);
    Open();
    dialog->choice = CFirmwareUpdateDialog::ID_CONNECT_NETWORK;
    dialog->UpdateButton()->click();
    EXPECT_THAT(dialog->items, ElementsAre(std::make_pair(std::string("USB"), 732),
                                           std::make_pair(DeviceAddress(), 733)));
    ASSERT_TRUE(PumpAll([&] { return Said("Update successfully"); }));
    EXPECT_GE(server.Connections(), 1) << "the update went over the network";
}

TEST_F(FirmwareUpdateDialogTest, TwoDevicesArePickedByNumber) {
    sim::SimDevice second;
    PlugUsb();
    hid.Plug("/dev/hidraw4", &second);
    OfferNetwork();
    MakeSession();
    session->Net().SetReachable(true);
    Open();
    dialog->choice = CFirmwareUpdateDialog::ID_USB_DEVICE_FIRST + 1;
    dialog->UpdateButton()->click();
    EXPECT_THAT(dialog->items, ElementsAre(std::make_pair(std::string("USB1"), 6600),
                                           std::make_pair(std::string("USB2"), 6601),
                                           std::make_pair(DeviceAddress(), 733)));
    ASSERT_TRUE(PumpAll([&] { return Said("Update successfully"); }));
    EXPECT_EQ(second.Firmware().restarts, 1);
    EXPECT_EQ(device.Firmware().restarts, 0);
    // Without the module the popup holds the devices only; no choice starts nothing.
    session->Net().StopProbe(true);
    pinger.answers = false;
    session->Net().SetReachable(false);
    dialog->choice = 0;
    host.said.clear();
    dialog->UpdateButton()->click();
    EXPECT_THAT(dialog->items, ElementsAre(std::make_pair(std::string("USB1"), 6600),
                                           std::make_pair(std::string("USB2"), 6601)));
    EXPECT_EQ(g_StateFlags[kFlagFirmwareMode].load(), 0);
}

TEST_F(FirmwareUpdateDialogTest, TheStartDoesNothingWhileAnUpdateOrARetryRuns) {
    PlugUsb();
    Open();
    for (int flag : {kFlagFirmwareMode, kFlagUpdateRetryRunning}) {
        g_StateFlags[flag] = 1;
        g_UsbDevicePathsCopy = {"untouched"};
        dialog->UpdateButton()->click();
        EXPECT_EQ(g_UsbDevicePathsCopy, std::vector<std::string>{"untouched"});
        EXPECT_EQ(device.FrameCount(), 0u);
        EXPECT_THAT(BoxTexts(), IsEmpty());
        g_StateFlags[flag] = 0;
    }
}

// A file the update refuses is said before anything else happens: the
// program's link to the device stays as it was.
TEST_F(FirmwareUpdateDialogTest, ARefusedFileLeavesTheLinkToTheDeviceAsItWas) {
    ConnectUsb();
    Open();
    struct Case {
        const char* name;
        std::vector<uint8_t> file; // empty: no such file
    } cases[] = {
        {"controller part of 3 bytes", ControllerUpdateFile({1, 2, 3})},
        {"no update tag", std::vector<uint8_t>(100, 'x')},
        {"no such file", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.filePath(QStringLiteral("refused.bin")).toStdString();
        ::unlink(path.c_str());
        if (!c.file.empty()) {
            ASSERT_TRUE(WriteFileBytes(path, c.file));
        }
        dialog->PathEdit()->setText(QString::fromStdString(path));
        host.said.clear();
        host.calls.clear();
        dialog->UpdateButton()->click();
        EXPECT_THAT(host.said, ElementsAre("Update file error!"));
        EXPECT_THAT(host.calls, ::testing::Not(Contains("link down")));
        EXPECT_TRUE(session->IsConnected());
        EXPECT_EQ(g_ConnectionKind.load(), kLinkUsb);
        EXPECT_TRUE(session->Worker().HasWorker());
        EXPECT_EQ(g_StateFlags[kFlagFirmwareMode].load(), 0);
        EXPECT_EQ(g_StateFlags[kFlagUpdateRetryRunning].load(), 0);
        // The device still hears from the program: its status is asked for.
        const size_t frames = device.FrameCount();
        ASSERT_TRUE(PumpAll([&] { return device.FrameCount() > frames; }, 5000));
        EXPECT_EQ(device.Firmware().burstPairs, 0u);
    }
}

// The network module ends the connection while a step waits for its reply.
// An orderly close (FIN) is met as a reset (RST) is: two seconds later the
// connection is opened again and the step goes out again, and the update
// goes on; a module that ends the connection at every try ends the update
// once the step has gone out twice.
TEST_F(FirmwareUpdateDialogTest, AStepWhoseConnectionIsClosedOrResetGoesOutAgainOnANewOne) {
    struct Case {
        const char* name;
        int step;
        sim::FirmwareFault fault;
        int from;   // the step's frame that meets the fault
        int frames; // so many frames (0: every one from there)
        bool dsp;   // the file has a DSP part
    } cases[] = {
        {"enter closed", kStepEnter, sim::FirmwareFault::Close, 1, 1, false},
        {"erase closed", kStepErase, sim::FirmwareFault::Close, 1, 1, true},
        {"DSP data closed", kStepDspData, sim::FirmwareFault::Close, 3, 1, true},
        {"start closed", kStepStart, sim::FirmwareFault::Close, 1, 1, false},
        {"controller data closed", kStepData, sim::FirmwareFault::Close, 3, 1, false},
        {"enter reset", kStepEnter, sim::FirmwareFault::Reset, 1, 1, false},
        {"controller data reset", kStepData, sim::FirmwareFault::Reset, 3, 1, false},
        {"start closed at every try", kStepStart, sim::FirmwareFault::Close, 1, 0, false},
        {"start reset at every try", kStepStart, sim::FirmwareFault::Reset, 1, 0, false},
    };
    OfferNetwork();
    const auto part = ControllerPart(200);
    const auto dsp = FirmwareBytes(kDspImageSize, 3);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const bool recovers = c.frames != 0;
        ASSERT_TRUE(WriteFileBytes(filePath, c.dsp ? FullUpdateFile(dsp, &part)
                                                   : ControllerUpdateFile(part)));
        MakeSession();
        session->Net().SetReachable(true);
        Open();
        device.ClearFirmwareFaults();
        device.SetFirmwareFault(c.step, c.fault, c.from, c.frames);
        const sim::FirmwareRecord before = device.Firmware();
        const int connections = server.Connections();
        host.said.clear();
        dialog->UpdateButton()->click(); // the module alone: the update starts over the network
        ASSERT_TRUE(PumpAll([&] { return !host.said.empty() && !session->IsConnected(); }));
        ASSERT_TRUE(PumpAll([&] { return g_StateFlags[kFlagFirmwareMode].load() == 0; }));
        const sim::FirmwareRecord r = device.Firmware();
        const std::vector<int> steps(r.steps.begin() + static_cast<long>(before.steps.size()),
                                     r.steps.end());
        if (recovers) {
            EXPECT_THAT(host.said, ElementsAre("Update successfully"));
            ASSERT_TRUE(PumpAll([&] { return TipText() == "Update successfully"; }));
            // The step met by the fault went out again at once, on a new connection.
            auto at = steps.begin();
            for (int n = 0; n < c.from && at != steps.end(); ++n)
                at = std::find(n ? at + 1 : at, steps.end(), c.step);
            ASSERT_TRUE(at != steps.end() && at + 1 != steps.end());
            EXPECT_EQ(at[1], c.step);
            EXPECT_GE(server.Connections(), connections + 2);
            ASSERT_TRUE(PumpAll([&] { return device.Firmware().restarts == before.restarts + 1; }));
            const sim::FirmwareRecord done = device.Firmware();
            EXPECT_EQ(done.errors.size(), before.errors.size());
            ASSERT_EQ(done.controller.size(), (part.size() - 4 + 47) / 48 * 48);
            EXPECT_TRUE(std::equal(part.begin() + 4, part.end(), done.controller.begin()));
            EXPECT_EQ(done.checkByte, ControllerCheckByte(part));
            if (c.dsp) {
                ASSERT_EQ(done.dsp.size(), 5958u * 44);
                EXPECT_TRUE(std::equal(dsp.begin(), dsp.end(), done.dsp.begin()));
            }
        } else {
            EXPECT_THAT(host.said,
                        ElementsAre("The firmware update failed", "Connection failure!"));
            EXPECT_EQ(TipText(), "The firmware update failed");
            // Sent twice, then the update ends; nothing after it.
            EXPECT_EQ(std::count(steps.begin(), steps.end(), c.step), 2);
            EXPECT_EQ(steps.back(), c.step);
            EXPECT_EQ(device.Firmware().restarts, before.restarts);
        }
        dialog->CancelButton()->click();
        dialog.reset();
        session.reset();
    }
}

// ---------------------------------------------------------------------------
// Retrying
// ---------------------------------------------------------------------------

TEST_F(FirmwareUpdateDialogTest, AFailedFirstConnectionIsRetriedUntilTheDeviceComes) {
    Open();
    dialog->StartOverUsb("/dev/hidraw3"); // not there yet
    EXPECT_EQ(g_StateFlags[kFlagUpdateRetryRunning].load(), 1);
    EXPECT_TRUE(dialog->RetryThread().IsTimerRunning());
    ASSERT_TRUE(PumpAll([&] { return dialog->RetryThread().Ticks() >= 3; }));
    EXPECT_EQ(TipText(), "Connected Usb");
    PlugUsb();
    ASSERT_TRUE(PumpAll([&] { return Said("Update successfully"); }));
    EXPECT_FALSE(dialog->RetryThread().IsTimerRunning());
    EXPECT_EQ(g_StateFlags[kFlagUpdateRetryRunning].load(), 0);
    EXPECT_LT(dialog->RetryThread().Ticks(), 21);
}

TEST_F(FirmwareUpdateDialogTest, WhenEveryRetryFailsTheLastOneSaysSo) {
    struct Case {
        bool network;
        std::vector<std::string> said;
    } cases[] = {
        {false, {"Connection failure!", "The firmware update failed!"}},
        {true, {"Connection failure!", "The firmware update failed"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.network);
        if (c.network) {
            OfferNetwork();
            pinger.answers = false; // the module never answers
        }
        MakeSession();
        if (c.network) session->Net().SetReachable(true);
        Open();
        host.said.clear();
        if (c.network)
            dialog->StartOverNetwork();
        else
            dialog->StartOverUsb("/dev/hidraw3");
        ASSERT_TRUE(PumpAll([&] { return host.said.size() >= 2; }));
        EXPECT_EQ(host.said, c.said);
        ASSERT_TRUE(PumpAll([&] { return g_StateFlags[kFlagUpdateRetryRunning].load() == 0; }));
        EXPECT_EQ(dialog->RetryThread().Ticks(), 21);
        EXPECT_FALSE(dialog->RetryThread().IsTimerRunning());
        EXPECT_EQ(TipText(), "The firmware update failed");
        EXPECT_EQ(server.Connections(), 0)
            << "no connection is tried while the module does not answer";
        dialog.reset();
        session.reset();
    }
}

// ---------------------------------------------------------------------------
// Cancelling and ending
// ---------------------------------------------------------------------------

TEST_F(FirmwareUpdateDialogTest, ACancelAsksFirstThenEndsTheUpdateAndTheDialog) {
    PlugUsb();
    const auto part = ControllerPart(10);
    ASSERT_TRUE(WriteFileBytes(filePath, FullUpdateFile(FirmwareBytes(kDspImageSize), &part)));
    env.timings.firmware.usbDspDataWaits = 200; // a slow device keeps the update running
    Open();
    device.SetFirmwareFault(kStepDspData, sim::FirmwareFault::Silence, 5);
    dialog->UpdateButton()->click();
    ASSERT_TRUE(PumpAll([&] { return device.Firmware().dsp.size() >= 4 * 44; }));
    answer = IDNO;
    dialog->CancelButton()->click();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(
        boxes[0].text.toStdString(),
        "Update is not completed, will be forced to exit the damaged equipment, whether to exit?");
    EXPECT_EQ(boxes[0].buttons.size(), 2); // Yes and No
    EXPECT_EQ(boxes[0].caption.toStdString(), "Warning");
    EXPECT_EQ(boxes[0].autoCloseMs, 0);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(g_StateFlags[kFlagFirmwareMode].load(), 1);

    answer = IDYES;
    const auto start = std::chrono::steady_clock::now();
    dialog->CancelButton()->click();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(Said("The firmware update failed!"));
    EXPECT_EQ(g_StateFlags[kFlagFirmwareMode].load(), 0);
    EXPECT_EQ(g_UpdateTipOff.load(), 0);
    EXPECT_FALSE(session->Worker().HasWorker());
    // A step that would come now reaches no dialog.
    EXPECT_FALSE(session->Firmware().Display().HasDisplay());
    const QString shown = dialog->Tip()->text();
    session->Firmware().Display().SetTip("late");
    QApplication::processEvents();
    EXPECT_EQ(dialog->Tip()->text(), shown);
}

TEST_F(FirmwareUpdateDialogTest, EscapeKeepsItOpenAndTheCloseBoxIsTheCancel) {
    Open();
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(dialog.get(), &esc);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(dialog.get(), &enter);
    QApplication::processEvents();
    EXPECT_TRUE(dialog->isVisible());
    dialog->close();
    EXPECT_TRUE(dialog->isVisible()) << "the close box posts the cancel";
    ASSERT_TRUE(PumpAll([&] { return !dialog->isVisible(); }, 2000));
    EXPECT_FALSE(session->Firmware().Display().HasDisplay());
}

TEST_F(FirmwareUpdateDialogTest, ADialogDestroyedMidUpdateIsNeverReachedAgain) {
    PlugUsb();
    const auto part = ControllerPart(10);
    ASSERT_TRUE(WriteFileBytes(filePath, FullUpdateFile(FirmwareBytes(kDspImageSize), &part)));
    Open();
    dialog->UpdateButton()->click();
    ASSERT_TRUE(PumpAll([&] { return device.Firmware().dsp.size() >= 44; }));
    dialog.reset();
    // The worker goes on showing its steps: to no one.
    ASSERT_TRUE(PumpAll([&] { return Said("Update successfully"); }));
    EXPECT_EQ(session->Firmware().Display().Tip(), "Update successfully");
}

// ---------------------------------------------------------------------------
// The retry thread
// ---------------------------------------------------------------------------

TEST(UpDataThreadTest, ItTicksTwentyOneTimesThenStopsAndAStopCancelsTheCheck) {
    std::mutex m;
    std::vector<std::tuple<int, int, bool>> delivered;
    std::atomic<bool> block{false};
    CUpdateRetryThread thread(
        [&](const CancelCheck& cancelled) {
            while (block.load() && !cancelled())
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return !block.load();
        },
        [&](int run, int tick, bool ready) {
            std::lock_guard<std::mutex> lock(m);
            delivered.emplace_back(run, tick, ready);
        });
    const int run = thread.StartTimer(5);
    ASSERT_TRUE(Eventually([&] { return !thread.IsTimerRunning(); }, 5000));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    {
        std::lock_guard<std::mutex> lock(m);
        ASSERT_EQ(delivered.size(), 21u);
        for (int i = 0; i < 21; ++i)
            EXPECT_EQ(delivered[static_cast<size_t>(i)], std::make_tuple(run, i, true));
        delivered.clear();
    }
    // A check that waits ends as soon as the run is stopped.
    block = true;
    const int second = thread.StartTimer(5);
    EXPECT_NE(second, run);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const auto start = std::chrono::steady_clock::now();
    thread.StopTimer();
    ASSERT_TRUE(Eventually([&] {
        std::lock_guard<std::mutex> lock(m);
        return !delivered.empty();
    }));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    std::lock_guard<std::mutex> lock(m);
    EXPECT_EQ(delivered, (std::vector<std::tuple<int, int, bool>>{{second, 0, false}}));
}

} // namespace
