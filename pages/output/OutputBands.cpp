// Band editing on the output page: one worker per field kind (frequency, Q,
// gain) for the 31 columns, the bypass lamps, bypass-all, and the copies of
// each edit to the outputs that share the current output's link key.
#include "pages/output/OutputPage.h"

#include "controls/BitmapSlider.h"
#include "controls/EqGraph.h"
#include "controls/NumEdit.h"
#include "controls/NumSpin.h"
#include "controls/PictureButton.h"
#include "model/Filter.h"
#include "model/Globals.h"
#include "model/KTV_Data.h"
#include "controls/MessageBox.h"
#include "model/LinkedEdits.h"
#include "model/ModelLock.h"

void COutputPage::OnBandField(int band, int field) {
    CKTV_OutData* out = CurrentOut();
    if (!out || band < 0 || band >= kBandCount) return;
    BandColumn& b = m_Bands[band];
    CFilter* f = out->GetFilter(band);
    const bool phaseBand = band == kBandCount - 1 && f->GetKind() == FilterKind::Special;
    switch (field) {
    case kFieldFreq: {
        const int freq = b.freqSpin->GetBuddyValue();
        if (freq != (phaseBand ? 20000 : f->GetFreq())) {
            CheckTopBand(band);
            DeviceLockGuard lock(g_DeviceLock);
            f->SetFreq(freq, 1); // the device follows in steps of at most an octave
            CopyBandFreqToLinked(band);
        }
        break;
    }
    case kFieldQ: {
        const int code = b.qSpin->GetBuddyValue();
        if (code != f->GetBandwidthCode()) {
            if (phaseBand) CheckTopBand(band);
            DeviceLockGuard lock(g_DeviceLock);
            if (phaseBand) f->SetFreq(20000, 1);
            f->SetBandwidthCode(code);
            CopyBandQToLinked(band);
        }
        break;
    }
    default: {
        const int code = b.gainSpin->GetBuddyValue();
        ShowBandSlider(band, code);
        if (code != f->GetGainCode()) {
            {
                DeviceLockGuard lock(g_DeviceLock);
                f->SetGainCode(code); // 0 dB counts as bypassed, any other gain clears it
                CopyBandGainToLinked(band);
            }
            ShowBandBypass(f->IsBypassedOrFlat() != 0, band);
            ShowAllBypass();
        }
        break;
    }
    }
    m_Graph->Redraw(band);
    HighlightBandLabel(band, true);
    HighlightEdit(band, field, true);
    if (m_View) m_View->SetChannelModified(g_CurrentOutput);
}

void COutputPage::OnBandBypass(int band) {
    CKTV_OutData* out = CurrentOut();
    if (!out || band < 0 || band >= kBandCount) return;
    BandColumn& b = m_Bands[band];
    // The lamp does not toggle itself: the click asks for the other state.
    const int wanted = b.bypass->GetCheck() ? 0 : 1;
    CFilter* f = out->GetFilter(band);
    {
        DeviceLockGuard lock(g_DeviceLock);
        f->SetBypass(wanted);
    }
    m_BandBypass = f->IsBypassedOrFlat();
    if (m_BandBypass) {
        ShowBandBypass(true, band);
    } else {
        // The stored gain comes back.
        const int code = f->GetGainCode();
        if (!Offer(b.gainSpin, code)) return;
        ShowBandSlider(band, code);
        b.bypass->SetCheck(0);
    }
    {
        DeviceLockGuard lock(g_DeviceLock);
        CopyBandBypassToLinked(band);
    }
    ShowAllBypass();
    m_Graph->Redraw(band);
    HighlightBandLabel(band, true);
    HighlightEdit(band, kFieldGain, true);
    b.gain->setFocus(Qt::OtherFocusReason);
    if (m_View) m_View->SetChannelModified(g_CurrentOutput);
}

void COutputPage::CopyBandToLinked(int band, int field) {
    CKTV_OutData* out = CurrentOut();
    if (!out) return;
    static constexpr BandEdit kEdits[] = {BandEdit::Freq, BandEdit::Q, BandEdit::Gain,
                                          BandEdit::Bypass};
    DeviceLockGuard lock(g_DeviceLock);
    CopyBandEdit(*out, band, kEdits[field], m_BandBypass, LinkedOutputs());
}

void COutputPage::CopyBandFreqToLinked(int band) {
    CopyBandToLinked(band, kFieldFreq);
}
void COutputPage::CopyBandQToLinked(int band) {
    CopyBandToLinked(band, kFieldQ);
}
void COutputPage::CopyBandGainToLinked(int band) {
    CopyBandToLinked(band, kFieldGain);
}
void COutputPage::CopyBandBypassToLinked(int band) {
    CopyBandToLinked(band, kFieldGain + 1);
}

// ---------------------------------------------------------------------------
// Bypass all
// ---------------------------------------------------------------------------

void COutputPage::ToggleAllBypass() {
    HighlightBandLabel(0, false);
    HighlightEdit(0, 0, false);
    m_Graph->ClearHovered();
    m_Graph->Redraw(-1);

    CKTV_OutData* out = CurrentOut();
    if (!out) return;
    CPictureButton* button = PictureButton(IDC_ALL_BYPASS);
    const int wanted = button->GetCheck() ? 0 : 1;
    m_AllBypass = wanted;
    AllBypassStep step;
    {
        DeviceLockGuard lock(g_DeviceLock);
        step = SwitchAllBandsBypass(*out, wanted);
    }
    if (step.allFlat) {
        button->SetCheck(1);
        return;
    }
    const int state = step.state;
    m_AllBypass = state;
    const bool chinese = g_LanguageFlag.load() != 0;
    const BiText& question = state ? g_BypassEqText : g_RestoreEqText;
    if (ShowMessageBox(this, question.Pick(), std::string(), MB_YESNO, chinese ? 1 : 0,
                       chinese ? -2 : -3) != IDYES) {
        {
            DeviceLockGuard lock(g_DeviceLock);
            out->SetFiltersOption(state ? 0 : 1);
        }
        button->SetCheck(state ? 0 : 1);
        return;
    }
    for (int i = 0; i < kBandCount; ++i) {
        CFilter* f = out->GetFilter(i);
        if (!state) {
            const int code = f->GetGainCode();
            if (!Offer(m_Bands[i].gainSpin, code)) return;
            ShowBandSlider(i, code);
        }
        ShowBandBypass(f->IsBypassedOrFlat() != 0, i);
    }
    if (m_View) {
        // Built and queued in one piece: the worker never sends a block
        // between the off frame and the blocks of the link group.
        DeviceLockGuard lock(g_DeviceLock);
        m_View->SendOutputOffFrame(g_CurrentOutput);
        m_View->SendOutputBlock(g_CurrentOutput);
        ApplyAllBypassToLinked();
    }
    button->SetCheck(state);
    m_Graph->Redraw(-1);
    if (m_View) m_View->SetChannelModified(g_CurrentOutput);
}

void COutputPage::ApplyAllBypassToLinked() {
    if (!m_Data) return;
    DeviceLockGuard lock(g_DeviceLock);
    for (int k : ApplyAllBypassToGroup(*m_Data, g_CurrentOutput, m_AllBypass))
        if (m_View) m_View->SendOutputBlockLocked(k);
}
