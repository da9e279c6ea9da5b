// The output page's level, mute, polarity, phase and delay controls, the
// delay unit and the delay step that spreads over a linked speaker-type
// group. The level and the mute go through the main view, which changes the
// outputs of the link group.

// Before any Qt header: Qt's "slots" keyword would take the groups' member name.
#include "model/SpeakerGroups.h"

#include "pages/output/OutputPage.h"

#include "controls/BitButton.h"
#include "controls/BitmapSlider.h"
#include "controls/DropListButton.h"
#include "controls/ControlTimer.h"
#include "controls/EqGraph.h"
#include "controls/NumEdit.h"
#include "controls/NumSpin.h"
#include "model/DataDefine.h"
#include "model/Filter.h"
#include "model/Globals.h"
#include "model/KTV_Data.h"
#include "model/ModelLock.h"
#include "model/ValueScale.h"

#include <algorithm>

// ---------------------------------------------------------------------------
// The commands of the controls of this file and the page's other buttons
// ---------------------------------------------------------------------------

void COutputPage::OnPageCommand(int id, int code) {
    if (code == 1) {
        if (id == IDC_HPF_LIST) OnHpfFrequencyList();
        if (id == IDC_DELAY_UNIT) OnDelayUnitList(List(IDC_DELAY_UNIT)->GetCurSel());
        return;
    }
    switch (id) {
    case IDC_EQ_MODE:
        return OnEqModeButton();
    case IDC_EQ_RESET:
        return OnEqResetButton();
    case IDC_PAGE_BUTTON:
        return OnPageSwitchButton();
    case IDC_LEVEL:
    case IDC_LEVEL_SPIN:
        return OnGainField();
    case IDC_LEVEL2:
    case IDC_LEVEL2_SPIN:
        return OnLevelField();
    case IDC_MUTE:
        return OnMuteButton();
    case IDC_POLARITY:
        return OnPolarityButton();
    case IDC_PHASE:
        return OnPhaseField();
    case IDC_PHASE_SPIN:
        return OnPhaseSpin();
    case IDC_PHASE_FREQ:
        return OnPhaseFreqField();
    case IDC_PHASE_FREQ_SPIN:
        return OnPhaseFreqSpin();
    case IDC_DELAY:
        return OnDelayField();
    case IDC_DELAY_SPIN:
        return OnDelaySpin();
    case IDC_DELAY_MS:
    case IDC_DELAY_MS_SPIN:
        return OnDelayTriplet(0);
    case IDC_DELAY_CM:
    case IDC_DELAY_CM_SPIN:
        return OnDelayTriplet(1);
    case IDC_DELAY_INCH:
    case IDC_DELAY_INCH_SPIN:
        return OnDelayTriplet(2);
    default:
        break;
    }
}

void COutputPage::OnPageListChoice(int listId, int index) {
    if (listId == kListHpfFreq) OnHpfFrequencyList();
    if (listId == kListDelayUnit) OnDelayUnitList(index);
}

// ---------------------------------------------------------------------------
// Level and mute
// ---------------------------------------------------------------------------

void COutputPage::OnGainField() {
    const int v = Spin(IDC_LEVEL_SPIN)->GetBuddyValue();
    Slider(IDC_LEVEL_SLIDER)->SetPos(v);
    Spin(IDC_LEVEL_SPIN)->SetValueChecked(v);
    m_Level = v;
    // The view stores it, switches the output on and moves the link group alike.
    if (m_View) {
        m_View->PostViewMessage(WM_PAGE_OUTPUT_LEVEL, static_cast<WPARAM>(g_CurrentOutput), v);
        m_View->SetChannelModified(g_CurrentOutput);
    }
}

void COutputPage::OnLevelSlider(int id, bool ended) {
    CKTV_OutData* out = CurrentOut();
    if (!out) return;
    if (id == IDC_LEVEL_SLIDER) {
        const int v = Slider(IDC_LEVEL_SLIDER)->GetPos();
        if (!Offer(Spin(IDC_LEVEL_SPIN), v)) return;
        Field(IDC_LEVEL)->setFocus(Qt::OtherFocusReason);
        m_Level = v;
        if (m_View)
            m_View->PostViewMessage(WM_PAGE_OUTPUT_LEVEL, static_cast<WPARAM>(g_CurrentOutput), v);
    } else if (id == IDC_LEVEL2_SLIDER) {
        const int v = Slider(IDC_LEVEL2_SLIDER)->GetValue();
        if (v != out->GetGain()) {
            {
                DeviceLockGuard lock(g_DeviceLock);
                out->SetGain(static_cast<int16_t>(v));
            }
            if (!Offer(Spin(IDC_LEVEL2_SPIN), v)) return;
            DeviceLockGuard lock(g_DeviceLock);
            if (!out->GetOutputOn()) out->SetOutputOn(1);
        }
        if (ended) Field(IDC_LEVEL2)->setFocus(Qt::OtherFocusReason);
    }
    if (m_View) m_View->SetChannelModified(g_CurrentOutput);
}

void COutputPage::OnLevelField() {
    CKTV_OutData* out = CurrentOut();
    if (!out) return;
    const int v = Spin(IDC_LEVEL2_SPIN)->GetBuddyValue();
    if (v == out->GetGain()) return;
    {
        DeviceLockGuard lock(g_DeviceLock);
        out->SetGain(static_cast<int16_t>(v));
        if (!out->GetOutputOn()) out->SetOutputOn(1);
    }
    Slider(IDC_LEVEL2_SLIDER)->SetValue(v);
}

void COutputPage::OnMuteButton() {
    // Checked while the output is off: the click asks for the other state.
    CBitButton* mute = BitButton(IDC_MUTE);
    const int before = mute->GetCheck() ? 1 : 0;
    mute->SetCheck(before ? 0 : 1);
    if (m_View)
        m_View->PostViewMessage(WM_PAGE_OUTPUT_ON, static_cast<WPARAM>(g_CurrentOutput), before);
}

void COutputPage::SetChannelOn(int output, int on) {
    CKTV_OutData* out = m_Data ? m_Data->GetOut(output) : nullptr;
    if (!out) return;
    DeviceLockGuard lock(g_DeviceLock);
    if (out->GetOutputOn() != on) out->SetOutputOn(static_cast<uint8_t>(on));
}

void COutputPage::SetChannelPolarity(int output, int polarity) {
    CKTV_OutData* out = m_Data ? m_Data->GetOut(output) : nullptr;
    if (!out) return;
    DeviceLockGuard lock(g_DeviceLock);
    if (out->GetPolarity() != polarity) out->SetPolarity(static_cast<uint8_t>(polarity));
}

void COutputPage::ShowMuteCheck(bool checked) {
    BitButton(IDC_MUTE)->SetCheck(checked ? 1 : 0);
}

void COutputPage::OnPolarityButton() {
    CKTV_OutData* out = CurrentOut();
    if (!out) return;
    const int p = out->GetPolarity() ? 0 : 1;
    CBitmapSlider* picture = Slider(IDC_POLARITY_PICTURE);
    picture->SetBitmapThumb(0);
    picture->SetBitmapThumb(p ? 1179 : 1178);
    BitButton(IDC_POLARITY)->SetCheck(p);
    m_Polarity = p;
    DeviceLockGuard lock(g_DeviceLock);
    out->SetPolarity(static_cast<uint8_t>(p));
}

// ---------------------------------------------------------------------------
// Phase: kept in the top band of the output
// ---------------------------------------------------------------------------

void COutputPage::ApplyPhaseToTopBand(CKTV_OutData& out, int phase) {
    CFilter* top = out.GetFilter(kBandCount - 1);
    if (!top) return;
    if (phase == kPhaseOff) {
        top->SetKind(FilterKind::Peaking);
        top->SetFreq(20000, 1);
        return;
    }
    if (top->GetKind() != FilterKind::Special) top->SetKind(FilterKind::Special);
    top->SetFreq(phase, 1);
    top->SetBandwidthCode(kPhaseBandwidth);
}

void COutputPage::OnPhase(bool fromSpin) {
    CKTV_OutData* out = CurrentOut();
    if (!out) return;
    const int v = fromSpin ? Spin(IDC_PHASE_SPIN)->GetBuddyValue() : Field(IDC_PHASE)->GetValue();
    if (v == m_PhaseValue) return;
    m_PhaseValue = v;
    if (!fromSpin) Spin(IDC_PHASE_SPIN)->SetValueChecked(v);
    {
        DeviceLockGuard lock(g_DeviceLock);
        ApplyPhaseToTopBand(*out, v);
        for (CKTV_OutData* linked : LinkedOutputs())
            ApplyPhaseToTopBand(*linked, v);
    }
    m_PhaseTimer->Start(kPhaseRedisplayMs);
}

void COutputPage::OnPhaseTimer() {
    m_PhaseTimer->Stop();
    m_Graph->Redraw(-1);
    CKTV_OutData* out = CurrentOut();
    if (!out) return;
    const CFilter* top = out->GetFilter(kBandCount - 1);
    const bool phase = top->GetKind() == FilterKind::Special && top->GetDisplayFreq() != kPhaseOff;
    m_Bands[kBandCount - 1].freqSpin->SetValueChecked(phase ? 20000 : top->GetFreq());
    m_Bands[kBandCount - 1].qSpin->SetValueChecked(phase ? kPhaseBandwidth
                                                         : top->GetBandwidthCode());
}

void COutputPage::OnPhaseFreq(bool fromSpin) {
    // The word is the limiter's release time (the system page writes it in
    // milliseconds): the field shows a value and never writes the word.
    const int v =
        fromSpin ? Spin(IDC_PHASE_FREQ_SPIN)->GetBuddyValue() : Field(IDC_PHASE_FREQ)->GetValue();
    Spin(IDC_PHASE_FREQ_SPIN)->SetValueChecked(v);
}

// ---------------------------------------------------------------------------
// Delay
// ---------------------------------------------------------------------------

void COutputPage::OnDelayField() {
    CKTV_OutData* out = CurrentOut();
    if (!out) return;
    const int v = Field(IDC_DELAY)->GetValue();
    if (v == out->GetDelay()) return;
    if (!Offer(Spin(IDC_DELAY_SPIN), v)) return;
    m_Delay = v;
    DeviceLockGuard lock(g_DeviceLock);
    out->SetDelay(static_cast<int16_t>(v));
}

void COutputPage::OnDelaySpin() {
    CKTV_OutData* out = CurrentOut();
    if (!out) return;
    const int v = Spin(IDC_DELAY_SPIN)->GetBuddyValue();
    if (v == out->GetDelay()) return;
    m_Delay = v;
    DeviceLockGuard lock(g_DeviceLock);
    out->SetDelay(static_cast<int16_t>(v));
}

void COutputPage::OnDelayUnitList(int unit) {
    if (unit < 0 || unit > 2) return;
    // Only the display changes: the delay code stays.
    Field(IDC_DELAY)->SetType(unit, QString());
    g_DelayUnit = unit;
}

void COutputPage::OnDelayUnitMessage(int unit) {
    if (unit >= 1 && unit <= 3) Field(IDC_DELAY)->SetType(unit - 1, QString());
}

void COutputPage::OnDelayTriplet(int unit) {
    CKTV_OutData* out = CurrentOut();
    if (!out) return;
    static constexpr int kSpins[3] = {IDC_DELAY_MS_SPIN, IDC_DELAY_CM_SPIN, IDC_DELAY_INCH_SPIN};
    const int v = Spin(kSpins[unit])->GetBuddyValue();
    for (int other = 0; other < 3; ++other)
        if (other != unit && !Offer(Spin(kSpins[other]), v)) return;
    if (v == out->GetDelay()) return;
    DeviceLockGuard lock(g_DeviceLock);
    out->SetDelay(static_cast<int16_t>(v));
}

void COutputPage::OnLinkedSpinDelta(int spinId, int step) {
    const int type = PageSpeakerType(g_CurrentOutput);
    const int* state = g_SpeakerGroups->StateOfType(type);
    const int* members = g_SpeakerGroups->SlotsOfType(type);
    if (!state || !members || *state != kGroupLinked) return;
    for (int i = 0; i < 12; ++i) {
        const int o = members[i];
        if (o >= 0 && o < 12 && o != g_CurrentOutput) StepLinkedDelay(o, step, spinId);
    }
}

void COutputPage::StepLinkedDelay(int output, int step, int spinId) {
    CKTV_OutData* out = m_Data ? m_Data->GetOut(output) : nullptr;
    if (!out) return;
    const int d = out->GetDelay();
    int next = d;
    switch (spinId) {
    case IDC_DELAY_MS_SPIN:
        next = d + step;
        break;
    case IDC_DELAY_CM_SPIN:
        next = StepDelayCentimetres(d, step);
        break;
    case IDC_DELAY_INCH_SPIN:
        next = StepDelayInches(d, step);
        break;
    default:
        break;
    }
    next = std::clamp(next, 0, kDelayMaxSteps);
    if (next == d) return;
    DeviceLockGuard lock(g_DeviceLock);
    out->SetDelay(static_cast<int16_t>(next));
}

void COutputPage::LoadDelayFromModeTable() {
    CKTV_OutData* out = CurrentOut();
    if (!out) return;
    int word = 0;
    {
        DeviceLockGuard lock(g_DeviceLock);
        const int page = std::min<int>(g_DeviceRecords.CurrentModePage(), 3);
        word = g_DeviceRecords.ModePageWord(page, g_CurrentOutput);
    }
    for (int id : {IDC_DELAY_MS_SPIN, IDC_DELAY_CM_SPIN, IDC_DELAY_INCH_SPIN})
        if (!Offer(Spin(id), word)) return;
}

// ---------------------------------------------------------------------------
// Speaker-type group
// ---------------------------------------------------------------------------

void COutputPage::RefreshSpeakerGroupState() {
    if (const int* state = g_SpeakerGroups->StateOfType(PageSpeakerType(g_CurrentOutput)))
        ShowSpeakerGroupState(*state);
    UpdateDelayFieldsLock();
}

void COutputPage::UpdateDelayFieldsLock() {
    // The lock mark is never shown, so the fields stay editable.
    const bool locked = Control(IDC_DELAY_LOCK_MARK)->isVisible();
    for (int id : {IDC_DELAY_CM, IDC_DELAY_MS, IDC_DELAY_INCH})
        Field(id)->SetLocked(locked);
}
