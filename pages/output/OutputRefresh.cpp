// The output page from the model: the refresh of every control of the
// current output, the checks of stored values against the fields' ranges,
// the look of the bands (bypass lamps, thumbs outside the crossover,
// highlighted label and field), the selection of an output and the
// speaker-position buttons.
#include "pages/output/OutputPage.h"

#include "pages/output/PositionButtons.h"

#include "controls/BitButton.h"
#include "controls/BitmapSlider.h"
#include "controls/DropListButton.h"
#include "controls/ControlNotify.h"
#include "controls/EqGraph.h"
#include "controls/FontStatic.h"
#include "controls/NumEdit.h"
#include "controls/NumSpin.h"
#include "controls/PngButton.h"
#include "controls/PictureButton.h"
#include "controls/core/SliderCore.h"
#include "model/Filter.h"
#include "model/Globals.h"
#include "model/KTV_Data.h"
#include "model/LinkedEdits.h"
#include "model/ModelLock.h"
#include "model/SpeakerTypes.h"

#include <QPointer>

#include <algorithm>

namespace {

const QColor kLabelColour(147, 156, 171);
const QColor kSelectedLabelColour(255, 0, 0);

// What a band tells the slider that shows it: the gain code while the graph
// drags it, a new frequency (which a gain slider only takes as a repaint).
// The filters keep a plain pointer to their owner, so the owners live as
// long as the program and follow the slider only while it exists.
class SliderOwner : public IFilterOwner {
public:
    void Attach(CBitmapSlider* slider) { slider_ = slider; }
    void SetFrequency(int hz) override {
        if (slider_) slider_->SetFrequency(hz);
    }
    void SetValue(int code) override {
        if (slider_) slider_->SetValue(std::clamp(code, 80, 320));
    }

private:
    QPointer<CBitmapSlider> slider_;
};

SliderOwner& BandSliderOwner(int band) {
    static SliderOwner owners[COutputPage::kBandCount];
    return owners[band];
}

} // namespace

// ---------------------------------------------------------------------------
// Model access
// ---------------------------------------------------------------------------

CKTV_OutData* COutputPage::CurrentOut() const {
    return m_Data ? m_Data->GetOut(g_CurrentOutput) : nullptr;
}

std::vector<CKTV_OutData*> COutputPage::LinkedOutputs() const {
    if (!m_Data) return {};
    DeviceLockGuard lock(g_DeviceLock); // the keys are the frame builders' too
    return LinkedOutputsOf(*m_Data, g_CurrentOutput);
}

int COutputPage::PageSpeakerType(int output) {
    if (output < 0 || output >= 12) return 0;
    const int type = g_OutputSpeakerType[output];
    // A type the program does not know (from the device or a file) is none.
    return type <= 24 ? type : 0;
}

void COutputPage::RequestResync() {
    if (m_View) m_View->RequestDataResync();
}

bool COutputPage::Offer(CNumSpin* spin, int value) {
    if (spin->SetValueChecked(value)) return true;
    RequestResync();
    return false;
}

// ---------------------------------------------------------------------------
// Stored values against the fields' ranges
//
// A value outside its field's range (damaged data in the device or a file)
// is shown clamped. The user is asked once per refresh whether to read the
// device's data again, and only about values the last refresh of that output
// did not meet: when the device sends the same bytes back, the page shows
// them clamped without asking again, so the question never loops.
// ---------------------------------------------------------------------------

void COutputPage::OfferStored(RefreshCheck& check, CNumSpin* spin, int value) {
    int lo = 0, hi = 0;
    spin->GetRange32(lo, hi);
    if (value >= lo && value <= hi) {
        spin->SetValueChecked(value);
        return;
    }
    const std::pair<int, int> key(ControlId(spin), value);
    check.found.insert(key);
    const auto before = m_AskedOutOfRange.find(check.output);
    const bool known = before != m_AskedOutOfRange.end() && before->second.count(key) != 0;
    if (!check.asked && !known) {
        check.asked = true;
        if (!spin->SetValueChecked(value)) check.refused = true; // asks, then shows it clamped
        return;
    }
    spin->SetValueChecked(std::clamp(value, lo, hi));
}

void COutputPage::FinishRefresh(RefreshCheck& check) {
    m_AskedOutOfRange[check.output] = check.found;
    if (check.refused) RequestResync();
}

// ---------------------------------------------------------------------------
// Refresh
// ---------------------------------------------------------------------------

int COutputPage::RefreshAll() {
    if (!RefreshChannelChecked()) return 0;
    ShowPositionButtons();
    return 1;
}

void COutputPage::RefreshBandColumns(RefreshCheck& check, CKTV_OutData& out) {
    {
        DeviceLockGuard lock(g_DeviceLock);
        m_AllBypass = out.UpdateAllEqBypassed();
    }
    PictureButton(IDC_ALL_BYPASS)->SetCheck(m_AllBypass);
    m_EqMode = out.GetEqMode();
    PictureButton(IDC_EQ_MODE)->SetCheck(m_EqMode);
    ShowEqMode(m_EqMode);
    for (int i = 0; i < kBandCount; ++i) {
        BandColumn& b = m_Bands[i];
        CFilter* f = out.GetFilter(i);
        if (!f) continue;
        if (i == kBandCount - 1 && f->GetKind() == FilterKind::Special)
            b.freqSpin->SetValueChecked(20000); // a phase band shows the top frequency
        else
            OfferStored(check, b.freqSpin, f->GetFreq());
        OfferStored(check, b.qSpin, f->GetBandwidthCode());
        const int gain = f->GetGainCode();
        OfferStored(check, b.gainSpin, gain);
        ShowBandSlider(i, gain);
        BandSliderOwner(i).Attach(b.slider);
        {
            DeviceLockGuard lock(g_DeviceLock);
            f->SetOwner(&BandSliderOwner(i));
        }
        ShowBandBypass(f->IsBypassedOrFlat() != 0, i);
    }
}

bool COutputPage::RefreshChannelChecked() {
    CKTV_OutData* out = CurrentOut();
    if (!out) return false;
    RefreshCheck check;
    check.output = g_CurrentOutput;

    RefreshBandColumns(check, *out);
    FillHpfSlopeList();
    ShowCrossoverSide(&check, *out->GetHighPass(), true);
    ShowCrossoverSide(&check, *out->GetLowPass(), false);
    MarkBandsOutsideCrossover();
    HighlightBandLabel(0, false);
    HighlightEdit(0, 0, false);

    m_Level = out->GetGain();
    OfferStored(check, Spin(IDC_LEVEL_SPIN), m_Level);
    Slider(IDC_LEVEL_SLIDER)->SetPos(std::clamp(m_Level, 0, 600));

    const int unit = std::clamp<int>(g_DelayUnit, 0, 2);
    SelectListEntry(List(IDC_DELAY_UNIT), unit);
    m_Delay = out->GetDelay();
    Field(IDC_DELAY)->SetValue(m_Delay);
    OfferStored(check, Spin(IDC_DELAY_SPIN), m_Delay);
    Field(IDC_DELAY)->SetType(unit);

    m_Polarity = out->GetPolarity();
    BitButton(IDC_POLARITY)->SetCheck(m_Polarity);
    Slider(IDC_POLARITY_PICTURE)->SetBitmapThumb(0);
    Slider(IDC_POLARITY_PICTURE)->SetBitmapThumb(m_Polarity ? 1179 : 1178);
    BitButton(IDC_MUTE)->SetCheck(out->GetOutputOn() ? 0 : 1);

    CFilter* top = out->GetFilter(kBandCount - 1);
    m_PhaseValue = top && top->GetKind() == FilterKind::Special ? top->GetDisplayFreq() : kPhaseOff;
    Field(IDC_PHASE)->SetValue(m_PhaseValue);
    OfferStored(check, Spin(IDC_PHASE_SPIN), m_PhaseValue);

    // The phase frequency shares its word with the limiter's release time,
    // which the system page sets in milliseconds: shown, never checked.
    int lo = 0, hi = 0;
    Spin(IDC_PHASE_FREQ_SPIN)->GetRange32(lo, hi);
    Spin(IDC_PHASE_FREQ_SPIN)->SetValueChecked(std::clamp<int>(out->GetReleaseTime(), lo, hi));

    m_Graph->ShowOutput(g_CurrentOutput);
    ShowActiveSource();
    RefreshSpeakerGroupState();
    if (auto* caption = dynamic_cast<CFontStatic*>(Control(IDC_CAPTION)))
        caption->SetText(QStringLiteral("CH%1").arg(g_CurrentOutput + 1));
    FinishRefresh(check);
    return !check.refused;
}

void COutputPage::RefreshBands() {
    CKTV_OutData* out = CurrentOut();
    if (!out) return;
    RefreshCheck check;
    check.output = g_CurrentOutput;
    RefreshBandColumns(check, *out);
    HighlightBandLabel(0, false);
    HighlightEdit(0, 0, false);
    // The bands alone: the other fields' values of the last full refresh stay known.
    auto& known = m_AskedOutOfRange[check.output];
    check.found.insert(known.begin(), known.end());
    FinishRefresh(check);
}

// ---------------------------------------------------------------------------
// The look of the bands
// ---------------------------------------------------------------------------

void COutputPage::ShowBandBypass(bool bypassed, int band) {
    if (band < 0 || band >= kBandCount) return;
    BandColumn& b = m_Bands[band];
    if (!bypassed) {
        b.bypass->SetCheck(0);
        return;
    }
    b.bypass->SetCheck(1);
    b.gainSpin->SetValueChecked(200);
    ShowBandSlider(band, kGainCodeFlat);
}

void COutputPage::SelectListEntry(CDropListButton* list, int index) {
    // A list repaints at once when told its choice: only a new one is told.
    if (list->GetCurSel() != index || list->text().isEmpty()) list->SetCurSel(index);
}

void COutputPage::ShowBandSlider(int band, int code) {
    // Through the position: a refresh moves 31 thumbs and repaints them once.
    m_Bands[band].slider->SetPos(
        slider::PositionFromValue(slider::kEqGain, kBandSliderRange, code));
}

void COutputPage::ShowEqMode(int mode) {
    for (BandColumn& b : m_Bands) {
        b.freq->EnableField(mode == 0);
        b.q->EnableField(mode == 0);
    }
}

void COutputPage::ShowAllBypass() {
    CKTV_OutData* out = CurrentOut();
    if (!out) return;
    {
        DeviceLockGuard lock(g_DeviceLock);
        m_AllBypass = out->UpdateAllEqBypassed();
    }
    PictureButton(IDC_ALL_BYPASS)->SetCheck(m_AllBypass);
}

void COutputPage::MarkBandsOutsideCrossover() {
    CKTV_OutData* out = CurrentOut();
    if (!out) return;
    const bool graphic = out->GetEqMode() != 0;
    const int hpf = out->GetHighPass()->GetFreq();
    const int lpf = out->GetLowPass()->GetFreq();
    for (int i = 0; i < kBandCount; ++i) {
        const bool outside =
            graphic && (g_ThirdOctaveFreqs[i] < hpf || g_ThirdOctaveFreqs[i] > lpf);
        if (outside == m_OutsideThumb[i]) continue; // the thumb is loaded already
        m_OutsideThumb[i] = outside;
        if (outside)
            m_Bands[i].slider->SetBitmapThumb(612, 612, true);
        else
            m_Bands[i].slider->SetBitmapThumb(611, 613, true);
    }
}

void COutputPage::HighlightBandLabel(int band, bool on) {
    if (m_HighlightedLabel) m_HighlightedLabel->SetFontStyle(QString(), 14, kLabelColour, 1);
    if (!on || band < 0 || band >= kBandCount) {
        m_HighlightedLabel = nullptr;
        return;
    }
    m_HighlightedLabel = m_Bands[band].label;
    m_HighlightedLabel->SetFontStyle(QString(), 14, kSelectedLabelColour, 1);
}

void COutputPage::HighlightEdit(int band, int field, bool on) {
    if (m_HighlightedField) m_HighlightedField->SetHighlight(false);
    if (!on || band < 0 || band >= kBandCount) {
        m_HighlightedField = nullptr;
        if (m_FocusedSlider) m_FocusedSlider->SetFocusState(false);
        m_FocusedSlider = nullptr;
        return;
    }
    const BandColumn& b = m_Bands[band];
    m_HighlightedField = field == kFieldFreq ? b.freq : field == kFieldQ ? b.q : b.gain;
    m_HighlightedField->SetHighlight(true);
}

void COutputPage::SelectBand(int band) {
    HighlightBandLabel(band, true);
    m_Graph->Redraw(band);
}

void COutputPage::ClearBandSelection() {
    HighlightBandLabel(0, false);
    HighlightEdit(0, 0, false);
    m_Graph->ClearHovered();
    m_Graph->Redraw(-1);
}

void COutputPage::MarkAllBasicChanged() {
    if (!m_Data) return;
    DeviceLockGuard lock(g_DeviceLock);
    for (int k = 0; k < 12; ++k)
        if (CKTV_OutData* o = m_Data->GetOut(k)) o->SetBasicDirty(1);
}

void COutputPage::CheckTopBand(int band) {
    if (band != kBandCount - 1) return;
    CKTV_OutData* out = CurrentOut();
    if (!out) return;
    CFilter* top = out->GetFilter(band);
    {
        DeviceLockGuard lock(g_DeviceLock);
        if (top->GetKind() != FilterKind::Peaking) top->SetKind(FilterKind::Peaking);
    }
    m_PhaseValue = kPhaseOff;
    Field(IDC_PHASE)->SetValue(kPhaseOff);
    Spin(IDC_PHASE_SPIN)->SetValueChecked(kPhaseOff);
}

// ---------------------------------------------------------------------------
// Selecting an output
// ---------------------------------------------------------------------------

void COutputPage::SelectOutput(int output) {
    if (output < 0 || output >= 12 || output == g_CurrentOutput) return;
    const int old = g_CurrentOutput;
    for (int k = 0; k < 12; ++k) {
        if (!(m_Panels[old].mask & (1 << k))) continue;
        m_Panels[k].captionChecked = false;
        m_Panels[k].selected = false;
    }
    CheckPositionButton(PageSpeakerType(old), false);
    g_CurrentOutput = output;
    for (int k = 0; k < 12; ++k) {
        if (!(m_Panels[output].mask & (1 << k))) continue;
        m_Panels[k].captionChecked = true;
        m_Panels[k].selected = true;
    }
    CheckPositionButton(PageSpeakerType(output), true);
    // Once, whichever output and whatever its mask holds.
    RefreshChannel();
}

void COutputPage::RedrawGraph() {
    if (m_Graph) m_Graph->update();
}

void COutputPage::MarkGroupMember(int output, bool on) {
    m_Graph->Redraw(-1);
    CheckPositionButton(PageSpeakerType(output), on);
}

// ---------------------------------------------------------------------------
// Speaker-position buttons
// ---------------------------------------------------------------------------

// The position buttons are the layer's; the page's names reach them.
void COutputPage::ShowPositionButtons() {
    m_Positions->ShowPositionButtons();
}

void COutputPage::ShowPositionButton(int type, bool checked, int output) {
    m_Positions->ShowPositionButton(type, checked, output);
}

void COutputPage::HidePositionButton(int type) {
    m_Positions->HidePositionButton(type);
}

void COutputPage::CheckPositionButton(int type, bool checked) {
    m_Positions->CheckPositionButton(type, checked);
}

int COutputPage::LastPositionOutput() const {
    return m_Positions->LastChosenOutput();
}
