// The main view's side of the advanced settings dialog: the pending sources
// record, the EQ-display setting, and keeping an open dialog current.
#include "features/system/AdvancedSettingsDialog.h"
#include "features/connection/TransferWindow.h"
#include "app/LumaraView.h"
#include "platform/UiGlobals.h"

void CLumaraView::MarkSourceChanged(int flag) {
    g_SendCmd2Pending = flag && IsConnected() ? 1 : 0;
    if (flag && !IsConnected()) m_Session.NoteUnsentRecord(kRecordSources);
}

void CLumaraView::SaveLineSetting() {
    m_ViewSettings.SaveLineSetting();
    if (m_OutputPage) m_OutputPage->update();
}

void CLumaraView::RefreshAdvancedDialog(bool reload) {
    // Nothing opens the dialog by default: without one there is nothing to do.
    auto* dialog = dynamic_cast<CAdvancedSettingsDialog*>(g_AdvancedDlg.Get().data());
    if (!dialog) return;
    if (reload)
        dialog->RefreshFromGlobals();
    else
        dialog->RefreshNetworkAddress();
}
