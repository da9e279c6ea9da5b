// The preset panel and the advanced settings against the simulated device:
// the USB button and a preset recall reach the device, the panel's close
// leaves the view's transfer window usable for the transfers that follow,
// the advanced settings' input mode and master volume arrive as their
// records, and an open advanced settings dialog follows the link and the
// device's data.
#include "tests/app/PresetTestSupport.h"

#include "app/PresetPanelDialog.h"
#include "features/system/AdvancedSettingsDialog.h"
#include "controls/GradientProgressCtrl.h"
#include "controls/NumEdit.h"
#include "link/LinkGlobals.h"
#include "model/DataDefine.h"

namespace {

class SettingsDialogDeviceTest : public PresetTest {
protected:
    void StartSettled() {
        StartConnected();
        ASSERT_TRUE(Settled());
    }
    // The dialog on the program's view, shown.
    void OpenOnView(CPresetPanelDialog& panel) {
        panel.m_View = view;
        panel.show();
    }
    void OpenOnView(CAdvancedSettingsDialog& dlg) {
        dlg.m_View = view;
        dlg.SetData(view->Data());
        dlg.show();
    }
    // The read requests of device preset n's blocks the device took since the mark.
    int PresetReads(int n) const {
        int reads = 0;
        for (const sim::SeenFrame& f : SinceMark())
            reads += f.command == 0xA2 && f.slot == n && (f.group == 3 || f.group == 4);
        return reads;
    }
};

TEST_F(SettingsDialogDeviceTest,
       ARecallReadsTheDevicePresetAndTheCloseWaitsForTheTransferAndKeepsItsWindow) {
    ASSERT_NO_FATAL_FAILURE(StartSettled());
    CPresetPanelDialog panel(view);
    OpenOnView(panel);
    panel.SetPage(CPresetPanelDialog::kPresetPage);

    Mark();
    panel.PresetButton(2)->click();
    EXPECT_EQ(panel.CurrentPreset(), 1);
    EXPECT_EQ(panel.PresetButton(2)->GetCheck(), 1);
    ASSERT_TRUE(g_TransferDlg->IsShown());
    // While the transfer is shown the close button does nothing.
    panel.Button(CPresetPanelDialog::IDC_CLOSE)->click();
    EXPECT_TRUE(panel.isVisible());
    ASSERT_TRUE(Settled());
    EXPECT_EQ(PresetReads(2), 16); // four music inputs and twelve outputs
    EXPECT_TRUE(boxes.empty());

    panel.Button(CPresetPanelDialog::IDC_CLOSE)->click();
    EXPECT_FALSE(panel.isVisible());
    EXPECT_EQ(panel.result(), QDialog::Rejected);

    // The view's transfer window is still there and shows the next device
    // transfer, its bar moving with the replies.
    ASSERT_NE(g_TransferDlg, nullptr);
    EXPECT_FALSE(g_TransferDlg->IsShown());
    Mark();
    view->LoadDevicePreset(3);
    EXPECT_TRUE(g_TransferDlg->IsShown());
    EXPECT_EQ(g_TransferDlg->Progress()->GetPos(), 0);
    int furthest = 0;
    ASSERT_TRUE(PumpUntil(
        [&] {
            furthest = std::max(furthest, g_TransferDlg->Progress()->GetPos());
            return !g_TransferRunning.load() && Ready();
        },
        20000));
    EXPECT_GT(furthest, 0);
    EXPECT_EQ(PresetReads(3), 16);
}

TEST_F(SettingsDialogDeviceTest, TheUsbButtonDisconnectsAndConnectsAgain) {
    ASSERT_NO_FATAL_FAILURE(StartSettled());
    CPresetPanelDialog panel(view);
    OpenOnView(panel);
    CBitButton* usb = panel.Button(CPresetPanelDialog::IDC_USB);
    // Connected: the click disconnects and the button stays off.
    usb->click();
    EXPECT_FALSE(view->IsConnected());
    EXPECT_EQ(usb->GetCheck(), 0);
    // A recall now only says that the link failed.
    boxes.clear();
    panel.SelectPreset(1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text.toStdString(), "Connection failure!");
    // The next click connects: the button goes on.
    view->Session().Net().SetReachable(true);
    view->popupChoice = CLumaraView::ID_CONNECT_NETWORK;
    usb->click();
    EXPECT_TRUE(view->IsConnected());
    EXPECT_EQ(usb->GetCheck(), 1);
}

TEST_F(SettingsDialogDeviceTest,
       AdvancedSettingsInputModeAndMasterVolumeReachTheDeviceAsTheirRecords) {
    ASSERT_NO_FATAL_FAILURE(StartSettled());
    CAdvancedSettingsDialog dlg(view);
    OpenOnView(dlg);
    Mark();
    // What each record holds when the edit is made is what the device must take.
    std::vector<uint8_t> sources, master;
    dlg.OnInputMode(CAdvancedSettingsDialog::ID_MODE_FIRST + 3); // AUX1: source code 3
    {
        DeviceLockGuard lock(g_DeviceLock);
        sources.assign(g_DeviceRecords.Bytes().sources, g_DeviceRecords.Bytes().sources + 8);
    }
    dlg.Edit(CAdvancedSettingsDialog::IDC_MASTER_VOLUME)->SetValue(48);
    dlg.SendMessage(WM_COMMAND, CAdvancedSettingsDialog::IDC_MASTER_VOLUME, 0);
    {
        DeviceLockGuard lock(g_DeviceLock);
        master.assign(g_DeviceRecords.Bytes().master, g_DeviceRecords.Bytes().master + 8);
    }
    EXPECT_EQ(sources[0], 3);
    EXPECT_EQ(GetS16(master.data()), 48);
    ASSERT_TRUE(Settled());
    int sourceWrites = 0, masterWrites = 0;
    for (const sim::SeenFrame& f : WithoutStatus(SinceMark())) {
        if (f.command != 0xA1 || f.group != 9 || f.slot != 0) continue;
        if (f.channel == kRecordSources) {
            ++sourceWrites;
            EXPECT_EQ(f.payload, sources);
        }
        if (f.channel == kRecordMaster) {
            ++masterWrites;
            EXPECT_EQ(f.payload, master);
        }
    }
    EXPECT_EQ(sourceWrites, 1);
    EXPECT_EQ(masterWrites, 1);
}

TEST_F(SettingsDialogDeviceTest, AnOpenAdvancedSettingsDialogFollowsTheLinkAndTheDeviceData) {
    ASSERT_NO_FATAL_FAILURE(StartSettled());
    CAdvancedSettingsDialog dlg(view);
    OpenOnView(dlg);
    ASSERT_EQ(g_AdvancedDlg.Get().data(), &dlg);
    // An address typed and not applied goes when the link changes.
    dlg.AddressEdit()->setText(QStringLiteral("127.0.0.9"));
    dlg.EnableApply(true);
    view->OnConnectButton(); // disconnects
    ASSERT_FALSE(view->IsConnected());
    EXPECT_EQ(dlg.AddressEdit()->text().toStdString(), DeviceAddress());
    EXPECT_FALSE(dlg.ApplyButton()->isEnabled());
    // Data loaded from the device reloads the values it shows.
    view->Session().Net().SetReachable(true);
    view->OnConnectButton();
    ASSERT_TRUE(PumpUntil([this] { return view->IsConnected(); }));
    ASSERT_TRUE(Settled());
    dlg.Edit(CAdvancedSettingsDialog::IDC_MASTER_VOLUME)->SetValue(10);
    view->LoadDevicePreset(2);
    ASSERT_TRUE(Settled());
    DeviceLockGuard lock(g_DeviceLock);
    EXPECT_EQ(dlg.Edit(CAdvancedSettingsDialog::IDC_MASTER_VOLUME)->GetValue(),
              GetS16(g_DeviceRecords.Bytes().master));
}

} // namespace
