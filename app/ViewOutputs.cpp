// The row of output strips and what the pages ask of the view about the
// outputs: selecting the current output, a level spread over a link group,
// a speaker type chosen on a strip, the mix switches shown on the strips,
// the master volume, the page toggle and the mode pages, and the equaliser
// resets, copies and pastes.
#include "app/LumaraView.h"

#include "app/ShellMessages.h"
#include "model/DataDefine.h"
#include "model/FrameBuilder.h"
#include "model/Globals.h"
#include "model/KTV_Data.h"
#include "model/LinkKeys.h"
#include "model/Music_InData.h"
#include "model/SpeakerTypes.h"
#include "features/outputs/MasterStrip.h"
#include "features/outputs/OutputStrip.h"
#include "pages/output/PositionButtons.h"

#include <algorithm>

namespace {

constexpr int kGainMax = 600;
constexpr int kTopBand = 30;
constexpr int kBandCount = 31;
// The first 15 bands of a music input after a reset.
constexpr int kInputResetFreqs[15] = {20,   32,   53,   87,   143,  235,   386,  632,
                                      1035, 1696, 2778, 4551, 7455, 12210, 20000};

} // namespace

int CLumaraView::TypeOf(int output) {
    return OutputSpeakerType(output);
}

bool CLumaraView::OnStripMessage(unsigned msg, WPARAM wParam, LPARAM lParam) {
    const int w = static_cast<int>(wParam);
    const int l = static_cast<int>(lParam);
    switch (msg) {
    case WM_STRIP_SELECT_OUTPUT:
        SelectOutput(w);
        return true;
    case WM_PAGE_SELECT_OUTPUT:
        OnSelectOutputRequest(wParam, lParam);
        return true;
    case WM_PAGE_OUTPUT_LEVEL:
        OnOutputLevel(w, l);
        return true;
    case WM_PAGE_OUTPUT_ON:
        OnOutputOn(w, l);
        return true;
    case WM_PAGE_OUTPUT_POLARITY:
        OnOutputPolarity(w, l);
        return true;
    case WM_STRIP_SPEAKER_TYPE:
        OnSpeakerTypeChosen(w, l);
        return true;
    case WM_PAGE_MIX_PRESET:
        OnApplyMixPreset(wParam, lParam);
        return true;
    case WM_PAGE_SHOW_MIX:
        ShowMixPage(0, lParam != 0);
        return true;
    case WM_MASTER_VOLUME:
        OnMasterVolume();
        return true;
    case WM_DROP_CHOICE:
        OnDropListChoice(w, l);
        return true;
    case WM_SETTINGCHANGE:
        OnSettingChange(w);
        return true;
    default:
        break;
    }
    // The strips' toggles need nothing of the view.
    return msg >= WM_STRIP_TOGGLE_FIRST - 1 && msg < WM_STRIP_TOGGLE_FIRST + 16;
}

// ---------------------------------------------------------------------------
// The current output
// ---------------------------------------------------------------------------

void CLumaraView::SelectOutput(int n) {
    if (n < 0 || n >= kStripCount || n == g_CurrentOutput) return;
    const int old = g_CurrentOutput;
    for (CStripBase* s : m_Strips) {
        s->SetCaptionChecked(false);
        s->SetSelected(false);
    }
    m_MixPage->ChannelChanging();
    update(m_StripRects[old]);
    m_PositionButtons->CheckPositionButton(TypeOf(old), false);
    UnmarkLinkedOutputs(old);
    g_CurrentOutput = n;
    m_CurrentOutput = m_Data->GetOut(n);
    for (int i = 0; i < kStripCount; ++i) {
        if (!SameLinkKey(i, n)) continue;
        m_Strips[i]->SetCaptionChecked(true);
        m_Strips[i]->SetSelected(true);
    }
    m_MixPage->ChannelChanged();
    m_PositionButtons->CheckPositionButton(TypeOf(n), true);
    MarkLinkedOutputs(n);
    m_OutputPage->RefreshChannel();
    m_OutputPage->update();
    m_MixPage->Refresh();
    m_MixPage->update();
    RepaintStrips();
}

void CLumaraView::RepaintStrips() {
    for (CStripBase* s : m_Strips)
        if (s) s->update();
}

// ---------------------------------------------------------------------------
// Levels of the outputs
// ---------------------------------------------------------------------------

void CLumaraView::OnOutputLevel(int n, int level) {
    CKTV_OutData* out = m_Data->GetOut(n);
    if (!out || n >= kStripCount) return;
    level = std::clamp(level, 0, kGainMax);
    {
        DeviceLockGuard lock(g_DeviceLock);
        if (out->GetGain() == level) return;
        // The group keeps its offsets: each other member moves by the step
        // this output made from the level the model holds (a shown copy may
        // be stale after a load or a linked edit).
        const int delta = level - out->GetGain();
        out->SetGain(static_cast<int16_t>(level));
        m_OutputPage->SetPanelLevel(n, level);
        out->SetOutputOn(1);
        if (delta != 0) {
            ForGroupMembers(n, [&](int i) {
                CKTV_OutData* member = m_Data->GetOut(i);
                const int v = std::clamp(member->GetGain() + delta, 0, kGainMax);
                member->SetGain(static_cast<int16_t>(v));
                m_OutputPage->SetPanelLevel(i, v);
                if (CStripBase* s = Strip(i)) s->ShowGain(v);
            });
        }
    }
    if (CStripBase* s = Strip(n)) s->ShowGain(level);
    m_OutputPage->ClearChannelMute();
}

void CLumaraView::OnOutputOn(int output, int on) {
    m_OutputPage->SetChannelOn(output, on);
}

void CLumaraView::OnOutputPolarity(int output, int polarity) {
    m_OutputPage->SetChannelPolarity(output, polarity);
}

void CLumaraView::SyncLinkGroupStrips(int n, int key) {
    CKTV_OutData* out = m_Data->GetOut(n);
    if (!out) return;
    bool anyOn = false;
    for (int i = 0; i < kStripCount; ++i)
        if (LinkKeyOf(i) == key && m_Strips[i]->IsCaptionChecked()) anyOn = true;
    for (int i = 0; i < kStripCount; ++i) {
        if (LinkKeyOf(i) != key) continue;
        m_Strips[i]->SetCaptionChecked(anyOn);
        if (i != n) m_Strips[i]->ShowGain(out->GetGain());
    }
}

// ---------------------------------------------------------------------------
// Speaker types
// ---------------------------------------------------------------------------

void CLumaraView::OnSpeakerTypeChosen(int n, int type) {
    if (n < 0 || n >= kStripCount || type < 0 || type >= kSpeakerTypeCount) return;
    g_MixItemsFirst = type == 0 ? 1 : 0;
    const int old = g_OutputSpeakerType[n];
    ReleaseSpeakerType(old, n);
    m_PositionButtons->HidePositionButton(EffectiveSpeakerType(old));
    g_OutputSpeakerType[n] = static_cast<uint8_t>(type);
    m_PositionButtons->ShowPositionButton(type, n == g_CurrentOutput, n);
    TakeSpeakerType(type, 0);
    m_Strips[n]->UpdateCaption();
    g_DeviceRecords.SetOutputType(n, type);
    // The output takes the type's crossover; the map and the crossover go out.
    m_Session.SendOutputMap(n, 0);
    if (n == g_CurrentOutput) m_OutputPage->RefreshCrossover();
    m_OutputPage->RedrawGraph();
    ApplyMixPresetForType(n, type);
}

void CLumaraView::ApplySpeakerTypesAtStart() {
    for (int i = 0; i < kVisibleStrips; ++i) {
        CKTV_OutData* out = m_Data->GetOut(i);
        if (!out) continue;
        {
            DeviceLockGuard lock(g_DeviceLock);
            out->SetSpeakerType(g_OutputSpeakerType[i]);
        }
        ApplyMixPresetForType(i, g_OutputSpeakerType[i]);
    }
}

void CLumaraView::ApplyMixPresetForType(int output, int type) {
    m_MixPage->ApplySpeakerTypePreset(output, EffectiveSpeakerType(type));
}

void CLumaraView::OnMixSwitch(int output, int source, int level) {
    if (CStripBase* s = Strip(output)) {
        if (source >= 1 && source <= 16) s->SetToggle(source, level != 0 ? 1 : 0);
    }
}

// ---------------------------------------------------------------------------
// Master volume
// ---------------------------------------------------------------------------

void CLumaraView::OnMasterVolume() {
    g_StateFlags[kFlagStatusGuard] = 1;
    StartEditGuardTimer();
    const int v = m_LevelBar->GetValue();
    {
        DeviceLockGuard lock(g_DeviceLock);
        if (v == g_DeviceRecords.MasterVolume()) return;
        g_DeviceRecords.SetMasterVolume(v);
        if (g_DeviceRecords.MasterOn() == 0) g_DeviceRecords.SetMasterOn(1);
    }
    if (m_LevelBar->IsMuteChecked()) m_LevelBar->SetMuteCheck(false);
    MarkMasterChanged(1);
}

void CLumaraView::MarkMasterChanged(int flag) {
    g_SendCmd5Pending = flag && IsConnected() ? 1 : 0;
    if (flag && !IsConnected()) m_Session.NoteUnsentRecord(kRecordMaster);
}

// ---------------------------------------------------------------------------
// Pages and mode pages
// ---------------------------------------------------------------------------

void CLumaraView::OnPageToggle() {
    const bool mix = m_MixToggle->GetCheck() == 0;
    ShowMixPage(0, mix);
    m_MixToggle->SetCheck(mix ? 1 : 0);
}

void CLumaraView::ShowMixPage(int, bool mix) {
    if (m_LockButton->GetCheck()) {
        m_LockPanel->show();
        m_OutputPage->hide();
        m_MixPage->hide();
    } else {
        m_LockPanel->hide();
        m_OutputPage->setVisible(!mix);
        m_MixPage->setVisible(mix);
    }
    update();
}

void CLumaraView::OnModePageButton(int page) {
    if (page == g_DeviceRecords.CurrentModePage()) return;
    SetModePage(page, 1);
    SendCommand(kRecordPageTable, 0);
}

// ---------------------------------------------------------------------------
// Equaliser resets, copies and pastes
// ---------------------------------------------------------------------------

void CLumaraView::ResetOutputEq() {
    {
        DeviceLockGuard lock(g_DeviceLock);
        m_Session.MuteOutputsForTransfer(0);
        ResetOutputEqChannel(g_CurrentOutput);
        ForGroupMembers(g_CurrentOutput, [this](int i) { ResetOutputEqChannel(i); });
        m_Session.MuteOutputsForTransfer(1);
    }
    m_OutputPage->RefreshBands();
}

void CLumaraView::ResetOutputEqChannel(int ch) {
    CKTV_OutData* out = m_Data->GetOut(ch);
    if (!out) return;
    DeviceLockGuard lock(g_DeviceLock);
    for (int i = 0; i < kBandCount; ++i) {
        CFilter* band = out->GetFilter(i);
        if (!band) continue;
        if (i == kTopBand) {
            // The top band may have become a phase filter: back to peaking.
            m_OutputPage->CheckTopBand(kTopBand);
            if (band->GetKind() != 0) band->SetKind(0);
        }
        band->ResetBand(g_ThirdOctaveFreqs[i]);
    }
    out->UpdateCurve();
    if (!IsConnected()) return;
    out->WriteAllItems();
    m_Session.Command().AddPacket(BuildBlockPacket(0, kGroupOutput, ch, 1, 1));
}

void CLumaraView::ResetInputEq(int n) {
    CMusic_InData* in = m_Data->GetMusic(n);
    if (!in) return;
    DeviceLockGuard lock(g_DeviceLock);
    for (int i = 0; i < kBandCount; ++i)
        if (CFilter* band = in->GetFilter(i))
            band->ResetBand(i < 15 ? kInputResetFreqs[i] : g_ThirdOctaveFreqs[i]);
    if (!IsConnected()) return;
    m_Session.MuteOutputsForTransfer(0);
    in->WriteAllItems();
    m_Session.Command().AddPacket(BuildBlockPacket(0, kGroupMusic, n, 1, 1));
    m_Session.MuteOutputsForTransfer(1);
}

void CLumaraView::PasteOutputEq(int from, int to) {
    CKTV_OutData* a = m_Data->GetOut(from);
    CKTV_OutData* b = m_Data->GetOut(to);
    if (!a || !b || a == b) return;
    DeviceLockGuard lock(g_DeviceLock);
    b->CopyEqFrom(*a);
    if (IsTweeterSpeakerType(TypeOf(to))) {
        ItemRecord crossover = b->GetCrossoverRecord();
        FixTweeterCrossoverRecord(crossover.data());
        b->LoadCrossover(crossover.data());
    }
    if (!IsConnected()) return;
    b->WriteAllItems();
    m_Session.Command().AddPacket(BuildBlockPacket(0, kGroupOutput, to, 1, 1));
}

// ---------------------------------------------------------------------------
// Settings of the desktop
// ---------------------------------------------------------------------------

void CLumaraView::OnSettingChange(int setting) {
    if (setting != 0 && setting != static_cast<int>(kWorkAreaSetting)) return;
    RefreshTitleAndPaths();
    window()->update();
}
