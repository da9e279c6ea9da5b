// The main view against the simulated device: connecting at start, the
// version check, the reads in order, the device's data shown, edits reaching
// the device, the device's own changes taken over, a lost link, an abnormal
// device, the connect button with its popups, USB arrival and removal, and
// the command senders.
#include "tests/app/DeviceTestSupport.h"

#include "app/ShellMessages.h"
#include "controls/BitButton.h"
#include "controls/GradientProgressCtrl.h"
#include "controls/NumEdit.h"
#include "model/FrameBuilder.h"
#include "model/KTV_Data.h"
#include "model/ModelLock.h"
#include "model/SpeakerTypes.h"
#include "features/outputs/MasterStrip.h"
#include "pages/output/OutputPage.h"

#include <QFocusEvent>

#include <gmock/gmock.h>

#include <algorithm>
#include <cstring>
#include <tuple>

using ::testing::ElementsAreArray;

namespace {

constexpr uint8_t kRead = 0xA2;
constexpr uint8_t kWrite = 0xA1;

// ---------------------------------------------------------------------------
// Connecting and the device's data
// ---------------------------------------------------------------------------

TEST_F(DeviceTest, AtStartItConnectsReadsInOrderAndShowsTheDevicesData) {
    // Not the factory data: a named preset and another output map than the
    // program's defaults, so that what is shown can only come from the device.
    DeviceRunsPreset1();
    // Marks in the device's data that the program must show.
    device.SetImageBytes(kOutputBlockOffset + 3 * kOutputBlockSize + 5 * kItemSize + 2,
                         {0xBC, 0x02}); // band 5 +10 dB
    Start();
    ASSERT_TRUE(PumpUntil([this] { return DataShown(view); }, 10000));

    // What the device took in, byte for byte: the quick reads, the version
    // accepted, the full reads, the current preset's blocks, then the name
    // the output map's handler sends back twice (one per half).
    std::vector<std::vector<uint8_t>> expected = {RequestFrame(kRead, 0, 9, 204, 0),
                                                  RequestFrame(kRead, 0, 9, 4, 0)};
    for (int slot = 1; slot <= 6; ++slot)
        expected.push_back(RequestFrame(kRead, slot, 9, 0, 0));
    for (int record : {0, 52, 2, 5, 6, 7, 8, 9})
        expected.push_back(RequestFrame(kRead, 0, 9, record, 0));
    for (int in = 0; in < 4; ++in)
        expected.push_back(RequestFrame(kRead, 0, 3, in, 0x77));
    for (int out = 0; out < 12; ++out)
        expected.push_back(RequestFrame(kRead, 0, 4, out, 0x77));
    ASSERT_TRUE(
        PumpUntil([&] { return WithoutStatus(device.Seen()).size() >= expected.size() + 2; }));
    const auto seen = WithoutStatus(device.Seen());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(seen[i].raw, expected[i]);
    }
    const std::vector<uint8_t> name(g_ParamImage, g_ParamImage + 15);
    for (size_t i = expected.size(); i < expected.size() + 2; ++i) {
        std::vector<uint8_t> payload = name;
        payload.push_back(0);
        EXPECT_EQ(seen[i].raw, RequestFrame(kWrite, 0, 9, 0, 0, payload));
    }

    // Version accepted, synchronised, connected over the network.
    EXPECT_EQ(g_DeviceVariant.load(), 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(g_DeviceRecords.Bytes().versionText)),
              "VELK-FV1.00");
    EXPECT_EQ(g_ConnectionKind.load(), 2);
    EXPECT_TRUE(view->IsConnected());
    EXPECT_EQ(g_StateFlags[kFlagInitialRead].load(), 0);
    EXPECT_TRUE(boxes.empty());

    // The device's preset is in the image and the model.
    const std::vector<uint8_t> image = device.Image();
    EXPECT_EQ(0, std::memcmp(g_ParamImage + kMusicBlockOffset, image.data() + kMusicBlockOffset,
                             kParamBlockSize - kMusicBlockOffset));
    EXPECT_EQ(view->Data()->GetOut(3)->GetFilter(5)->GetGainCode(),
              view->Data()->GetOut(3)->GetFilter(4)->GetGainCode() + 100);
    for (int s = 1; s <= 6; ++s)
        EXPECT_EQ(FieldToString(g_PcPresets[s - 1], 16), "Preset " + std::to_string(s));

    // What the user sees: link, preset name, source, master, speaker types.
    EXPECT_TRUE(view->LinkStatus()->isVisibleTo(view));
    EXPECT_EQ(Text(view->LinkStatus()->Text()), "Connected device");
    EXPECT_FALSE(view->LinkStatus()->IsBlinking());
    EXPECT_EQ(view->ConnectButton()->CurrentBitmap(), 8743u);
    EXPECT_EQ(Text(view->BitButton(CLumaraView::IDC_PRESET_NAME)->text()), "Preset 1");
    EXPECT_EQ(view->BitButton(CLumaraView::IDC_PRESET_NAME)->GetCheck(), 1);
    EXPECT_EQ(Text(view->InputSourceList()->text()), "Hi.Level"); // source 1
    EXPECT_EQ(view->LevelBar()->GetValue(), 60);
    EXPECT_FALSE(view->LevelBar()->IsMuteChecked());
    const uint8_t types[12] = {1, 5, 7, 11, 21, 15, 18, 24, 0, 0, 0, 0};
    for (int i = 0; i < 12; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(g_OutputSpeakerType[i], types[i]);
        EXPECT_EQ(view->Data()->GetOut(i)->GetSpeakerType(), types[i]);
    }
    EXPECT_TRUE(view->OutputPage()->isVisibleTo(view));
    EXPECT_FALSE(view->LockPanel()->isVisibleTo(view));
    // The transfer window ran over the read and has gone; the view takes input again.
    ASSERT_TRUE(PumpUntil([] { return !g_TransferDlg->IsShown(); }));
    EXPECT_TRUE(view->isEnabled());
    EXPECT_EQ(g_TransferDlg->Progress()->GetUpperRange(), 29); // 14 full reads, then 16 blocks
}

TEST_F(DeviceTest, AStartWithTheDeviceOnUsbUsesUsb) {
    hid.Plug("/dev/hidraw7", &device);
    NetworkModuleAway();
    StartConnected();
    EXPECT_EQ(g_ConnectionKind.load(), 1);
    EXPECT_EQ(g_UsbDevicePath, "/dev/hidraw7");
    EXPECT_EQ(device.Seen().front().raw, RequestFrame(kRead, 0, 9, 204, 0));
    EXPECT_EQ(Text(view->LinkStatus()->Text()), "Connected device");
}

TEST_F(DeviceTest, TheVersionDecidesWhetherTheDeviceIsKept) {
    struct Case {
        const char* version;
        int variant; // 0: refused
    };
    const Case cases[] = {
        {"VELK-FV1.00", 1}, {"VELK-WV2.10", 2}, {"VELK-F", 1},
        {"VELK-XV1.00", 0}, {"velk-fV1.00", 0}, {"VELK", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        device.SetVersion(c.version);
        view = nullptr;
        boxes.clear();
        g_DeviceVariant = 2;
        const size_t before = device.FrameCount();
        Start();
        if (c.variant) {
            ASSERT_TRUE(PumpUntil([this] { return DataShown(view); }, 10000));
            EXPECT_EQ(g_DeviceVariant.load(), c.variant);
        } else {
            ASSERT_TRUE(PumpUntil(
                [this] { return view->Count(WM_DEVICE_VERSION) > 0 && !view->IsConnected(); }));
            // Let go without a word: link closed, the version text blanked.
            EXPECT_TRUE(boxes.empty());
            EXPECT_EQ(g_ConnectionKind.load(), 0);
            EXPECT_EQ(
                std::string(reinterpret_cast<const char*>(g_DeviceRecords.Bytes().versionText), 12),
                std::string(12, ' '));
            EXPECT_EQ(g_DeviceSynced.load(), 0);
            EXPECT_EQ(g_DeviceVariant.load(), 2);
            EXPECT_EQ(view->Session().Command().GetCount(), 0);
            EXPECT_EQ(Text(view->LinkStatus()->Text()), "Not connected devices");
            // Nothing of the full reads reached the device.
            const auto seen = device.Seen();
            for (size_t i = before; i < seen.size(); ++i)
                EXPECT_FALSE(seen[i].channel == 0 && seen[i].slot == 1);
        }
        Restart();
    }
}

// ---------------------------------------------------------------------------
// Edits and the device's own changes
// ---------------------------------------------------------------------------

TEST_F(DeviceTest, AnEditReachesTheDeviceAndTheNameBecomesCustom) {
    StartConnected();
    const size_t before = device.Seen().size();
    {
        DeviceLockGuard lock(g_DeviceLock);
        view->Data()->GetOut(2)->GetFilter(4)->SetGainCode(260);
    }
    const size_t item = kOutputBlockOffset + 2 * kOutputBlockSize + 4 * kItemSize;
    auto taken = [&] {
        auto seen = device.Seen();
        seen.erase(seen.begin(), seen.begin() + static_cast<long>(before));
        return WithoutStatus(seen);
    };
    ASSERT_TRUE(
        PumpUntil([&] { return taken().size() >= 2 && view->Count(WM_PRESET_NAME_CUSTOM) > 0; }));
    // The band went out as its item, then the name "Custom".
    const auto seen = taken();
    EXPECT_EQ(seen[0].raw,
              RequestFrame(kWrite, 0, 4, 2, 4,
                           std::vector<uint8_t>(g_ParamImage + item, g_ParamImage + item + 8)));
    EXPECT_EQ(seen[1].channel, 0);
    EXPECT_EQ(std::string(seen[1].payload.begin(), seen[1].payload.begin() + 6), "Custom");
    EXPECT_EQ(Text(view->BitButton(CLumaraView::IDC_PRESET_NAME)->text()), "Custom");
    EXPECT_EQ(FieldToString(device.Image().data(), 16), "Custom");
}

TEST_F(DeviceTest, TheViewTakesOverTheDevicesStatusButNotWhileTheUserIsChangingIt) {
    StartConnected();
    // The guard holds: nothing is taken.
    g_StateFlags[kFlagStatusGuard] = 1;
    view->StartEditGuardTimer();
    device.TurnSource(3);
    device.TurnVolume(2, 33);
    device.TurnMasterOn(false);
    device.TurnSecondSource(1);
    ASSERT_TRUE(StatusReadsAfter(3));
    EXPECT_EQ(g_DeviceRecords.Bytes().sources[0], 1);
    EXPECT_EQ(g_DeviceRecords.Bytes().sources[4], 60);
    EXPECT_EQ(g_DeviceRecords.Bytes().master[6], 1);
    EXPECT_EQ(g_DeviceRecords.Bytes().sourceSetup[4], 6);
    EXPECT_EQ(Text(view->InputSourceList()->text()), "Hi.Level");

    // The guard's timer ends it; the next record is taken over.
    EXPECT_TRUE(view->HasTimer(CLumaraView::kEditGuardTimer));
    view->OnTimer(CLumaraView::kEditGuardTimer);
    EXPECT_EQ(g_StateFlags[kFlagStatusGuard].load(), 0);
    EXPECT_FALSE(view->HasTimer(CLumaraView::kEditGuardTimer));
    ASSERT_TRUE(PumpUntil([] {
        return g_DeviceRecords.Bytes().sources[0] == 3 &&
               g_DeviceRecords.Bytes().sourceSetup[4] == 1;
    }));
    EXPECT_EQ(g_DeviceRecords.Bytes().sources[4], 33);
    EXPECT_EQ(g_DeviceRecords.Bytes().master[6], 0);
    EXPECT_EQ(Text(view->InputSourceList()->text()), "AUX");
    EXPECT_TRUE(view->LevelBar()->IsMuteChecked());
    EXPECT_EQ(Text(view->MixSourceList()->text()), "Hi.Level");
    // AUX with the high-level input mixed in: both analogue, not available.
    EXPECT_TRUE(view->BitButton(CLumaraView::IDC_MIX_WARNING)->isVisibleTo(view));

    // A record that says what the view already has changes nothing and sends nothing.
    const size_t before = WithoutStatus(device.Seen()).size();
    ASSERT_TRUE(StatusReadsAfter(3));
    EXPECT_EQ(WithoutStatus(device.Seen()).size(), before);
}

TEST_F(DeviceTest, TheViewHearsOfTheDevicesStatusWhenItChanges) {
    StartConnected();
    ASSERT_TRUE(StatusReadsAfter(3));
    const int heard = view->Count(WM_DEVICE_STATUS);
    EXPECT_GE(heard, 1) << "the first after connecting";
    ASSERT_TRUE(StatusReadsAfter(10));
    EXPECT_EQ(view->Count(WM_DEVICE_STATUS), heard) << "the same status again";

    device.TurnVolume(2, 33);
    ASSERT_TRUE(PumpUntil([] { return g_DeviceRecords.Bytes().sources[4] == 33; }));
    EXPECT_EQ(view->Count(WM_DEVICE_STATUS), heard + 1);

    // A value the device did not take: once the user's guard has ended, the
    // view shows the device's again although its status did not change.
    g_StateFlags[kFlagStatusGuard] = 1;
    view->StartEditGuardTimer();
    WithDeviceLock([] { g_DeviceRecords.Bytes().sources[4] = 10; });
    ASSERT_TRUE(StatusReadsAfter(3));
    EXPECT_EQ(g_DeviceRecords.Bytes().sources[4], 10);
    view->OnTimer(CLumaraView::kEditGuardTimer);
    EXPECT_TRUE(PumpUntil([] { return g_DeviceRecords.Bytes().sources[4] == 33; }));
}

// Byte 289 of output 0 is the L/R link flag and the lock marker at once; only
// 1 is a link.
TEST_F(DeviceTest, ChoosingASourceSendsItAndShowingOneSendsNothing) {
    StartConnected();
    view->SelectSource(5, 0); // shown only
    EXPECT_EQ(Text(view->InputSourceList()->text()), "Player");
    EXPECT_EQ(g_DeviceRecords.Bytes().sources[0], 1);
    // As the source list does: the device's status waits meanwhile.
    g_StateFlags[kFlagStatusGuard] = 1;
    view->SelectSource(3, 1);
    EXPECT_EQ(g_ActiveSource, 3);
    EXPECT_EQ(g_DeviceRecords.Bytes().sources[0], 3);
    EXPECT_EQ(Text(view->InputSourceList()->text()), "AUX");
    ASSERT_TRUE(PumpUntil([this] { return device.Record(2)[0] == 3; }));
    EXPECT_EQ(device.Record(2), std::vector<uint8_t>(g_DeviceRecords.Bytes().sources,
                                                     g_DeviceRecords.Bytes().sources + 8));
}

TEST_F(DeviceTest, TheLinkAndLockByteOfOutputZeroAfterALoad) {
    struct Case {
        uint8_t byte;
        bool linked;
        bool locked;
    };
    const Case cases[] = {
        {0, false, false}, {1, true, false}, {'!', false, true}, {' ', false, false}};
    const size_t marker = kOutputBlockOffset + kOutLockMarkByte;
    // Outputs 0 and 2 are front-left and front-right tweeters; their first
    // bands differ on the device.
    auto bandGain = [](int output) { return kOutputBlockOffset + output * kOutputBlockSize + 2; };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.byte));
        view = nullptr;
        DeviceRunsPreset1();
        device.SetImageBytes(marker, {c.byte, '1', '2', '3', '4', '5', '6'});
        device.SetImageBytes(bandGain(0), {0xF4, 0x01}); // -10 dB: within the page's fields
        device.SetImageBytes(bandGain(2), {0x58, 0x02});
        StartConnected();
        EXPECT_EQ(g_LinkActive, c.linked ? 1 : 0);
        EXPECT_EQ(g_LRLinkOn, c.linked ? 1 : 0);
        EXPECT_EQ(view->BitButton(CLumaraView::IDC_LR_LINK)->GetCheck(), c.linked ? 1 : 0);
        EXPECT_EQ(g_StateFlags[kFlagDataLocked].load(), c.locked ? 1 : 0);
        EXPECT_EQ(view->LockPanel()->isVisibleTo(view), c.locked);
        EXPECT_EQ(view->OutputPage()->isVisibleTo(view), !c.locked);
        EXPECT_EQ(view->BitButton(CLumaraView::IDC_LOCK)->GetCheck(), c.locked ? 1 : 0);
        if (c.locked) {
            EXPECT_EQ(g_LockPassword, "123456");
        }
        // The marker stays what the device holds (1 for a link).
        EXPECT_EQ(g_ParamImage[marker], c.byte);
        // Linked: the right tweeter takes the left one's equaliser, and its key.
        const int leftGain = view->Data()->GetOut(0)->GetFilter(0)->GetGainCode();
        EXPECT_EQ(view->Data()->GetOut(2)->GetFilter(0)->GetGainCode() == leftGain, c.linked);
        EXPECT_EQ(g_LinkKey[2], c.linked ? 0 : 2);
        for (int i = 0; i < 12; ++i)
            EXPECT_EQ(view->Strip(i)->IsSpeakerTypeEnabled(), !c.linked);
        Restart();
    }
}

// ---------------------------------------------------------------------------
// Losing the device
// ---------------------------------------------------------------------------

TEST_F(DeviceTest, ALostLinkIsClosedAndTheProbeReconnectsWhenTheDeviceIsBack) {
    struct Case {
        const char* what;
        std::function<void()> lose;
        std::function<void()> restore;
    };
    const Case cases[] = {
        {"silent", [this] { device.SetSilent(true); }, [this] { device.SetSilent(false); }},
        {"connection dropped for good", [this] { server.Stop(); },
         [this] { ASSERT_TRUE(server.Start(static_cast<uint16_t>(g_DevicePort.load()))); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        view = nullptr;
        boxes.clear();
        StartConnected();
        c.lose();
        ASSERT_TRUE(PumpUntil([this] { return !view->IsConnected(); }, 10000));
        EXPECT_EQ(view->Count(WM_LINK_LOST), 1);
        EXPECT_THAT(BoxTexts(), ElementsAreArray({"Connection failure!"}));
        EXPECT_EQ(boxes[0].autoCloseMs, 2000);
        EXPECT_EQ(g_ConnectionKind.load(), 0);
        EXPECT_EQ(g_NetLinkUp.load(), 0);
        EXPECT_EQ(g_DeviceSynced.load(), 0);
        EXPECT_EQ(view->Session().Command().GetCount(), 0);
        EXPECT_EQ(Text(view->LinkStatus()->Text()), "Not connected devices");
        EXPECT_TRUE(view->LinkStatus()->IsBlinking());
        EXPECT_EQ(view->ConnectButton()->CurrentBitmap(), 8753u);
        EXPECT_TRUE(view->BitButton(CLumaraView::IDC_PRESET_NAME)->text().isEmpty());

        // The module's network goes (the probe forgets it) and comes back with the device.
        adapters.Set({});
        ASSERT_TRUE(PumpUntil([this] { return !view->Session().Net().IsReachable(); }));
        c.restore();
        adapters.Set({{"127.0.0.1", "255.0.0.0"}});
        ASSERT_TRUE(PumpUntil([this] { return view->IsConnected() && DataShown(view, 2); }, 10000));
        EXPECT_EQ(g_ConnectionKind.load(), 2);
        EXPECT_EQ(boxes.size(), 1u);
        Restart();
    }
}

TEST_F(DeviceTest, ALinkLostDuringAFirmwareUpdateSaysSoFirst) {
    StartConnected();
    g_StateFlags[kFlagFirmwareMode] = 1;
    view->SendMessage(WM_LINK_LOST, 0, 0);
    EXPECT_FALSE(view->IsConnected());
    EXPECT_EQ(g_StateFlags[kFlagFirmwareMode].load(), 0);
    EXPECT_THAT(BoxTexts(),
                ElementsAreArray({"The firmware update failed", "Connection failure!"}));
    EXPECT_EQ(boxes[0].autoCloseMs, 2001);
    // A second report of the same loss finds nothing left to close.
    view->SendMessage(WM_LINK_LOST, 0, 0);
    EXPECT_EQ(boxes.size(), 2u);
}

TEST_F(DeviceTest, ADataReplyWithoutPayloadEndsTheLinkWithTheFirmwareMessage) {
    StartConnected();
    device.EmptyDataNext(1); // the next status record comes back empty
    ASSERT_TRUE(PumpUntil([this] { return view->Count(WM_DEVICE_ABNORMAL) > 0; }));
    EXPECT_FALSE(view->IsConnected());
    EXPECT_EQ(g_ConnectionKind.load(), 0);
    EXPECT_EQ(g_DeviceAbnormal.load(), 1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(Text(boxes[0].text), "Please Update the Firmware!");
    EXPECT_EQ(boxes[0].autoCloseMs, 2001);
    EXPECT_EQ(Text(view->LinkStatus()->Text()), "Not connected devices");
}

TEST_F(DeviceTest, ClosingTheProgramWhileTheLinkWaitsForTheOutputMapHandlerEndsCleanly) {
    Watchdog watchdog(60);
    Start();
    ASSERT_TRUE(PumpUntil([this] { return view->Count(WM_DEVICE_VERSION) > 0; }, 10000));
    // Without the event loop the worker reads on and then waits in its send
    // of the first output-map half, which only this thread can take.
    auto* relay = dynamic_cast<CViewRelay*>(g_MainView.load());
    ASSERT_NE(relay, nullptr);
    ASSERT_TRUE(Eventually([relay] { return relay->Waiting() > 0; }));
    EXPECT_EQ(view->Count(WM_OUTPUT_MAP), 0);
    view->OnCloseButton();
    EXPECT_FALSE(view->Session().Worker().HasWorker());
    // The half the worker was sending was handled before it ended.
    EXPECT_EQ(view->Count(WM_OUTPUT_MAP), 1);
    EXPECT_EQ(relay->Waiting(), 0u);
}

// ---------------------------------------------------------------------------
// The connect button, its popups, USB arrival and removal
// ---------------------------------------------------------------------------

TEST_F(DeviceTest, TheConnectButtonClosesAnOpenLink) {
    struct Case {
        int language;
        unsigned picture;
        const char* text;
    };
    const Case cases[] = {{0, 8753, "Not connected devices"}, {1, 8751, "未连接设备"}};
    for (const Case& c : cases) {
        view = nullptr;
        StartConnected();
        g_LanguageFlag = c.language;
        view->SendMessage(WM_COMMAND, CLumaraView::IDC_CONNECT, 0);
        EXPECT_FALSE(view->IsConnected());
        EXPECT_FALSE(view->Session().Worker().HasWorker());
        EXPECT_EQ(g_ConnectionKind.load(), 0);
        EXPECT_EQ(view->ConnectButton()->CurrentBitmap(), c.picture);
        EXPECT_EQ(Text(view->LinkStatus()->Text()), c.text);
        EXPECT_TRUE(view->LinkStatus()->IsBlinking());
        EXPECT_TRUE(view->LinkStatus()->isVisibleTo(view));
        EXPECT_TRUE(boxes.empty());
        Restart();
    }
}

TEST_F(DeviceTest, TheConnectButtonOffersWhatCanBeOpened) {
    struct Case {
        const char* what;
        int devices;
        bool network;
        std::vector<std::pair<std::string, int>> popup; // empty: no popup
        int choice;
        int kind; // the link afterwards
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {"nothing", 0, false, {}, 0, 0, {"No connection can be opened"}},
        {"network only", 0, true, {}, 0, 2, {}},
        {"one device", 1, false, {}, 0, 1, {}},
        {"one device and the network, USB chosen",
         1,
         true,
         {{"USB", 732}, {"WIFI", 733}},
         732,
         1,
         {}},
        {"one device and the network, network chosen",
         1,
         true,
         {{"USB", 732}, {"WIFI", 733}},
         733,
         2,
         {}},
        {"two devices and the network",
         2,
         true,
         {{"USB1", 6600}, {"USB2", 6601}, {"127.0.0.1", 733}},
         6601,
         1,
         {}},
        {"two devices", 2, false, {{"USB1", 6600}, {"USB2", 6601}}, 6600, 1, {}},
        {"two devices, nothing chosen", 2, false, {{"USB1", 6600}, {"USB2", 6601}}, 0, 0, {}},
    };
    pinger.answers = false; // the probe never finds the module on its own
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        view = nullptr;
        boxes.clear();
        for (int d = 0; d < 2; ++d)
            hid.Unplug("/dev/hidraw" + std::to_string(d));
        Start();
        ASSERT_TRUE(PumpUntil([this] { return view->Count(WM_FIRST_CONNECT) > 0; }));
        // The probe stands still; the module counts as reachable or not.
        view->StopProbe(true);
        for (int d = 0; d < c.devices; ++d)
            hid.Plug("/dev/hidraw" + std::to_string(d), &device);
        pinger.answers = c.network;
        view->Session().Net().SetReachable(c.network);
        view->popupChoice = c.choice;
        view->SendMessage(WM_COMMAND, CLumaraView::IDC_CONNECT, 0);
        if (c.popup.empty()) {
            EXPECT_EQ(view->popups, 0);
        } else {
            EXPECT_EQ(view->popups, 1);
            EXPECT_EQ(view->popupItems, c.popup);
            const QRect button = view->ConnectButton()->geometry();
            EXPECT_EQ(view->popupAt, view->mapToGlobal(QPoint(button.left(), button.bottom() + 3)));
        }
        EXPECT_EQ(g_ConnectionKind.load(), c.kind);
        EXPECT_EQ(view->IsConnected(), c.kind != 0);
        if (c.choice == 6601) {
            EXPECT_EQ(g_UsbDevicePath, "/dev/hidraw1");
        }
        EXPECT_EQ(BoxTexts(), c.messages);
        if (c.kind) {
            EXPECT_TRUE(PumpUntil([this] { return DataShown(view); }, 10000));
        }
        pinger.answers = false;
        Restart();
    }
}

TEST_F(DeviceTest, UsbArrivalConnectsAndRemovalClosesTheLink) {
    NetworkModuleAway();
    Start();
    ASSERT_TRUE(PumpUntil([this] { return view->Count(WM_FIRST_CONNECT) > 0; }));
    EXPECT_FALSE(view->IsConnected());
    hid.Plug("/dev/hidraw3", &device);
    view->Session().Usb().OnDeviceChange({HotplugEvent::Arrival, "/dev/hidraw3"});
    EXPECT_EQ(g_ConnectionKind.load(), 1);
    ASSERT_TRUE(PumpUntil([this] { return DataShown(view); }, 10000));

    hid.Unplug("/dev/hidraw3");
    view->Session().Usb().OnDeviceChange({HotplugEvent::Removal, "/dev/hidraw3"});
    EXPECT_FALSE(view->IsConnected());
    EXPECT_EQ(g_ConnectionKind.load(), 0);
    EXPECT_TRUE(g_UsbDevicePath.empty());
    EXPECT_THAT(BoxTexts(), ElementsAreArray({"Connection failure!"}));
    EXPECT_EQ(Text(view->LinkStatus()->Text()), "Not connected devices");
}

TEST_F(DeviceTest, AUsbDeviceWithoutPermissionIsSaidInWords) {
    NetworkModuleAway();
    hid.Plug("/dev/hidraw4", &device);
    hid.DenyPermission("/dev/hidraw4");
    Start();
    ASSERT_TRUE(PumpUntil([this] { return view->Count(WM_FIRST_CONNECT) > 0; }));
    EXPECT_FALSE(view->IsConnected());
    EXPECT_TRUE(boxes.empty()); // the first attempt says nothing
    g_ConnectionKind = 1;
    view->ConnectDevice();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(Text(boxes[0].text), g_UsbPermissionText.en);
}

// ---------------------------------------------------------------------------
// Command senders
// ---------------------------------------------------------------------------

TEST_F(DeviceTest, SendersQueueNothingWhileNotConnectedExceptWhereTheyNeedNoLink) {
    NetworkModuleAway();
    Start();
    CKTVCommand& cmd = view->Session().Command();
    view->SendCommand(2, 0);
    view->Session().SendPresetSelect(3);
    view->Session().SendOutputMap(0, 1);
    EXPECT_EQ(cmd.GetCount(), 0);
    // Mode 0 still gives output 4 the type held for it, with that type's crossover.
    g_OutputSpeakerType[4] = 3; // FL-Woofer
    view->Session().SendOutputMap(4, 0);
    EXPECT_EQ(view->Data()->GetOut(4)->GetSpeakerType(), 3);
    EXPECT_EQ(cmd.GetCount(), 0);
    // The resynchronisation request needs no link; the next connection empties the queue.
    view->RequestDataResync();
    EXPECT_EQ(cmd.GetCount(), 1);
    // The map changed without a link: the connection asks about it; the
    // device's data is taken here.
    CMessageBox::SetResponder([this](const CMessageBox::Shown& shown) {
        boxes.push_back(shown);
        return shown.buttons.size() > 1 ? CMessageBox::Action::Cancel : CMessageBox::Action::Ok;
    });
    ASSERT_TRUE(server.Start(static_cast<uint16_t>(g_DevicePort.load())));
    pinger.answers = true;
    view->Session().Net().SetReachable(true);
    EXPECT_TRUE(view->Session().NetConnect());
    ASSERT_TRUE(PumpUntil([this] { return DataShown(view); }, 10000));
    EXPECT_EQ(boxes.size(), 1u);
    for (const auto& f : device.Seen())
        EXPECT_NE(f.channel, 98);
}

TEST_F(DeviceTest, ConnectedSendersQueueTheirFramesTogether) {
    StartConnected();
    SuspendWorker();
    CKTVCommand& cmd = view->Session().Command();
    ASSERT_EQ(cmd.GetCount(), 0);
    g_DeviceRecords.Bytes().master[6] = 1;
    view->Session().MuteOutputsForTransfer(0);
    EXPECT_EQ(g_DeviceRecords.Bytes().master[6], 0);
    view->Session().MuteOutputsForTransfer(1);
    EXPECT_EQ(g_DeviceRecords.Bytes().master[6], 1);
    view->Session().SendPresetSelect(3);
    view->Session().SendOutputMap(2, 0);
    view->SendCommand(8, 0);
    view->SendCommand(999, 0);                                      // no such record: nothing
    std::vector<std::tuple<int, int, std::vector<uint8_t>>> queued; // channel, item, payload
    cmd.ForEachPacket([&](const CSendData& p) {
        const uint8_t* d = p.GetData();
        queued.emplace_back(d[8], d[9], std::vector<uint8_t>(d + 14, d + p.GetLength() - 2));
    });
    ASSERT_EQ(queued.size(), 8u);
    EXPECT_EQ(std::get<0>(queued[0]), 5);
    EXPECT_EQ(std::get<2>(queued[0])[6], 0); // muted
    EXPECT_EQ(std::get<0>(queued[1]), 5);
    EXPECT_EQ(std::get<2>(queued[1])[6], 1); // restored
    EXPECT_EQ(std::get<0>(queued[2]), 0);    // stored preset 3's name
    EXPECT_EQ(std::get<0>(queued[3]), 52);
    EXPECT_EQ(std::get<2>(queued[3]), std::vector<uint8_t>{0});
    EXPECT_EQ(std::get<0>(queued[4]), 6);
    EXPECT_EQ(std::get<0>(queued[5]), 7);
    EXPECT_EQ(std::get<1>(queued[6]), 32); // output 2's crossover item
    EXPECT_EQ(std::get<0>(queued[7]), 8);
    ResumeWorker();
    ASSERT_TRUE(PumpUntil([&] { return WithoutStatus(device.Seen()).back().channel == 8; }));
    EXPECT_EQ(device.Record(52), std::vector<uint8_t>{0});
}

TEST_F(DeviceTest, AMapWithRepeatedSpeakerTypesIsCleanedAndSentBack) {
    StartConnected();
    SuspendWorker();
    const uint8_t map6[8] = {1, 5, 7, 1, 0, 0, 24, 0};
    const uint8_t map7[8] = {5, 0, 0, 0, 0, 0, 0, 0};
    std::copy(map6, map6 + 8, g_DeviceRecords.Bytes().outputMapA);
    std::copy(map7, map7 + 8, g_DeviceRecords.Bytes().outputMapB);
    g_LRLinkOn = 1;
    view->ApplyMapFromDevice(1);
    const uint8_t clean[12] = {1, 5, 7, 0, 0, 0, 24, 0, 0, 0, 0, 0};
    EXPECT_TRUE(std::equal(clean, clean + 12, g_OutputSpeakerType));
    EXPECT_TRUE(std::equal(clean, clean + 8, g_DeviceRecords.Bytes().outputMapA));
    EXPECT_EQ(g_DeviceRecords.Bytes().outputMapB[0], 0);
    EXPECT_EQ(g_LRLinkOn, 1); // kept when asked to
    std::vector<int> queued;
    view->Session().Command().ForEachPacket(
        [&](const CSendData& p) { queued.push_back(p.GetData()[8]); });
    EXPECT_EQ(queued, (std::vector<int>{6, 7}));
    // A clean map sends nothing; without keep the L/R link goes off.
    view->Session().Command().Clear();
    view->ApplyMapFromDevice(0);
    EXPECT_EQ(view->Session().Command().GetCount(), 0);
    EXPECT_EQ(g_LRLinkOn, 0);
    ResumeWorker();
}

TEST_F(DeviceTest, TheLongCommandOverUsbReportsTheDevicesAnswer) {
    hid.Plug("/dev/hidraw5", &device);
    NetworkModuleAway();
    StartConnected();
    ASSERT_EQ(g_ConnectionKind.load(), 1);
    view->SendCommand(65, 0);
    EXPECT_TRUE(g_TransferDlg->IsShown());
    ASSERT_TRUE(PumpUntil([this] { return view->Count(WM_LONG_COMMAND_DONE) > 0; }, 10000));
    EXPECT_EQ(g_TransferRunning.load(), 0);
    EXPECT_TRUE(view->IsConnected()); // the link stays
    EXPECT_THAT(BoxTexts(), ElementsAreArray({"Load WIFI factory default success"}));
}

TEST_F(DeviceTest, TheLongCommandOverTheNetworkEndsTheLinkAtTheFactoryAddress) {
    StartConnected();
    pinger.answers = false; // the module restarts with its factory settings
    view->SendCommand(65, 0);
    EXPECT_EQ(g_TransferRunning.load(), 1);
    EXPECT_TRUE(g_TransferDlg->IsShown());
    EXPECT_EQ(g_TransferDlg->Progress()->GetUpperRange(), 110);
    ASSERT_TRUE(PumpUntil([this] { return view->Count(WM_LONG_COMMAND_DONE) > 0; }, 10000));
    EXPECT_FALSE(view->IsConnected());
    EXPECT_FALSE(view->Session().Net().IsReachable());
    EXPECT_EQ(g_DeviceIpAddress + ":" + std::to_string(g_DevicePort.load()), address);
    EXPECT_THAT(BoxTexts(), ElementsAreArray({"Connection failure!"}));
    // The device took the command once.
    int taken = 0;
    for (const auto& f : device.Seen())
        taken += f.group == 9 && f.channel == 65;
    EXPECT_EQ(taken, 1);
    // Once the module answers again the probe finds it and the view connects.
    pinger.answers = true;
    ASSERT_TRUE(PumpUntil([this] { return DataShown(view, 2); }, 10000));
    EXPECT_EQ(g_ConnectionKind.load(), 2);
}

// ---------------------------------------------------------------------------
// Settings changed while no device is connected
// ---------------------------------------------------------------------------

class OfflineChangesTest : public DeviceTest {
protected:
    static constexpr size_t kBand = kOutputBlockOffset + 2 * kOutputBlockSize + 5 * kItemSize;

    // The connect button closes the link; the module stays out of reach
    // until Reconnect, so that nothing connects on its own meanwhile.
    void Disconnect() {
        pinger.answers = false;
        view->SendMessage(WM_COMMAND, CLumaraView::IDC_CONNECT, 0);
        ASSERT_FALSE(view->IsConnected());
        view->StopProbe(true);
        view->Session().Net().SetReachable(false);
    }
    // A gain typed into band 5 of output 2 (the field then gives up the focus).
    void EditBand() {
        view->SelectOutput(2);
        auto* page = dynamic_cast<COutputPage*>(view->OutputPage());
        ASSERT_NE(page, nullptr);
        CNumEdit* field = page->Field(COutputPage::kBandGain + 5);
        ASSERT_NE(field, nullptr);
        field->setText(QStringLiteral("4.5"));
        field->SetModified(true);
        QFocusEvent out(QEvent::FocusOut, Qt::OtherFocusReason);
        QApplication::sendEvent(field, &out);
        ASSERT_EQ(view->Data()->GetOut(2)->GetFilter(5)->GetGainCode(), 245);
    }
    // Two edits: the band, and the master one step down.
    void EditOffline() {
        EditBand();
        auto* master = dynamic_cast<CMasterStrip*>(view->LevelBar());
        ASSERT_NE(master, nullptr);
        master->MinusButton()->click();
        ASSERT_TRUE(PumpUntil([] { return GetS16(g_DeviceRecords.Bytes().master) == 59; }));
    }
    // The connect button finds the module; until the data is shown and the
    // names have been written (two after a plain connection, one more when
    // the window's preset went first).
    void Reconnect(int names = 2) {
        pinger.answers = true;
        view->Session().Net().SetReachable(true);
        mark = device.FrameCount();
        const int loads = view->Count(WM_DEVICE_DATA_DONE) + 1;
        view->SendMessage(WM_COMMAND, CLumaraView::IDC_CONNECT, 0);
        ASSERT_TRUE(PumpUntil(
            [&] { return DataShown(view, loads) && NamesSentBack(mark) >= names; }, 20000));
    }
    // Answers the question with YES or NO; other boxes with OK. What the
    // window and the device hold while it is open is kept.
    void Answer(bool send) {
        CMessageBox::SetResponder([this, send](const CMessageBox::Shown& shown) {
            boxes.push_back(shown);
            if (shown.buttons.size() < 2) return CMessageBox::Action::Ok;
            gainWhileAsked = view->Data()->GetOut(2)->GetFilter(5)->GetGainCode();
            masterWhileAsked = GetS16(g_DeviceRecords.Bytes().master);
            return send ? CMessageBox::Action::Ok : CMessageBox::Action::Cancel;
        });
    }
    std::vector<sim::SeenFrame> SinceMark() const {
        auto seen = device.Seen();
        const size_t since = device.FrameCount() - mark;
        seen.erase(seen.begin(), seen.end() - static_cast<long>(std::min(since, seen.size())));
        return WithoutStatus(seen);
    }
    // The frames of a plain connection: the reads, then the name written back twice.
    static std::vector<std::tuple<int, int, int, int>> ConnectionFrames() {
        std::vector<std::tuple<int, int, int, int>> f = {{kRead, 0, 9, 204}, {kRead, 0, 9, 4}};
        for (int slot = 1; slot <= 6; ++slot)
            f.emplace_back(kRead, slot, 9, 0);
        for (int record : {0, 52, 2, 5, 6, 7, 8, 9})
            f.emplace_back(kRead, 0, 9, record);
        for (int in = 0; in < 4; ++in)
            f.emplace_back(kRead, 0, 3, in);
        for (int out = 0; out < 12; ++out)
            f.emplace_back(kRead, 0, 4, out);
        f.emplace_back(kWrite, 0, 9, 0);
        f.emplace_back(kWrite, 0, 9, 0);
        return f;
    }
    static std::vector<std::tuple<int, int, int, int>>
    Heads(const std::vector<sim::SeenFrame>& frames) {
        std::vector<std::tuple<int, int, int, int>> out;
        for (const auto& f : frames)
            out.emplace_back(f.command, f.slot, f.group, f.channel);
        return out;
    }
    int BandOnDevice() const { return GetU16(device.Image().data() + kBand + 2) - 400; }
    // Since the mark: the quick reads, the current preset as a preset load
    // sends it (the master muted meanwhile), then the reads of a connection,
    // which bring it back. master: the window's master volume.
    void ExpectSentAsAPresetLoad(unsigned master) const {
        std::vector<std::tuple<int, int, int, int>> want = {
            {kRead, 0, 9, 204}, {kRead, 0, 9, 4},  {kWrite, 0, 9, 5}, {kWrite, 0, 9, 97},
            {kWrite, 0, 9, 0},  {kWrite, 0, 9, 6}, {kWrite, 0, 9, 7}};
        for (int in = 0; in < 4; ++in)
            want.emplace_back(kWrite, 0, 3, in);
        for (int out = 0; out < 12; ++out)
            want.emplace_back(kWrite, 0, 4, out);
        want.emplace_back(kWrite, 0, 9, 97);
        want.emplace_back(kWrite, 0, 9, 5);
        const auto plain = ConnectionFrames();
        want.insert(want.end(), plain.begin() + 2, plain.end());
        const auto frames = SinceMark();
        EXPECT_EQ(Heads(frames), want);
        ASSERT_GE(frames.size(), 25u);
        EXPECT_EQ(frames[2].payload[6], 0);              // muted
        EXPECT_EQ(frames[24].payload, device.Record(5)); // the window's master, on again
        EXPECT_EQ(GetU16(frames[24].payload.data()), master);
    }

    size_t mark = 0;
    int gainWhileAsked = -1;
    int masterWhileAsked = -1;
};

TEST_F(OfflineChangesTest, SentToTheDeviceTheyArriveAsAPresetLoadSendsThem) {
    StartConnected();
    const int deviceGain = BandOnDevice();
    ASSERT_NE(deviceGain, 245);
    Disconnect();
    EditOffline();
    Answer(true);
    Reconnect(3);

    // Asked once, before the device's data came in.
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(Text(boxes[0].text),
              "Settings were changed while offline.\nSend them to the device?\n(NO: the device's "
              "data replaces them)");
    EXPECT_EQ(boxes[0].buttons, (QStringList{QStringLiteral("YES"), QStringLiteral("NO")}));
    EXPECT_EQ(Text(boxes[0].caption), "Prompting");
    EXPECT_EQ(boxes[0].autoCloseMs, 0);
    EXPECT_EQ(gainWhileAsked, 245);
    EXPECT_EQ(masterWhileAsked, 59);

    ExpectSentAsAPresetLoad(59);

    // The device holds both edits, and the window shows them from its data.
    EXPECT_EQ(BandOnDevice(), 245);
    EXPECT_EQ(GetS16(device.Record(5).data()), 59);
    EXPECT_EQ(view->Data()->GetOut(2)->GetFilter(5)->GetGainCode(), 245);
    EXPECT_EQ(view->LevelBar()->GetValue(), 59);

    // Nothing waits any more: the next connection asks nothing.
    Disconnect();
    Reconnect();
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(Heads(SinceMark()), ConnectionFrames());
}

TEST_F(OfflineChangesTest, AnEditALostLinkLeftUnsentIsAskedAboutAndSentByteForByte) {
    StartConnected();
    ASSERT_NE(BandOnDevice(), 245);
    const int master = GetS16(g_DeviceRecords.Bytes().master);
    // The device stops answering and storing: the edit made meanwhile never
    // reaches it, and the link is lost. Nothing reconnects on its own.
    device.SetSilent(true);
    pinger.answers = false;
    EditBand(); // while the window is still connected
    EXPECT_EQ(g_UnsentEdits.load(), 0);
    ASSERT_TRUE(PumpUntil([this] { return !view->IsConnected(); }, 20000));
    view->StopProbe(true);
    view->Session().Net().SetReachable(false);
    ASSERT_NE(BandOnDevice(), 245);
    // What the window packs for the band, as the device must hold it.
    const ItemRecord band = view->Data()->GetOut(2)->GetEq().PackBand(5);

    device.SetSilent(false);
    Answer(true);
    boxes.clear(); // the lost link's message
    Reconnect(3);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].buttons, (QStringList{QStringLiteral("YES"), QStringLiteral("NO")}));
    EXPECT_EQ(gainWhileAsked, 245);
    ExpectSentAsAPresetLoad(static_cast<unsigned>(master));
    const auto image = device.Image();
    EXPECT_TRUE(std::equal(band.begin(), band.end(), image.begin() + static_cast<long>(kBand)));
    EXPECT_EQ(view->Data()->GetOut(2)->GetFilter(5)->GetGainCode(), 245);
}

TEST_F(OfflineChangesTest, TakingTheDevicesDataConnectsAsAlwaysAndShowsIt) {
    StartConnected();
    const int deviceGain = BandOnDevice();
    Disconnect();
    EditOffline();
    Answer(false);
    Reconnect();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(gainWhileAsked, 245);
    // Frame for frame the connection of a window without changes.
    EXPECT_EQ(Heads(SinceMark()), ConnectionFrames());
    EXPECT_EQ(BandOnDevice(), deviceGain);
    EXPECT_EQ(GetS16(device.Record(5).data()), 60);
    EXPECT_EQ(view->Data()->GetOut(2)->GetFilter(5)->GetGainCode(), deviceGain);
    EXPECT_EQ(view->LevelBar()->GetValue(), 60);
    // The answer holds: the next connection asks nothing.
    Disconnect();
    Reconnect();
    EXPECT_EQ(boxes.size(), 1u);
}

TEST_F(OfflineChangesTest, TheQuestionIsInChineseInTheChineseWindow) {
    StartConnected();
    Disconnect();
    EditOffline();
    g_LanguageFlag = 1;
    Answer(false);
    Reconnect();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(Text(boxes[0].text),
              "未连接设备时修改的数据还没有发送到设备.\n是否把这些数据发送到设备?\n(否: "
              "使用设备的数据, 这些修改将丢失)");
    EXPECT_EQ(Text(boxes[0].caption), "提示");
}

TEST_F(OfflineChangesTest, AnAnswerGivenAsTheLinkDropsKeepsThemForTheNextConnection) {
    StartConnected();
    const int deviceGain = BandOnDevice();
    Disconnect();
    EditOffline();
    // The user answers YES after the link has dropped.
    int questions = 0;
    CMessageBox::SetResponder([&](const CMessageBox::Shown& shown) {
        boxes.push_back(shown);
        if (shown.buttons.size() < 2) return CMessageBox::Action::Ok;
        if (++questions == 1) {
            server.Stop();
            EXPECT_TRUE(PumpUntil([this] { return !view->IsConnected(); }, 20000));
        }
        return CMessageBox::Action::Ok;
    });
    pinger.answers = true;
    view->Session().Net().SetReachable(true);
    view->SendMessage(WM_COMMAND, CLumaraView::IDC_CONNECT, 0);
    ASSERT_TRUE(PumpUntil([&] { return questions == 1 && !view->IsConnected(); }, 20000));
    EXPECT_EQ(view->Session().Command().GetCount(), 0);
    EXPECT_EQ(BandOnDevice(), deviceGain);
    EXPECT_EQ(view->Data()->GetOut(2)->GetFilter(5)->GetGainCode(), 245);
    EXPECT_EQ(GetS16(g_DeviceRecords.Bytes().master), 59);

    // The device is back: the next connection asks again, and YES sends them.
    pinger.answers = false;
    view->StopProbe(true);
    view->Session().Net().SetReachable(false);
    ASSERT_TRUE(server.Start(static_cast<uint16_t>(g_DevicePort.load())));
    Answer(true);
    Reconnect(3);
    EXPECT_EQ(questions, 1);
    EXPECT_EQ(gainWhileAsked, 245);
    EXPECT_EQ(BandOnDevice(), 245);
    EXPECT_EQ(GetS16(device.Record(5).data()), 59);
}

TEST_F(OfflineChangesTest, TheyWaitThroughARefusedVersion) {
    StartConnected();
    Disconnect();
    EditOffline();
    device.SetVersion("VELK-XV1.00");
    pinger.answers = true;
    view->Session().Net().SetReachable(true);
    view->SendMessage(WM_COMMAND, CLumaraView::IDC_CONNECT, 0);
    ASSERT_TRUE(PumpUntil(
        [this] { return view->Count(WM_DEVICE_VERSION) >= 2 && !view->IsConnected(); }, 20000));
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(view->Data()->GetOut(2)->GetFilter(5)->GetGainCode(), 245);

    pinger.answers = false;
    view->StopProbe(true);
    view->Session().Net().SetReachable(false);
    device.SetVersion("VELK-FV1.00");
    Answer(true);
    Reconnect(3);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(BandOnDevice(), 245);
}

TEST_F(DeviceTest, ARefusedVersionDoesNotHoldTheWindowForTheClosingPause) {
    // The device's connection still closes that long after the last exchange;
    // the window does not wait for it.
    app.m_LinkEnvironment.timings.closePause = 60000;
    device.SetVersion("VELK-XV1.00");
    Start();
    ASSERT_TRUE(PumpUntil(
        [this] { return view->Count(WM_DEVICE_VERSION) > 0 && !view->IsConnected(); }, 20000));
    EXPECT_LT(view->slowestMessageMs, 30000);
    EXPECT_EQ(Text(view->LinkStatus()->Text()), "Not connected devices");
    EXPECT_EQ(g_ConnectionKind.load(), 0);
}

} // namespace
