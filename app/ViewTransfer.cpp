// Whole presets between the program and the device: store the current
// settings as a device preset, store all six at once, make a device preset
// current and read it back, read the six for a whole-device file, and the
// single-channel block senders of the pages. Every operation only queues
// packets, under g_DeviceLock; the replies move the transfer window's bar and
// the one flagged to notify ends the transfer (WM_USER+150).
#include "app/DisplayDlg.h"
#include "app/LumaraView.h"
#include "controls/GradientProgressCtrl.h"
#include "controls/MessageBox.h"
#include "model/DataDefine.h"
#include "model/FrameBuilder.h"
#include "model/Globals.h"
#include "model/KTV_Data.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace {

const BiText kSaveAllPresetsErrorText{"保存整机场景文件错误!", "Save all presets file error!"};

bool ValidPreset(int preset) { return preset >= 0 && preset <= kStoredPresetCount; }

// Command 97 brackets every preset written to the device: {1, n} before its
// first packet, {0, n} after its last.
PacketPtr TransferMarker(int begin, int preset) {
    g_SysBlock97[0] = static_cast<uint8_t>(begin);
    g_SysBlock97[1] = static_cast<uint8_t>(preset);
    return BuildSystemPacket(97, 0);
}

} // namespace

// ---------------------------------------------------------------------------
// Shared steps
// ---------------------------------------------------------------------------

void CLumaraView::QueueWithProgress(PacketPtr packet, int notify, bool advance) {
    if (!packet) return;
    packet->SetProgressValue(m_TransferCount);
    packet->SetBlockFlag(1);
    if (notify == kNotifySent) packet->SetNotifyWhenSent(1);
    if (notify == kNotifyDone) packet->SetNotifyWhenDone(1);
    m_Command.AddPacket(std::move(packet));
    if (advance) ++m_TransferCount;
}

void CLumaraView::ResetTransferProgress() {
    if (!g_TransferDlg) return;
    g_TransferDlg->Progress()->SetRange(0, m_TransferCount);
    g_TransferDlg->Progress()->SetPos(0);
}

void CLumaraView::StartTransferWindow(bool setViewProgress) {
    if (setViewProgress) {
        m_Progress->SetRange(0, m_TransferCount);
        m_Progress->SetPos(0);
    }
    ResetTransferProgress();
    g_TransferRunning = 1;
    // The open device preset dialog, when the transfer comes from it, else this view, waits.
    if (g_TransferDlg) g_TransferDlg->ShowTransfer(g_PresetDlg ? 1 : 0);
}

// ---------------------------------------------------------------------------
// Storing presets on the device
// ---------------------------------------------------------------------------

void CLumaraView::SendPresetToDevice(int preset, bool fromModel) {
    if (!IsConnected()) {
        if (preset != 0) ShowConnectionFailure();
        return;
    }
    if (!ValidPreset(preset)) return;
    CTextFieldMessages refused;
    DeviceLockGuard lock(g_DeviceLock);
    m_TransferCount = 0;
    if (fromModel)
        refused.Add(m_Data->WriteAllToImage());
    else
        MuteOutputsForTransfer(0);
    g_SysBlock52[0] = static_cast<uint8_t>(preset);
    m_Command.AddPacket(TransferMarker(1, preset));
    QueueWithProgress(BuildSystemPacket(0, preset));
    m_Command.AddPacket(BuildSystemPacket(6, 0));
    m_Command.AddPacket(BuildSystemPacket(7, 0));
    if (fromModel) {
        QueueWithProgress(BuildSystemPacket(0, 0));
        QueueWithProgress(BuildSystemPacket(52, 0));
    }
    for (int i = 0; i < kMusicInputCount; ++i) QueueWithProgress(BuildBlockPacket(preset, kGroupMusic, i, 1, 1));
    // The last block carries the final value, so the bar ends at its maximum.
    for (int o = 0; o < kOutputCount; ++o) {
        const bool last = o == kOutputCount - 1;
        QueueWithProgress(BuildBlockPacket(preset, kGroupOutput, o, 1, 1, refused.Errors()),
                          last ? kNotifySent : kNotifyNone, !last);
    }
    m_Command.AddPacket(TransferMarker(0, preset));
    if (!fromModel) MuteOutputsForTransfer(1);
    g_ParamSentFlag = 0;
    StartTransferWindow(true);
}

void CLumaraView::SendAllPresetsToDevice() {
    if (!IsConnected()) return;
    CTextFieldMessages refused;
    DeviceLockGuard lock(g_DeviceLock);
    m_TransferCount = 0;
    const uint8_t masterOn = g_SysBlock5[6];
    MuteOutputsForTransfer(0);
    m_Command.AddPacket(TransferMarker(1, 0));
    m_Command.AddPacket(BuildSystemPacket(6, 0));
    m_Command.AddPacket(BuildSystemPacket(7, 0));
    for (int i = 0; i < kMusicInputCount; ++i) QueueWithProgress(BuildBlockPacket(0, kGroupMusic, i, 1, 1));
    for (int o = 0; o < kOutputCount; ++o)
        QueueWithProgress(BuildBlockPacket(0, kGroupOutput, o, 1, 1, refused.Errors()));
    m_Command.AddPacket(TransferMarker(0, 0));
    for (int n = 1; n <= kStoredPresetCount; ++n) {
        m_Command.AddPacket(TransferMarker(1, n));
        QueueWithProgress(BuildSystemPacket(0, n));
        for (int i = 0; i < kMusicInputCount; ++i) QueueWithProgress(BuildBlockPacket(n, kGroupMusic, i, 0, 1));
        for (int o = 0; o < kOutputCount; ++o) {
            const bool last = n == kStoredPresetCount && o == kOutputCount - 1;
            QueueWithProgress(BuildBlockPacket(n, kGroupOutput, o, 0, 1), last ? kNotifySent : kNotifyNone);
        }
        m_Command.AddPacket(TransferMarker(0, n));
    }
    g_SysBlock5[6] = masterOn;
    m_Command.AddPacket(BuildSystemPacket(2, 0));
    m_Command.AddPacket(BuildSystemPacket(5, 0));
    g_ParamSentFlag = 0;
    StartTransferWindow(true);
}

// ---------------------------------------------------------------------------
// Reading presets from the device
// ---------------------------------------------------------------------------

void CLumaraView::LoadDevicePreset(int preset) {
    // Edits made until the data is complete are not marked for sending.
    g_DeviceSynced = 0;
    if (!IsConnected()) {
        ShowConnectionFailure();
        return;
    }
    if (!ValidPreset(preset)) return;
    // Preset 0 is the connect sequence's read: its caller holds the lock and
    // the counter goes on from the initial reads.
    DeviceLockGuard lock(g_DeviceLock);
    g_ParamSentFlag = 0;
    g_SysBlock52[0] = static_cast<uint8_t>(preset);
    if (preset != 0) {
        m_TransferCount = 0;
        MuteOutputsForTransfer(0);
    }
    for (int i = 0; i < kMusicInputCount; ++i) QueueWithProgress(BuildBlockReadPacket(preset, kGroupMusic, i, 1, 1));
    for (int o = 0; o < kOutputCount; ++o) {
        const bool last = o == kOutputCount - 1;
        QueueWithProgress(BuildBlockReadPacket(preset, kGroupOutput, o, 1, 1), last ? kNotifyDone : kNotifyNone,
                          !last);
    }
    ResetTransferProgress();
    g_TransferRunning = 1;
    if (preset != 0) {
        QueueWithProgress(BuildSystemPacket(0, 0));
        MuteOutputsForTransfer(1);
        if (g_TransferDlg) g_TransferDlg->ShowTransfer(1);
    } else if (g_TransferDlg) {
        g_TransferDlg->ShowTransfer(0);
    }
    g_ParamSentFlag = 0;
}

bool CLumaraView::SaveAllDevicePresetsToFile() {
    if (!IsConnected()) {
        ShowConnectionFailure();
        return false;
    }
    if (!ChooseAllPresetsFile()) return false;
    DeviceLockGuard lock(g_DeviceLock);
    m_TransferCount = 0;
    for (int n = 1; n <= kStoredPresetCount; ++n) {
        for (int i = 0; i < kMusicInputCount; ++i) QueueWithProgress(BuildBlockReadPacket(n, kGroupMusic, i, 0, 1));
        for (int o = 0; o < kOutputCount; ++o) {
            const bool last = n == kStoredPresetCount && o == kOutputCount - 1;
            QueueWithProgress(BuildBlockReadPacket(n, kGroupOutput, o, 0, 1), last ? kNotifyDone : kNotifyNone);
        }
    }
    StartTransferWindow(true);
    return true;
}

bool CLumaraView::ChooseAllPresetsFile() {
    std::string& folder = m_ViewSettings.Folder(platform::ViewSettings::kAllPresetsFolder);
    m_ViewSettings.LoadFileFolder(platform::ViewSettings::kAllPresetsFolder);
    const QString ext = QString::fromUtf8(g_AllPresetsFileExt);
    QString path = QFileDialog::getSaveFileName(this, QString(), QString::fromStdString(folder),
                                                QStringLiteral("*.") + ext);
    if (path.isEmpty()) return false;
    folder = QDir::toNativeSeparators(QFileInfo(path).absolutePath()).toStdString();
    m_ViewSettings.SaveFileFolder(platform::ViewSettings::kAllPresetsFolder);
    if (QFileInfo(path).suffix() != ext) path += QLatin1Char('.') + ext;
    m_AllPresetsFilePath = path.toStdString();
    return true;
}

bool CLumaraView::WriteAllPresetsFile() {
    bool saved;
    {
        DeviceLockGuard lock(g_DeviceLock);
        saved = m_PresetJson.SaveAllPresetsFile(m_AllPresetsFilePath);
    }
    if (saved) return true;
    const int chinese = g_LanguageFlag.load() ? 1 : 0;
    ShowMessageBox(nullptr, kSaveAllPresetsErrorText.Pick(), g_ProductTitle, MB_OK, chinese, chinese ? -2 : -3);
    return false;
}

// ---------------------------------------------------------------------------
// One channel's block
// ---------------------------------------------------------------------------

// The channel goes off before its block and back on after it, through its own
// setter with the change mark cleared, so the poller sends nothing of its own.
void CLumaraView::SendInputChannelBlock(int input) {
    if (!IsConnected()) return;
    CTextFieldMessages refused;
    DeviceLockGuard lock(g_DeviceLock);
    CMusic_InData* in = m_Data->GetMusic(input);
    if (!in) return;
    MuteOutputsForTransfer(0);
    m_SavedOnOff = in->GetOn();
    in->SetOn(0);
    in->SetBasicDirty(0);
    m_Command.AddPacket(in->WriteBasicItem(1));
    refused.Add(in->WriteAllItems());
    m_Command.AddPacket(BuildBlockPacket(0, kGroupMusic, input, 1, 1));
    in->SetOn(m_SavedOnOff);
    in->SetBasicDirty(0);
    m_Command.AddPacket(in->WriteBasicItem(1));
    MuteOutputsForTransfer(1);
}

// Item 31 of the output with the output switched off; the value it had is kept.
void CLumaraView::QueueOutputOff(CKTV_OutData& out) {
    m_SavedOnOff = out.GetOutputOn();
    out.SetOutputOn(0);
    out.SetBasicDirty(0);
    m_Command.AddPacket(out.WriteBasicItem(1));
}

void CLumaraView::SendOutputBlockLocked(int output) {
    if (!IsConnected()) return;
    CTextFieldMessages refused;
    DeviceLockGuard lock(g_DeviceLock);
    CKTV_OutData* out = m_Data->GetOut(output);
    if (!out) return;
    QueueOutputOff(*out);
    out->WriteAllItems();
    m_Command.AddPacket(BuildBlockPacket(0, kGroupOutput, output, 1, 1, refused.Errors()));
    out->SetOutputOn(static_cast<uint8_t>(m_SavedOnOff));
    out->SetBasicDirty(0);
    m_Command.AddPacket(out->WriteBasicItem(1));
}

void CLumaraView::SendOutputBlock(int output) { SendOutputBlockLocked(output); }

void CLumaraView::SendOutputOffFrame(int output) {
    if (!IsConnected()) return;
    DeviceLockGuard lock(g_DeviceLock);
    CKTV_OutData* out = m_Data->GetOut(output);
    if (!out) return;
    QueueOutputOff(*out);
    // Back on in the model only: no packet, no mark.
    out->SetOutputOn(static_cast<uint8_t>(m_SavedOnOff));
    out->SetBasicDirty(0);
}
