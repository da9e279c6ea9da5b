// What the main view does for the output page: the page's level and mute
// requests (WM_USER+206, +202, +207), the selection of an output from the
// page, the equaliser copies and the EQ reset, the focus hand-over to the
// level bar and the edited-output marks.

// Before any Qt header: Qt's "slots" keyword would take the groups' member name.
#include "model/SpeakerGroups.h"

#include "app/LumaraApp.h"
#include "app/LumaraView.h"
#include "model/DataDefine.h"
#include "model/Filter.h"
#include "model/FrameBuilder.h"
#include "model/Globals.h"
#include "model/KTV_Data.h"
#include "model/ModelLock.h"
#include "model/SpeakerTypes.h"

#include <algorithm>

namespace {

constexpr int kGainMax = 600;

bool IsTweeterType(int type) {
    return type == 1 || type == 7 || type == 13 || type == 16 || type == 19;
}

} // namespace

LRESULT CLumaraView::OnOutputLevel(WPARAM output, LPARAM code) {
    const int n = static_cast<int>(output);
    CKTV_OutData* out = m_Data->GetOut(n);
    if (!out) return 0;
    const int level = std::clamp(static_cast<int>(code), 0, kGainMax);
    if (level == out->GetGain()) return 0;
    {
        DeviceLockGuard lock(g_DeviceLock);
        // The change the user made, measured from the level the model holds
        // (a copy kept elsewhere may be stale after a load or a linked edit).
        const int delta = level - out->GetGain();
        out->SetGain(static_cast<int16_t>(level));
        out->SetOutputOn(1);
        for (int k = 0; k < kOutputCount; ++k) {
            CKTV_OutData* other = m_Data->GetOut(k);
            if (k == n || !other || g_LinkKey[k] != g_LinkKey[n]) continue;
            const int v = std::clamp(other->GetGain() + delta, 0, kGainMax);
            other->SetGain(static_cast<int16_t>(v));
            if (CStripBase* s = Strip(k)) s->ShowGain(v);
        }
    }
    if (CStripBase* s = Strip(n)) s->ShowGain(level);
    if (m_OutputPage && n == g_CurrentOutput) m_OutputPage->ShowMuteCheck(false);
    return 0;
}

LRESULT CLumaraView::OnOutputOn(WPARAM output, LPARAM on) {
    if (m_OutputPage) m_OutputPage->SetChannelOn(static_cast<int>(output), static_cast<int>(on));
    return 0;
}

LRESULT CLumaraView::OnOutputPolarity(WPARAM output, LPARAM polarity) {
    if (m_OutputPage)
        m_OutputPage->SetChannelPolarity(static_cast<int>(output), static_cast<int>(polarity));
    return 0;
}

void CLumaraView::SelectOutput(int output) {
    if (output < 0 || output >= kOutputCount || output == g_CurrentOutput) return;
    const int old = g_CurrentOutput;
    for (int k = 0; k < kStripCount; ++k) {
        if (g_LinkKey[k] != g_LinkKey[old]) continue;
        m_Strips[k]->SetCaptionChecked(false);
        m_Strips[k]->SetSelected(false);
    }
    m_OutputPage->SelectOutput(output);
    for (int k = 0; k < kStripCount; ++k) {
        if (g_LinkKey[k] != g_LinkKey[output]) continue;
        m_Strips[k]->SetCaptionChecked(true);
        m_Strips[k]->SetSelected(true);
    }
    if (m_MixPage) m_MixPage->Refresh();
    update();
}

void CLumaraView::FocusMasterVolumeField() {
    if (m_LevelBar) m_LevelBar->setFocus(Qt::TabFocusReason);
}

void CLumaraView::SetChannelModified(int output) {
    if (output >= 0 && output < kOutputCount) g_TheApp.g_ChannelModified[output] = 1;
}

void CLumaraView::PasteOutputEq(int from, int to) {
    CKTV_OutData* a = m_Data->GetOut(from);
    CKTV_OutData* b = m_Data->GetOut(to);
    if (!a || !b || a == b) return;
    DeviceLockGuard lock(g_DeviceLock);
    b->CopyEqFrom(*a);
    // A tweeter's crossover stays in a range the speaker survives.
    if (IsTweeterType(g_OutputSpeakerType[to])) {
        CFilter* hp = b->GetHighPass();
        CFilter* lp = b->GetLowPass();
        if (hp->GetFreq() < 20) hp->SetFreq(20, 0);
        if (lp->GetFreq() < 20) lp->SetFreq(20000, 0);
        if (hp->GetSlope() == kCrossoverSlopeOff) hp->SetSlope(1, 0);
    }
    if (!IsConnected()) return;
    b->WriteAllItems();
    m_Session.Command().AddPacket(BuildBlockPacket(0, kGroupOutput, to, 1, 1));
}

void CLumaraView::ResetOutputEq() {
    const int c = g_CurrentOutput;
    {
        DeviceLockGuard lock(g_DeviceLock);
        for (int k = 0; k < kOutputCount; ++k) {
            CKTV_OutData* out = m_Data->GetOut(k);
            if (!out || g_LinkKey[k] != g_LinkKey[c]) continue;
            for (int i = 0; i < 31; ++i) {
                CFilter* f = out->GetFilter(i);
                if (i == 30 && f->GetKind() != FilterKind::Peaking) f->SetKind(FilterKind::Peaking);
                f->ResetBand(g_ThirdOctaveFreqs[i]);
            }
            out->UpdateCurve();
        }
        if (IsConnected()) {
            // The blocks go out with the master off, so no half-reset EQ is heard.
            MuteOutputsForTransfer(0);
            for (int k = 0; k < kOutputCount; ++k)
                if (g_LinkKey[k] == g_LinkKey[c]) m_Session.SendOutputBlock(k);
            MuteOutputsForTransfer(1);
        }
    }
    if (m_OutputPage) {
        m_OutputPage->CheckTopBand(30);
        m_OutputPage->RefreshBands();
    }
}
