// The output page's messages from its graph and its band sliders: a band or
// crossover dragged on the graph, a gain slider moving or let go. The page
// takes the values into its fields and spreads them to the outputs that
// share the current output's link key.
#include "pages/output/OutputDlg.h"

#include "controls/BitmapSlider.h"
#include "controls/ControlNotify.h"
#include "controls/EqCurveStatic.h"
#include "controls/NumEdit.h"
#include "controls/NumSpin.h"
#include "model/Filter.h"
#include "model/Globals.h"
#include "model/KTV_Data.h"
#include "model/ModelLock.h"

#include <cmath>

namespace {

// The gain a band stores, as a code, whatever it reports while bypassed.
int StoredGainCode(const CFilter& f) {
    return static_cast<int>(std::lround((f.GetGain() + 20.0) * 10.0));
}

} // namespace

void COutputDlg::ApplyGraphBand(int code) {
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
        for (CKTV_OutData* linked : LinkedOutputs())
            (high ? linked->GetHighPass() : linked->GetLowPass())->SetFreq(freq, 1);
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

void COutputDlg::PropagateBandToLinked(int band) {
    CKTV_OutData* out = CurrentOut();
    if (!out) return;
    const CFilter* source = out->GetFilter(band);
    // A bypassed band reports 0 dB for drawing while it keeps its gain: only
    // a band that is really at its reported gain hands the gain on.
    const bool gainIsReal = !source->IsBypassedOrFlat() || StoredGainCode(*source) == kGainCodeFlat;
    {
        DeviceLockGuard lock(g_DeviceLock);
        for (CKTV_OutData* linked : LinkedOutputs()) {
            CFilter* f = linked->GetFilter(band);
            f->SetFreq(source->GetFreq(), 1);
            f->SetBandwidthCode(source->GetBandwidthCode());
            if (gainIsReal) f->SetGainCode(source->GetGainCode());
            if (band == kBandCount - 1 && f->GetKind() == FilterKind::Special)
                f->SetKind(FilterKind::Peaking);
        }
    }
    m_Graph->Redraw(-1);
}

void COutputDlg::ApplyBandSlider(int band, bool ended) {
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

LRESULT COutputDlg::OnSlider(WPARAM id, LPARAM, bool ended) {
    const int slider = static_cast<int>(id);
    if (slider >= kBandSlider && slider < kBandSlider + kBandCount) {
        ApplyBandSlider(slider - kBandSlider, ended);
        return 0;
    }
    OnLevelSlider(slider, ended);
    return 0;
}
