// The main view's side of the mix page: a speaker type's mix levels on
// request and the page's request for another output (the Mixer button, the
// set-up and the strips' mix switches are the output operations').
#include "app/LumaraView.h"
#include "model/DataDefine.h"

LRESULT CLumaraView::OnApplyMixPreset(WPARAM output, LPARAM type) {
    if (output >= static_cast<WPARAM>(kOutputCount) || type < 0) return 0;
    ApplyMixPresetForType(static_cast<int>(output), static_cast<int>(type));
    return 0;
}

LRESULT CLumaraView::OnSelectOutputRequest(WPARAM output, LPARAM) {
    if (output >= static_cast<WPARAM>(kOutputCount)) return 0;
    SelectOutput(static_cast<int>(output));
    return 0;
}

void CLumaraView::RequestOutput(int output) {
    if (output >= 0 && output < kOutputCount)
        PostMessage(WM_PAGE_SELECT_OUTPUT, static_cast<WPARAM>(output), 0);
}
