// The preset panel against the simulated device: the USB button and a
// preset recall reach the device, and the panel's close leaves the view's
// transfer window usable for the transfers that follow.
#include "tests/app/PresetTestSupport.h"

#include "app/AddSet_Dlg.h"
#include "controls/GradientProgressCtrl.h"

namespace {

class PresetPanelDeviceTest : public PresetTest {
protected:
    // The read requests of device preset n's blocks the device took since the mark.
    int PresetReads(int n) const {
        int reads = 0;
        for (const sim::SeenFrame& f : SinceMark())
            reads += f.command == 0xA2 && f.slot == n && (f.group == 3 || f.group == 4);
        return reads;
    }
};

TEST_F(PresetPanelDeviceTest,
       ARecallReadsTheDevicePresetAndTheCloseWaitsForTheTransferAndKeepsItsWindow) {
    StartConnected();
    ASSERT_TRUE(Settled());
    CAddSet_Dlg panel(view);
    panel.m_View = view;
    panel.show();
    panel.SetPage(CAddSet_Dlg::kPresetPage);

    Mark();
    panel.PresetButton(2)->click();
    EXPECT_EQ(panel.CurrentPreset(), 1);
    EXPECT_EQ(panel.PresetButton(2)->GetCheck(), 1);
    ASSERT_TRUE(g_TransferDlg->IsShown());
    // While the transfer is shown the close button does nothing.
    panel.Button(CAddSet_Dlg::IDC_CLOSE)->click();
    EXPECT_TRUE(panel.isVisible());
    ASSERT_TRUE(Settled());
    EXPECT_EQ(PresetReads(2), 16); // four music inputs and twelve outputs
    EXPECT_TRUE(boxes.empty());

    panel.Button(CAddSet_Dlg::IDC_CLOSE)->click();
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

TEST_F(PresetPanelDeviceTest, TheUsbButtonDisconnectsAndConnectsAgain) {
    StartConnected();
    ASSERT_TRUE(Settled());
    CAddSet_Dlg panel(view);
    panel.m_View = view;
    panel.show();
    CBitButton* usb = panel.Button(CAddSet_Dlg::IDC_USB);
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
    view->Net().SetReachable(true);
    view->popupChoice = CLumaraView::ID_CONNECT_NETWORK;
    usb->click();
    EXPECT_TRUE(view->IsConnected());
    EXPECT_EQ(usb->GetCheck(), 1);
}

} // namespace
