// What the main view does with the device's data once the link has stored
// it in the image and the system records: rebuild the model and refresh the
// pages after a whole preset, rebuild the speaker types after the output
// map, and take over what was changed on the device itself from its status
// records, unless the user is changing the same controls at that moment.

// Before any Qt header: Qt's "slots" keyword would take the groups' member name.
#include "model/SpeakerGroups.h"

#include "features/connection/TransferWindow.h"
#include "files/LumaraDoc.h"
#include "app/LumaraView.h"
#include "app/ShellMessages.h"
#include "controls/GradientProgressCtrl.h"
#include "controls/MessageBox.h"
#include "model/DataDefine.h"
#include "model/FrameBuilder.h"
#include "model/Globals.h"
#include "model/KTV_Data.h"
#include "model/SourceTable.h"
#include "model/SpeakerTypes.h"
#include "pages/output/PositionButtons.h"

#include <QLineEdit>

namespace {

constexpr uint8_t kMixSourceOff = 6;
constexpr int kStatusSourceVolumeFirst = 2; // the volumes of source codes 0..5
constexpr int kStatusMasterOn = 14;
constexpr int kStatusMixSource = 36;

} // namespace

// ---------------------------------------------------------------------------
// A whole preset has arrived
// ---------------------------------------------------------------------------

LRESULT CLumaraView::OnDeviceDataLoaded(WPARAM preset, LPARAM) {
    const int n = static_cast<int>(preset);
    g_StateFlags[kFlagLastDeliveredSlot] = n;
    m_Lock.RefreshFromImage();
    ShowPagesForLockState();
    {
        DeviceLockGuard lock(g_DeviceLock);
        FixTweeterCrossovers();
        m_Data->LoadFromImage(g_ParamImage, n);
        g_ParamSentFlag = 0;
    }
    // A transfer the lost link cut short left the device muted.
    m_Session.RestoreAfterInterruptedTransfer();
    RefreshAllPages();
    ApplyLinkStateAfterLoad();
    SelectSource(g_DeviceRecords.ActiveSource(), 0);
    ShowLoadedPresetName();
    g_DeviceSynced = 1;
    g_TransferRunning = 0;
    g_ChannelFlags->Reset();
    m_BridgeButton->SetCheck(g_DeviceRecords.BridgeMode());
    RefreshAdvancedDialog(true);
    // The window shows the device's data: nothing waits to be sent.
    m_Session.ForgetUnsentChanges();
    return 0;
}

void CLumaraView::ShowPagesForLockState() {
    if (g_StateFlags[kFlagDataLocked].load() == 1) {
        g_StateFlags[kFlagLockPanelShown] = 1;
        m_LockButton->SetCheck(1);
        ShowMixPage(0, m_MixToggle->GetCheck() != 0);
        return;
    }
    g_StateFlags[kFlagLockPanelShown] = 0;
    m_LockButton->SetCheck(0);
    ShowMixPage(0, m_MixToggle->GetCheck() != 0);
}

bool CLumaraView::RefreshAllPages() {
    g_SpeakerGroups->Analyse();
    if (!RefreshOutputPage()) return false;
    if (!m_MixPage->Refresh()) return false;
    {
        // A word from the device or a file outside the strip's range shows 0 dB.
        DeviceLockGuard lock(g_DeviceLock);
        if (!IsMasterVolume(g_DeviceRecords.MasterVolume()))
            g_DeviceRecords.SetMasterVolume(kMasterVolumeFallback);
    }
    RefreshMasterControls();
    for (int i = 0; i < kStripCount; ++i) {
        CStripBase* s = m_Strips[i];
        CKTV_OutData* out = m_Data->GetOut(i);
        if (!s || !out) continue;
        s->UpdateCaption();
        s->ShowGain(out->GetGain());
        m_OutputPage->SetPanelLevel(i, out->GetGain());
    }
    m_BridgeButton->SetCheck(g_DeviceRecords.BridgeMode());
    RefreshMixParamDialog();
    return true;
}

bool CLumaraView::RefreshOutputPage() {
    if (!m_OutputPage->RefreshAll()) return false;
    if (m_PositionButtons) m_PositionButtons->ShowPositionButtons();
    return true;
}

void CLumaraView::ShowLoadedPresetName() {
    std::string name;
    {
        DeviceLockGuard lock(g_DeviceLock);
        name = FieldToString(g_ParamImage + kPresetNameOffset, kPresetNameSize);
    }
    if (name.empty()) {
        m_PresetNameButton->SetCheck(0);
        m_PresetNameButton->setText(QString());
        return;
    }
    m_PresetNameButton->SetCheck(1);
    if (g_DeviceRecords.CurrentStoredPreset() == 0 && name == g_CustomName && g_LanguageFlag.load())
        name = g_CustomNameText.cn;
    m_PresetNameButton->setText(QString::fromStdString(name));
}

LRESULT CLumaraView::OnPresetNameChanged(WPARAM, LPARAM) {
    // The poller has renamed edited data "Custom". A load since then has
    // given the data a name of its own, which reaches the device after the
    // rename: the window keeps showing that one.
    {
        DeviceLockGuard lock(g_DeviceLock);
        if (FieldToString(g_ParamImage + kPresetNameOffset, kPresetNameSize) != g_CustomName)
            return 0;
    }
    m_PresetNameButton->SetCheck(1);
    m_PresetNameButton->setText(QString::fromUtf8(g_CustomNameText.Pick()));
    g_SendCmd0Pending = 1;
    return 0;
}

LRESULT CLumaraView::OnReloadEffect(WPARAM, LPARAM) {
    DeviceLockGuard lock(g_DeviceLock);
    m_Data->GetEffect()->LoadFromBlock(EffectBlock());
    return 0;
}

// ---------------------------------------------------------------------------
// The six stored presets have been read for a file
// ---------------------------------------------------------------------------

LRESULT CLumaraView::OnAllPresetsRead(WPARAM, LPARAM) {
    WriteAllPresetsFile();
    g_TransferRunning = 0;
    return 0;
}

// ---------------------------------------------------------------------------
// The output map
// ---------------------------------------------------------------------------

// The link worker waits while this runs: it holds no lock meanwhile, so the
// lock taken here is free.
LRESULT CLumaraView::OnOutputMapLoaded(WPARAM half, LPARAM) {
    {
        DeviceLockGuard lock(g_DeviceLock);
        g_DeviceRecords.SetInputLock(0);
        const int second = g_DeviceRecords.SecondSource();
        g_SourceTable->SetCurrent(second == 255 ? kMixSourceOff : second);
        ResetSpeakerTypeStates();
        const OutputMap map = g_DeviceRecords.GetOutputMap();
        std::copy(map.begin(), map.begin() + (half == 1 ? 12 : 8), g_OutputSpeakerType);
    }
    // Strips 10 and 11 are hidden: the second half updates 8 and 9 only.
    const int first = half == 1 ? 8 : 0;
    const int last = half == 1 ? 9 : 7;
    for (int i = first; i <= last; ++i)
        m_Strips[i]->UpdateCaption();
    ApplySpeakerTypesToOutputs();
    RecomputeSpeakerTypeStates();
    if (g_LRLinkOn) {
        g_LRLinkOn = 0;
        ApplyLRLinkState();
    }
    g_ActiveSource = g_DeviceRecords.ActiveSource();
    SelectSource(g_ActiveSource, 0);
    DeviceLockGuard lock(g_DeviceLock);
    m_Session.Command().AddPacket(BuildSystemPacket(kRecordPresetName, 0));
    return 0;
}

void CLumaraView::ApplySpeakerTypesToOutputs() {
    DeviceLockGuard lock(g_DeviceLock);
    for (int i = 0; i < kOutputCount; ++i)
        if (CKTV_OutData* out = m_Data->GetOut(i))
            out->SetSpeakerTypeKeepCrossover(g_OutputSpeakerType[i]);
}

void CLumaraView::ApplyMapFromDevice(int keepLink) {
    bool cleared = false;
    {
        DeviceLockGuard lock(g_DeviceLock);
        ResetSpeakerTypeStates();
        const OutputMap map = g_DeviceRecords.GetOutputMap();
        std::copy(map.begin(), map.end(), g_OutputSpeakerType);
        cleared = ClearDuplicateSpeakerTypes();
        if (cleared) {
            OutputMap types{};
            std::copy(g_OutputSpeakerType, g_OutputSpeakerType + kOutputMapSize, types.begin());
            g_DeviceRecords.SetOutputMap(types);
        }
    }
    if (cleared) {
        SendCommand(kRecordOutputMapA, 0);
        SendCommand(kRecordOutputMapB, 0);
    }
    RecomputeSpeakerTypeStates();
    if (!keepLink && g_LRLinkOn) {
        g_LRLinkOn = 0;
        ApplyLRLinkState();
    }
}

// ---------------------------------------------------------------------------
// Device status
// ---------------------------------------------------------------------------

LRESULT CLumaraView::OnDeviceStatus(WPARAM, LPARAM) {
    // While the user is changing these controls, or deciding about settings
    // the device has not had, the device's report waits.
    if (!IsConnected() || g_StateFlags[kFlagStatusGuard].load() ||
        m_Session.IsAskingAboutUnsentChanges()) {
        // The link tells only of changes: this one must come again.
        m_Session.Command().AskForStatus();
        return 0;
    }
    bool source = false, volumes = false, mixSource = false;
    {
        // The worker stores records under the lock; take them over under it too.
        DeviceLockGuard lock(g_DeviceLock);
        CDeviceRecords& rec = g_DeviceRecords;
        const DeviceStatusWords status = rec.Status();
        if (rec.ActiveSource() != status[0]) {
            rec.SetActiveSource(status[0]);
            source = true;
        }
        volumes = rec.MasterOn() != status[kStatusMasterOn];
        for (int c = 0; c < 6; ++c)
            volumes = volumes || rec.SourceVolume(c) != status[kStatusSourceVolumeFirst + c];
        if (volumes) {
            for (int c = 0; c < 6; ++c)
                rec.SetSourceVolume(c, status[kStatusSourceVolumeFirst + c]);
            rec.SetMasterOn(status[kStatusMasterOn]);
        }
        if (rec.SecondSource() != status[kStatusMixSource]) {
            rec.SetSecondSource(status[kStatusMixSource]);
            mixSource = true;
        }
    }
    if (source) SelectSource(g_DeviceRecords.ActiveSource(), 0);
    if (volumes) RefreshMasterControls();
    if (mixSource) RefillMixSourceList();
    return 0;
}

// ---------------------------------------------------------------------------
// Output-mode pages
// ---------------------------------------------------------------------------

void CLumaraView::SelectModePage(int page) {
    if (page < 0 || page >= kModePageCount) return;
    if (CPictureButton* b = ModeButton(g_DeviceRecords.CurrentModePage())) b->SetCheck(0);
    g_DeviceRecords.SetCurrentModePage(page);
    if (CPictureButton* b = ModeButton(page)) b->SetCheck(1);
    g_StateFlags[kFlagConnectedCopy] = IsConnected() ? 1 : 0;
    SendCommand(kRecordPageTable, 0);
}
