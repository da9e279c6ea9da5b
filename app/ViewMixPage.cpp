// The main view's side of the mix page: the Mixer button that puts the mix
// page or the output page in front, the speaker types' mix levels at set-up
// and on request, the strips' mix switches that follow the page's levels,
// and the page's request for another output.
#include "app/LumaraView.h"
#include "app/ShellMessages.h"
#include "model/Globals.h"
#include "model/KTV_Data.h"
#include "model/KTV_OutData.h"
#include "model/ModelLock.h"
#include "model/SpeakerTypes.h"

namespace {

// The outputs whose speaker types and mix levels the set-up applies (the two
// last strips do not fit in the window).
constexpr int kSetUpOutputs = 10;

} // namespace

void CLumaraView::OnPageToggle() {
    m_MixToggle->SetCheck(m_MixToggle->GetCheck() ? 0 : 1);
    ShowMixPage(0, m_MixToggle->GetCheck());
}

LRESULT CLumaraView::ShowMixPage(WPARAM, LPARAM mix) {
    if (m_LockButton->GetCheck()) {
        m_OutputPage->hide();
        m_MixPage->hide();
        m_LockPanel->show();
    } else {
        m_LockPanel->hide();
        m_OutputPage->setVisible(mix == 0);
        m_MixPage->setVisible(mix != 0);
    }
    update();
    return 0;
}

LRESULT CLumaraView::OnApplyMixPreset(WPARAM output, LPARAM type) {
    if (output >= static_cast<WPARAM>(kOutputCount) || type < 0) return 0;
    m_MixPage->ApplySpeakerTypePreset(static_cast<int>(output), static_cast<unsigned>(type));
    return 0;
}

LRESULT CLumaraView::OnSelectOutputRequest(WPARAM output, LPARAM) {
    if (output >= static_cast<WPARAM>(kOutputCount)) return 0;
    SendMessage(WM_SELECT_OUTPUT, output, 0);
    return 0;
}

void CLumaraView::ApplySpeakerTypesAndPresets() {
    for (int i = 0; i < kSetUpOutputs; ++i) {
        CKTV_OutData* out = m_Data->GetOut(i);
        if (!out) continue;
        const int type = WithDeviceLock([&] {
            out->SetSpeakerType(g_OutputSpeakerType[i]);
            return static_cast<int>(g_OutputSpeakerType[i]);
        });
        m_MixPage->ApplySpeakerTypePreset(i, static_cast<unsigned>(type));
    }
}

void CLumaraView::OnMixSourceSwitch(int output, int source, int level) {
    CStripBase* strip = Strip(output);
    if (!strip || source < 1 || source > CStripBase::kMixToggles) return;
    strip->SetMixToggle(source, level != 0);
}

void CLumaraView::RequestOutput(int output) {
    if (output >= 0 && output < kOutputCount)
        PostMessage(WM_SELECT_OUTPUT_REQUEST, static_cast<WPARAM>(output), 0);
}
