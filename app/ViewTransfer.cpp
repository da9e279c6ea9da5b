// The main view's side of the device preset transfers: the transfer window
// the session opens and moves, and the read of the six stored presets for a
// whole-device file (its name is chosen and the file written in
// ViewPresetFiles.cpp).
#include "features/connection/TransferWindow.h"
#include "app/LumaraView.h"
#include "controls/GradientProgressCtrl.h"
#include "controls/MessageBox.h"
#include "model/Globals.h"

// ---------------------------------------------------------------------------
// The transfer window
// ---------------------------------------------------------------------------

void CLumaraView::ShowTransfer(int modal) {
    if (g_TransferDlg) g_TransferDlg->ShowTransfer(modal);
}

void CLumaraView::HideTransfer() {
    if (g_TransferDlg) g_TransferDlg->HideTransfer();
}

void CLumaraView::ShowPresetTransfer() {
    // The open device preset dialog, when the transfer comes from it, else this view, waits.
    ShowTransfer(g_PresetDlg.Get() ? 1 : 0);
}

void CLumaraView::ShowFactoryTransfer() {
    if (!g_TransferDlg) return;
    g_TransferDlg->SetFactoryMode();
    g_TransferDlg->ShowTransfer(1);
}

void CLumaraView::ResetTransferProgress(int count, bool viewBar) {
    if (viewBar) {
        m_Progress->SetRange(0, count);
        m_Progress->SetPos(0);
    }
    if (!g_TransferDlg) return;
    g_TransferDlg->Progress()->SetRange(0, count);
    g_TransferDlg->Progress()->SetPos(0);
}

// ---------------------------------------------------------------------------
// Transfers that pack the model's texts: the refusals are said after the
// session has released the lock.
// ---------------------------------------------------------------------------

void CLumaraView::SendPresetToDevice(int preset, bool fromModel) {
    CTextFieldMessages refused;
    m_Session.SendPresetToDevice(preset, fromModel, refused.Errors());
}

void CLumaraView::SendAllPresetsToDevice() {
    CTextFieldMessages refused;
    m_Session.SendAllPresetsToDevice(refused.Errors());
}

void CLumaraView::SendInputChannelBlock(int input) {
    CTextFieldMessages refused;
    m_Session.SendInputChannelBlock(input, refused.Errors());
}

void CLumaraView::SendOutputBlock(int output) {
    CTextFieldMessages refused;
    m_Session.SendOutputBlock(output, refused.Errors());
}

void CLumaraView::CopyOutputEq(int from, int to) {
    CTextFieldMessages refused;
    m_Session.CopyOutputEq(from, to, refused.Errors());
}

// ---------------------------------------------------------------------------
// The whole-device file
// ---------------------------------------------------------------------------

bool CLumaraView::SaveAllDevicePresetsToFile() {
    if (!IsConnected()) {
        m_Session.ShowConnectionFailure();
        return false;
    }
    if (!ChooseAllPresetsFile()) return false;
    m_Session.ReadAllPresetsForFile();
    return true;
}
