// The switches of the top bar that act on the whole device: the input-source
// and mix-source lists, the stereo/bridge switch, the scene buttons, and the
// left/right link that ties each left output to its right partner.
#include "app/LumaraView.h"

#include "app/ShellMessages.h"
#include "controls/MessageBox.h"
#include "model/DataDefine.h"
#include "model/Globals.h"
#include "model/KTV_Data.h"
#include "model/LinkGroups.h"
#include "model/LinkKeys.h"
#include "model/SpeakerTypes.h"
#include "features/outputs/LeftRightLinkDialog.h"
#include "pages/output/PositionButtons.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr int kSourceOff = 6;

// The entries of the two lists, by their source codes.
constexpr int kInputSourceCodes[] = {0, 2, 5, 3, 1};
constexpr int kMixSourceCodes[] = {0, 2, 5, 3, 1, kSourceOff};
const char* const kSourceNamesCn[] = {"光纤", "蓝牙", "播放器", "低电平", "高电平"};
const char* const kSourceNamesEn[] = {"Optical", "Phone", "Player", "AUX", "Hi.Level"};

// The entry of a source code in the lists; -1 for a code without one.
int SourceEntry(int source) {
    for (int e = 0; e < static_cast<int>(std::size(kInputSourceCodes)); ++e)
        if (kInputSourceCodes[e] == source) return e;
    return -1;
}

// 1: the mix source (column) cannot go with the input source (row): a digital
// input mixes only with an analogue one and the other way round.
constexpr int kMixUnavailable[6][7] = {
    {1, 0, 1, 0, 1, 1, 1}, {0, 1, 0, 1, 0, 0, 1}, {1, 0, 1, 0, 1, 1, 1},
    {0, 1, 0, 1, 0, 0, 1}, {1, 0, 1, 0, 1, 1, 1}, {1, 0, 1, 0, 1, 1, 1},
};

const BiText kNoPairText{"没有左右通道可以联调!", "No link L&R output !"};

} // namespace

int CLumaraView::MixSourceUnavailable(int input, int mix) {
    const int s = std::clamp(input, 0, kSourceOff);
    const int m = std::clamp(mix, 0, kSourceOff);
    return s < kSourceOff ? kMixUnavailable[s][m] : 0;
}

// ---------------------------------------------------------------------------
// The source lists
// ---------------------------------------------------------------------------

void CLumaraView::FillInputSourceList() {
    const bool cn = g_LanguageFlag.load() != 0;
    m_InputSourceList->ResetContent();
    for (const char* name : cn ? kSourceNamesCn : kSourceNamesEn)
        m_InputSourceList->AddString(QString::fromUtf8(name));
    const int entry = SourceEntry(g_DeviceRecords.ActiveSource());
    if (entry >= 0) m_InputSourceList->SetCurSel(entry);
}

void CLumaraView::SelectSource(int source, int send) {
    const int entry = SourceEntry(source);
    if (entry >= 0) m_InputSourceList->SetCurSel(entry);
    if (send) {
        g_ActiveSource = source;
        {
            DeviceLockGuard lock(g_DeviceLock);
            g_DeviceRecords.SetActiveSource(source);
        }
        SendCommand(kRecordSources, 0);
    }
    if (m_MixPage) m_MixPage->LayoutForInputMode(g_DeviceRecords.ActiveSource());
    RefillMixSourceList();
}

void CLumaraView::RefillMixSourceList() {
    const bool cn = g_LanguageFlag.load() != 0;
    m_MixSourceList->ResetContent();
    for (const char* name : cn ? kSourceNamesCn : kSourceNamesEn)
        m_MixSourceList->AddString(QString::fromUtf8(name));
    m_MixSourceList->AddString(cn ? QStringLiteral("关闭") : QStringLiteral("OFF"));
    const int entry = SourceEntry(g_DeviceRecords.SecondSource());
    m_MixSourceList->SetCurSel(entry >= 0 ? entry
                                          : static_cast<int>(std::size(kMixSourceCodes)) - 1);
    UpdateMixSourceWarning();
}

void CLumaraView::UpdateMixSourceWarning() {
    const int m = std::min<int>(g_DeviceRecords.SecondSource(), kSourceOff);
    g_StateFlags[kFlagMixWarning] = MixSourceUnavailable(g_DeviceRecords.ActiveSource(), m);
    const bool warn = g_StateFlags[kFlagMixWarning].load() != 0;
    m_MixWarning->setVisible(warn && m != kSourceOff);
    // The list is told its look: red while the pair does not go, struck out
    // unless the mix source is off.
    m_MixSourceList->SetWarning(warn, m != kSourceOff);
    m_MixSourceList->update();
}

void CLumaraView::OnDropListChoice(int listId, int index) {
    if (listId == kMixSourceNotify) {
        if (index < 0 || index >= static_cast<int>(std::size(kMixSourceCodes))) return;
        const int code = kMixSourceCodes[index];
        if (code == g_DeviceRecords.SecondSource()) return;
        g_StateFlags[kFlagStatusGuard] = 1;
        StartEditGuardTimer();
        {
            DeviceLockGuard lock(g_DeviceLock);
            g_DeviceRecords.SetSecondSource(code);
        }
        SendCommand(kRecordSourceSetup, 0);
        UpdateMixSourceWarning();
    } else if (listId == kInputSourceNotify) {
        if (index < 0 || index >= static_cast<int>(std::size(kInputSourceCodes))) return;
        const int code = kInputSourceCodes[index];
        if (code == g_DeviceRecords.ActiveSource()) return;
        g_StateFlags[kFlagStatusGuard] = 1;
        StartEditGuardTimer();
        SelectSource(code, 1);
    }
}

bool CLumaraView::OnTopBarCommand(int id) {
    switch (id) {
    case IDC_MIX_TOGGLE:
        OnPageToggle();
        return true;
    case IDC_BRIDGE:
        OnBridgeModeButton();
        return true;
    case IDC_LR_LINK:
        OnLRLinkButton();
        return true;
    case IDC_SCENE_LOAD:
        OpenScenePicker(1);
        return true;
    case IDC_SCENE_STORE:
        OpenScenePicker(0);
        return true;
    default:
        break;
    }
    if (id >= IDC_MODE_PAGE0 && id < IDC_MODE_PAGE0 + 4) {
        OnModePageButton(id - IDC_MODE_PAGE0);
        return true;
    }
    return false;
}

void CLumaraView::OnBridgeModeButton() {
    const int bridge = m_BridgeButton->GetCheck() ? 0 : 1;
    {
        DeviceLockGuard lock(g_DeviceLock);
        g_DeviceRecords.SetBridgeMode(bridge);
    }
    SendCommand(kRecordSourceSetup, 0);
    m_BridgeButton->SetCheck(bridge);
}

// ---------------------------------------------------------------------------
// The left/right link
// ---------------------------------------------------------------------------

namespace {

// Byte 289 of output 0 carries the link to the device with output 0's name
// item, which the program's title marks for sending.
void WriteLinkByte(CKTV_Data& model, uint8_t on) {
    DeviceLockGuard lock(g_DeviceLock);
    OutputBlock(0)[kOutLockMarkByte] = on;
    if (CKTV_OutData* out0 = model.GetOut(0)) out0->SetName(g_ProductTitle);
}

} // namespace

void CLumaraView::OnLRLinkButton() {
    if (g_LinkActive) {
        m_LRLinkButton->SetCheck(0);
        g_LinkActive = 0;
        WriteLinkByte(*m_Data, 0);
        g_LRLinkOn = 0;
        ApplyLRLinkState();
        RebuildLinks();
        for (int i = 0; i < kStripCount; ++i) {
            if (i == g_CurrentOutput) continue;
            m_Strips[i]->SetCaptionChecked(false);
            m_Strips[i]->SetSelected(false);
        }
        return;
    }
    if (!FindSpeakerPairs()) {
        CMessageBox::Show(QString::fromUtf8(kNoPairText.Pick()), 0, g_LanguageFlag.load() ? -2 : -3,
                          this);
        return;
    }
    CLeftRightLinkDialog dialog(this);
    if (dialog.DoModal() != CLeftRightLinkDialog::IDOK) return;
    if (!g_LRLinkOn) {
        g_LRLinkOn = 1;
        m_LRLinkButton->SetCheck(1);
        ApplyLRLinkState();
    }
    if (FindSpeakerPairsLeftFirst()) {
        if (CopyLinkedPairs(dialog.m_Direction))
            RefreshAllPages();
        else
            m_PositionButtons->ReadPairSource(dialog.m_Direction);
    }
    g_LinkActive = 1;
    WriteLinkByte(*m_Data, 1);
    MarkLinkedOutputs(g_CurrentOutput);
}

void CLumaraView::ApplyLRLinkState() {
    if (!g_LRLinkOn) {
        for (CStripBase* s : m_Strips)
            s->EnableSpeakerTypeButton(true);
        RebuildLinks();
        return;
    }
    for (CStripBase* s : m_Strips)
        s->EnableSpeakerTypeButton(false);
    if (TypeOf(g_CurrentOutput) != 0) return;
    for (int i = 0; i < kStripCount; ++i) {
        if (TypeOf(i) != 0) {
            PostMessage(WM_SELECT_OUTPUT, static_cast<WPARAM>(i), 0);
            return;
        }
    }
}

bool CLumaraView::CopyLinkedPairs(int direction) {
    CTextFieldMessages refused; // said once the lock below is released
    DeviceLockGuard lock(g_DeviceLock);
    bool copied = false;
    for (const SpeakerPair& pair : g_SpeakerPairsLR) {
        if (!pair.used) continue;
        const int source = direction == 0 ? pair.left : pair.right;
        const int target = direction == 0 ? pair.right : pair.left;
        if (source < 0 || source >= kStripCount || target < 0 || target >= kStripCount) continue;
        SetLinkKey(target, OutputLinkKey(source));
        m_Session.CopyOutputEq(source, target, refused.Errors());
        copied = true;
    }
    return copied;
}

void CLumaraView::RebuildLinks() {
    UnmarkLinkedOutputs(g_CurrentOutput);
    m_Data->InitLinkTable();
    if (g_LinkActive) {
        if (!g_LRLinkOn) {
            g_LRLinkOn = 1;
            m_LRLinkButton->SetCheck(1);
            ApplyLRLinkState();
        }
        // A rebuild always copies from the left outputs.
        if (FindSpeakerPairsLeftFirst()) CopyLinkedPairs(0);
        {
            DeviceLockGuard lock(g_DeviceLock);
            OutputBlock(0)[kOutLockMarkByte] = 1;
        }
        MarkLinkedOutputs(g_CurrentOutput);
        m_LRLinkButton->SetCheck(1);
        return;
    }
    g_LRLinkOn = 0;
    for (CStripBase* s : m_Strips) {
        s->setEnabled(true);
        s->EnableSpeakerTypeButton(true);
    }
    m_LRLinkButton->SetCheck(0);
    m_OutputPage->ClearBandSelection();
    for (int i = 0; i < kStripCount; ++i) {
        if (i == g_CurrentOutput) continue;
        m_Strips[i]->SetCaptionChecked(false);
        m_Strips[i]->SetSelected(false);
    }
}

void CLumaraView::MarkLinkedOutputs(int output) {
    ForGroupMembers(output, [this](int i) {
        m_Strips[i]->SetCaptionChecked(true);
        m_Strips[i]->SetSelected(true);
        m_OutputPage->MarkGroupMember(i, true);
        if (m_PositionButtons) m_PositionButtons->CheckPositionButton(TypeOf(i), true);
    });
}

void CLumaraView::UnmarkLinkedOutputs(int output) {
    ForGroupMembers(output, [this](int i) {
        m_OutputPage->MarkGroupMember(i, false);
        if (m_PositionButtons) m_PositionButtons->CheckPositionButton(TypeOf(i), false);
    });
}

void CLumaraView::ValidateLRLink() {
    m_PositionButtons->ValidateLRLink();
    m_LRLinkButton->SetCheck(g_LRLinkOn ? 1 : 0);
}
