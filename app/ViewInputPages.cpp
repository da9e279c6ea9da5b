// The main view's side of the input page and the level and delay page: the
// flush of its waiting messages after a source change, and its source-setup
// controls following a change made on those pages.
#include "app/LumaraView.h"

#include "model/DataDefine.h"
#include "model/ModelLock.h"

void CLumaraView::FlushViewMessages() {
    // A status report queued before the change carries the old source.
    platform::DeliverPostedMessages(this, WM_DEVICE_STATUS);
}

void CLumaraView::ShowSourceSetup() {
    RefillMixSourceList();
    const int bridge = g_DeviceRecords.BridgeMode();
    m_BridgeButton->SetCheck(bridge);
}
