// The output page's messages from its graph and its band sliders: a band or
// crossover dragged on the graph, a gain slider moving or let go. The page
// takes the values into its fields and spreads them to the outputs that
// share the current output's link key.
#include "pages/output/OutputPage.h"

#include "controls/BitmapSlider.h"
#include "controls/ControlNotify.h"
#include "controls/EqGraph.h"
#include "controls/NumEdit.h"
#include "controls/NumSpin.h"
#include "controls/DropListButton.h"
#include "controls/PictureButton.h"
#include "model/Filter.h"
#include "model/Globals.h"
#include "model/KTV_Data.h"
#include "model/LinkGroups.h"
#include "controls/MessageBox.h"
#include "model/LinkKeys.h"
#include "model/LinkedEdits.h"
#include "model/ModelLock.h"

#include <algorithm>
#include <cmath>
#include <string>

void COutputPage::ApplyGraphBand(int code) {
    CKTV_OutData* out = CurrentOut();
    if (!out) return;
    if (code >= 0 && code < kBandCount) {
        CheckTopBand(code);
        CFilter* f = out->GetFilter(code);
        const int freq = f->GetFreq();
        const int bandwidth = f->GetBandwidthCode();
        const int gain = f->GetGainCode();
        const bool bypassed = f->IsBypassedOrFlat() != 0;
        BandColumn& b = m_Bands[code];
        if (!Offer(b.freqSpin, freq) || !Offer(b.qSpin, bandwidth) || !Offer(b.gainSpin, gain))
            return;
        ShowBandSlider(code, gain);
        ShowBandBypass(bypassed, code);
        PropagateBandToLinked(code);
        ShowAllBypass();
        HighlightBandLabel(code, true);
        HighlightEdit(code, kFieldGain, true);
        if (m_Graph->IsReleased()) {
            // The release's one further notice: the edited field takes the focus.
            m_Graph->ClearReleased();
            if (m_HighlightedField) m_HighlightedField->setFocus(Qt::OtherFocusReason);
        }
        if (m_View) m_View->SetChannelModified(g_CurrentOutput);
        return;
    }
    if (code != 31 && code != 32) return;
    const bool high = code == 31;
    HighlightBandLabel(-1, false);
    CFilter* filter = high ? out->GetHighPass() : out->GetLowPass();
    const int freq = filter->GetFreq();
    if (!Offer(Spin(high ? IDC_HPF_SPIN : IDC_LPF_SPIN), freq)) return;
    {
        DeviceLockGuard lock(g_DeviceLock);
        CopyCrossoverEdit(high, CrossoverEdit::Freq, freq, LinkedOutputs());
    }
    (high ? m_HpfFreq : m_LpfFreq) = freq;
    MarkBandsOutsideCrossover();
    m_Graph->Redraw(code);
    CNumEdit* field = Field(high ? IDC_HPF_FREQ : IDC_LPF_FREQ);
    if (m_HighlightedField && m_HighlightedField != field) m_HighlightedField->SetHighlight(false);
    field->SetHighlight(true);
    m_HighlightedField = field;
    if (m_Graph->IsReleased()) {
        m_Graph->ClearReleased();
        field->setFocus(Qt::OtherFocusReason);
    }
}

void COutputPage::PropagateBandToLinked(int band) {
    CKTV_OutData* out = CurrentOut();
    if (!out) return;
    {
        DeviceLockGuard lock(g_DeviceLock);
        CopyDraggedBand(*out, band, LinkedOutputs());
    }
    m_Graph->Redraw(-1);
}

void COutputPage::ApplyBandSlider(int band, bool ended) {
    CKTV_OutData* out = CurrentOut();
    if (!out || band < 0 || band >= kBandCount) return;
    BandColumn& b = m_Bands[band];
    const int code = b.slider->GetValue();
    if (!Offer(b.gainSpin, code)) return;
    CFilter* f = out->GetFilter(band);
    if (code != f->GetGainCode()) {
        {
            DeviceLockGuard lock(g_DeviceLock);
            f->SetGainCode(code);
            CopyBandGainToLinked(band);
        }
        ShowBandBypass(f->IsBypassedOrFlat() != 0, band);
        ShowAllBypass();
    }
    m_Graph->Redraw(band);
    HighlightBandLabel(band, true);
    HighlightEdit(band, kFieldGain, true);
    m_FocusedSlider = b.slider;
    if (ended && m_HighlightedField) m_HighlightedField->setFocus(Qt::OtherFocusReason);
    if (m_View) m_View->SetChannelModified(g_CurrentOutput);
}

LRESULT COutputPage::OnSlider(WPARAM id, LPARAM, bool ended) {
    const int slider = static_cast<int>(id);
    if (slider >= kBandSlider && slider < kBandSlider + kBandCount) {
        ApplyBandSlider(slider - kBandSlider, ended);
        return 0;
    }
    OnLevelSlider(slider, ended);
    return 0;
}

// ---------------------------------------------------------------------------
// EQ mode, EQ reset, the page button and the high-pass frequency list
// ---------------------------------------------------------------------------

namespace {

bool AskYesNo(QWidget* owner, const BiText& question) {
    const bool chinese = g_LanguageFlag.load() != 0;
    return ShowMessageBox(owner, question.Pick(), std::string(), MB_YESNO, chinese ? 1 : 0,
                          chinese ? -2 : -3) == IDYES;
}

} // namespace

void COutputPage::OnEqModeButton() {
    CKTV_OutData* out = CurrentOut();
    if (!out) return;
    CPictureButton* button = PictureButton(IDC_EQ_MODE);
    const int mode = button->GetCheck() ? 0 : 1;
    if (!AskYesNo(this, mode ? g_PeqToGeqText : g_GeqToPeqText)) return;
    button->SetCheck(mode);
    m_EqMode = mode;
    ShowEqMode(mode);
    {
        DeviceLockGuard lock(g_DeviceLock);
        out->SetEqMode(static_cast<uint8_t>(mode));
    }
    MarkBandsOutsideCrossover();
    if (m_View) m_View->ResetOutputEq();
    m_Graph->Redraw(-1);
}

void COutputPage::OnEqResetButton() {
    if (!AskYesNo(this, g_ResetEqText)) return;
    if (m_View) m_View->ResetOutputEq();
    m_Graph->Redraw(-1);
}

void COutputPage::OnPageSwitchButton() {
    if (m_View) m_View->PostViewMessage(WM_PAGE_REQUEST, 0, 0);
}

void COutputPage::OnHpfFrequencyList() {
    CKTV_OutData* out = CurrentOut();
    const int choice = List(IDC_HPF_LIST)->GetCurSel();
    if (!out || choice < 0 || choice >= kBandCount) return;
    int freq = g_ThirdOctaveFreqs[choice];
    CFilter* hp = out->GetHighPass();
    if (freq != hp->GetFreq()) {
        freq = std::min(freq, out->GetLowPass()->GetDisplayFreq());
        {
            DeviceLockGuard lock(g_DeviceLock);
            hp->SetFreq(freq, 1);
            CopyCrossoverEdit(true, CrossoverEdit::Freq, freq, LinkedOutputs());
        }
        m_HpfFreq = freq;
        Spin(IDC_HPF_SPIN)->SetValueChecked(freq);
        MarkBandsOutsideCrossover();
    }
    m_Graph->Redraw(31);
    HighlightBandLabel(-1, false);
    if (m_View) m_View->SetChannelModified(g_CurrentOutput);
}

// ---------------------------------------------------------------------------
// Joint editing: the panel masks as link groups
// ---------------------------------------------------------------------------

void COutputPage::OnJointDebugResult(int output) {
    if (output < 0 || output >= 12) return;
    // The off frames, the copies and the restoring frames go into the queue
    // as one piece: the worker never sends a copy with its outputs on.
    DeviceLockGuard lock(g_DeviceLock);
    // Mask keys: a mask never equals an output's own index or a group number.
    for (int i = 0; i < 12; ++i)
        SetLinkKey(i, MaskLinkKey(m_Panels[i].mask));
    const int mask = m_Panels[output].mask;
    MuteMaskOutputs(output, true);
    CopyToLinkedOutputs(output);
    MuteMaskOutputs(output, false);
    RefreshMaskPanels(output, mask);
}

void COutputPage::MuteMaskOutputs(int output, bool begin) {
    if (!g_DeviceSynced.load() || !m_Data || output < 0 || output >= 12) return;
    DeviceLockGuard lock(g_DeviceLock);
    for (int i = 0; i < 12; ++i) {
        if (!(m_Panels[output].mask & (1 << i))) continue;
        CKTV_OutData* out = m_Data->GetOut(i);
        if (!out) continue;
        if (begin) {
            m_SavedOn[i] = out->GetOutputOn();
            out->SetOutputOn(0);
        } else {
            out->SetOutputOn(static_cast<uint8_t>(m_SavedOn[i]));
        }
        out->SetBasicDirty(0); // sent here, not again by the poller
        if (m_View) m_View->QueuePacket(out->WriteBasicItem(1));
    }
}

void COutputPage::CopyToLinkedOutputs(int output) {
    DeviceLockGuard lock(g_DeviceLock);
    for (int i : LinkedOutputIndexes(output)) {
        if (m_View) m_View->CopyOutputEq(output, i);
        g_LinkActive = 1;
    }
}

void COutputPage::RefreshMaskPanels(int output, int mask) {
    CKTV_OutData* source = m_Data ? m_Data->GetOut(output) : nullptr;
    if (!source) return;
    bool checked = false;
    for (int j = 0; j < 12; ++j) {
        if (mask & (1 << j)) {
            checked = m_Panels[j].captionChecked;
            break;
        }
    }
    for (int j = 0; j < 12; ++j) {
        if (!(mask & (1 << j))) continue;
        COutPanelState& panel = m_Panels[j];
        panel.captionChecked = checked;
        if (j == output) continue;
        panel.gain = source->GetGain();
        panel.delay = source->GetDelay();
        panel.on = source->GetOutputOn();
        panel.polarity = source->GetPolarity();
        for (int s = 0; s < 6; ++s)
            panel.toggles[s] = source->GetMixLevel(s + 1) & 0xFF;
    }
}

bool COutputPage::IsMaskShared(int output) const {
    if (output < 0 || output >= 12) return false;
    return (m_Panels[output].mask & ~(1 << output)) != 0;
}

void COutputPage::ToggleOutputOn(int output) {
    CKTV_OutData* out = m_Data ? m_Data->GetOut(output) : nullptr;
    if (!out) return;
    DeviceLockGuard lock(g_DeviceLock);
    out->SetOutputOn(out->GetOutputOn() ? 0 : 1);
}

void COutputPage::SetChannelGain(int output, int code) {
    CKTV_OutData* out = m_Data ? m_Data->GetOut(output) : nullptr;
    if (!out || code == out->GetGain()) return;
    DeviceLockGuard lock(g_DeviceLock);
    out->SetGain(static_cast<int16_t>(code));
    out->SetOutputOn(1);
    for (int k : LinkedOutputIndexes(output))
        if (CKTV_OutData* o = m_Data->GetOut(k)) m_Panels[k].gain = o->GetGain();
}

// ---------------------------------------------------------------------------
// Paste and the band focus request
// ---------------------------------------------------------------------------

void COutputPage::OnPasteEq(int from, int to) {
    if (m_View) m_View->PasteOutputEq(from, to);
    RefreshChannel();
}

void COutputPage::OnBandFocusRequest(int code) {
    if (code >= 0 && code < kBandCount) {
        HighlightBandLabel(code, true);
        HighlightEdit(code, kFieldGain, true);
        if (m_HighlightedField) m_HighlightedField->setFocus(Qt::OtherFocusReason);
    } else if (code == 31 || code == 32) {
        HighlightBandLabel(-1, false);
        Field(code == 31 ? IDC_HPF_FREQ : IDC_LPF_FREQ)->setFocus(Qt::OtherFocusReason);
    }
}
