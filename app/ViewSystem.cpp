// The main view's system dialogs and resets: the system dialog of its system
// button, the mix parameters behind the access code, the source volumes, the
// source-linked presets and the power-on source, the factory reset, and the
// output-map reset of its Map reset button with what it undoes.
#include "app/LumaraView.h"

#include "features/sources/DefaultSourceDialog.h"
#include "features/system/FactoryResetPrompt.h"
#include "features/system/MixAccessCodePrompt.h"
#include "features/outputs/OutputMapResetPrompt.h"
#include "features/presets/SourcePresetsDialog.h"
#include "controls/MessageBox.h"
#include "controls/ModalDialog.h"
#include "model/LinkGroups.h"
#include "model/DataDefine.h"
#include "model/FrameBuilder.h"
#include "model/Globals.h"
#include "model/KTV_Data.h"
#include "model/KTV_OutData.h"
#include "model/LinkKeys.h"
#include "model/SpeakerTypes.h"
#include "features/system/SystemSettingsDialog.h"
#include "features/system/MixParametersDialog.h"
#include "features/sources/SourceVolumesDialog.h"
#include "pages/output/PositionButtons.h"

namespace {

const BiText kWrongCodeText{"验证失败,密码错误", "Validation failure,password error"};
const BiText kNoConnectionText{"没有连接可以打开", "No connection can be opened"};
constexpr int kAutoCloseMs = 2000;

// The speaker type output i had when the model was set up (the default map).
int DefaultSpeakerType(int output) {
    return g_SpeakerTypeStateDefaults[kSpeakerTypeCount + 1 + output];
}

void SetMapByte(int output, int type) {
    g_DeviceRecords.SetOutputType(output, type);
}

} // namespace

// ---------------------------------------------------------------------------
// Dialogs
// ---------------------------------------------------------------------------

void CLumaraView::OnSystemButton() {
    CSystemSettingsDialog dialog(this);
    dialog.SetData(m_Data);
    ctl::RunModal(dialog);
}

void CLumaraView::OnAdvancedCommand() {
    if (!m_AccessGranted) {
        CMixAccessCodePrompt prompt(this);
        if (ctl::RunModal(prompt) != QDialog::Accepted || !prompt.EntryGiven()) return;
        if (prompt.Entered() != QString::fromLatin1(g_AccessCode)) {
            CMessageBox::Show(QString::fromUtf8(kWrongCodeText.Pick()), MB_OK, kAutoCloseMs, this);
            return;
        }
        m_AccessGranted = 1;
    }
    CMixParametersDialog dialog(this, this);
    dialog.SetData(m_Data);
    m_MixParamDlg = &dialog;
    ctl::RunModal(dialog);
}

CMixParametersDialog* CLumaraView::MixParamDialog() const {
    return m_MixParamDlg.data();
}

void CLumaraView::RefreshMixParamDialog() {
    if (CMixParametersDialog* dialog = m_MixParamDlg.data()) dialog->Refresh();
}

void CLumaraView::OnSourceVolumeCommand() {
    CSourceVolumesDialog dialog(this, this);
    ctl::RunModal(dialog);
}

void CLumaraView::OnSourcePresetCommand() {
    CSourcePresetsDialog dialog(this, this);
    ctl::RunModal(dialog);
}

void CLumaraView::OnDefaultSourceCommand() {
    CDefaultSourceDialog dialog(this, this);
    ctl::RunModal(dialog);
}

// ---------------------------------------------------------------------------
// Factory reset
// ---------------------------------------------------------------------------

void CLumaraView::OnFactoryResetCommand() {
    CFactoryResetPrompt warning(this);
    if (ctl::RunModal(warning) != QDialog::Accepted) return;
    // Sent only while a device is connected; the image stays as it is until
    // the device's new state is read.
    SendCommand(kRecordFactoryReset, 0);
    if (!IsConnected())
        CMessageBox::Show(QString::fromUtf8(kNoConnectionText.Pick()), MB_OK, kAutoCloseMs, this);
}

// ---------------------------------------------------------------------------
// Output-map reset
// ---------------------------------------------------------------------------

void CLumaraView::ReleaseAllSpeakerTypes() {
    DeviceLockGuard lock(g_DeviceLock);
    for (int i = 0; i < kOutputCount; ++i) {
        const int type = g_OutputSpeakerType[i];
        ReleaseSpeakerType(type, i);
        m_PositionButtons->HidePositionButton(EffectiveSpeakerType(type));
        m_PositionButtons->ShowPositionButton(0, i == g_CurrentOutput, i);
    }
}

void CLumaraView::ResetOutputSpeakerType(int output, int type, bool refreshCrossover) {
    const int old = g_OutputSpeakerType[output];
    ReleaseSpeakerType(old, output);
    m_PositionButtons->HidePositionButton(EffectiveSpeakerType(old));
    g_OutputSpeakerType[output] = static_cast<uint8_t>(type);
    m_PositionButtons->ShowPositionButton(type, output == g_CurrentOutput, output);
    TakeSpeakerType(type, 0);
    if (CStripBase* strip = Strip(output)) {
        strip->m_OutputIndex = output;
        strip->UpdateCaption();
    }
    if (CKTV_OutData* out = m_Data->GetOut(output)) out->SetSpeakerType(type);
    SetMapByte(output, type);
    if (refreshCrossover && output == g_CurrentOutput) m_OutputPage->RefreshCrossover();
}

void CLumaraView::OnOutputMapReset() {
    COutputMapResetPrompt question(this);
    ctl::RunModal(question);
    const int choice = question.Choice();
    if (choice != COutputMapResetPrompt::kEmpty && choice != COutputMapResetPrompt::kDefault)
        return;

    // The link worker sees the whole reset or none of it: the types, the map
    // bytes, the outputs' crossovers and mix levels and the queued map.
    DeviceLockGuard lock(g_DeviceLock);
    if (choice == COutputMapResetPrompt::kEmpty) {
        g_MixItemsFirst = 1; // the silenced mix goes out before the crossovers
        for (int i = 0; i < kOutputCount; ++i)
            ApplyMixPresetForType(i, 0);
        ReleaseAllSpeakerTypes();
        for (int i = 0; i < kOutputCount; ++i)
            ResetOutputSpeakerType(i, 0, true);
    } else {
        g_MixItemsFirst = 0;
        ReleaseAllSpeakerTypes();
        for (int i = 0; i < kOutputCount; ++i)
            ResetOutputSpeakerType(i, DefaultSpeakerType(i), false);
        for (int i = 0; i < kOutputCount; ++i)
            ApplyMixPresetForType(i, g_OutputSpeakerType[i]);
    }
    m_Session.Command().AddPacket(BuildSystemPacket(kRecordOutputMapA, 0));
    m_Session.Command().AddPacket(BuildSystemPacket(kRecordOutputMapB, 0));
    ApplyMixPresetForType(g_CurrentOutput, g_OutputSpeakerType[g_CurrentOutput]);

    // Every link of the outputs is undone.
    m_OutputPage->RefreshCrossover();
    if (g_LRLinkOn) {
        g_LRLinkOn = 0;
        for (CStripBase* s : m_Strips)
            s->EnableSpeakerTypeButton(true);
    }
    m_LRLinkButton->SetCheck(0);
    m_OutputPage->RedrawGraph();
    OutputBlock(0)[kOutLockMarkByte] = 0; // the L/R link state the device keeps
    g_LinkActive = 0;
    // Output 0's name item carries that byte to the device.
    if (CKTV_OutData* out = m_Data->GetOut(0)) out->SetName(g_ProductTitle);
    for (int i = 0; i < kOutputCount; ++i) {
        SetLinkKey(i, OutputLinkKey(i));
        CStripBase* s = m_Strips[i];
        s->SetCaptionChecked(i == g_CurrentOutput);
        s->SetSelected(i == g_CurrentOutput);
        s->ShowLinkGroup(i);
    }
}
