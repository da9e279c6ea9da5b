// The main view's side of the device preset transfers: the transfer window
// the session opens and moves, and the whole-device file, chosen before the
// session reads the six stored presets and written when the last has arrived.
#include "app/DisplayDlg.h"
#include "app/LumaraView.h"
#include "controls/GradientProgressCtrl.h"
#include "controls/MessageBox.h"
#include "model/Globals.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace {

const BiText kSaveAllPresetsErrorText{"保存整机场景文件错误!", "Save all presets file error!"};

} // namespace

// ---------------------------------------------------------------------------
// The transfer window
// ---------------------------------------------------------------------------

void CLumaraView::ShowTransfer(int modal) {
    if (g_TransferDlg) g_TransferDlg->ShowTransfer(modal);
}

void CLumaraView::HideTransfer() {
    if (g_TransferDlg) g_TransferDlg->HideTransfer();
}

void CLumaraView::ShowPresetTransfer() {
    // The open device preset dialog, when the transfer comes from it, else this view, waits.
    ShowTransfer(g_PresetDlg ? 1 : 0);
}

void CLumaraView::ShowFactoryTransfer() {
    if (!g_TransferDlg) return;
    g_TransferDlg->SetFactoryMode();
    g_TransferDlg->ShowTransfer(1);
}

void CLumaraView::ResetTransferProgress(int count, bool viewBar) {
    if (viewBar) {
        m_Progress->SetRange(0, count);
        m_Progress->SetPos(0);
    }
    if (!g_TransferDlg) return;
    g_TransferDlg->Progress()->SetRange(0, count);
    g_TransferDlg->Progress()->SetPos(0);
}

// ---------------------------------------------------------------------------
// Transfers that pack the model's texts: the refusals are said after the
// session has released the lock.
// ---------------------------------------------------------------------------

void CLumaraView::SendPresetToDevice(int preset, bool fromModel) {
    CTextFieldMessages refused;
    m_Session.SendPresetToDevice(preset, fromModel, refused.Errors());
}

void CLumaraView::SendAllPresetsToDevice() {
    CTextFieldMessages refused;
    m_Session.SendAllPresetsToDevice(refused.Errors());
}

void CLumaraView::SendInputChannelBlock(int input) {
    CTextFieldMessages refused;
    m_Session.SendInputChannelBlock(input, refused.Errors());
}

void CLumaraView::SendOutputBlock(int output) {
    CTextFieldMessages refused;
    m_Session.SendOutputBlock(output, refused.Errors());
}

void CLumaraView::CopyOutputEq(int from, int to) {
    CTextFieldMessages refused;
    m_Session.CopyOutputEq(from, to, refused.Errors());
}

// ---------------------------------------------------------------------------
// The whole-device file
// ---------------------------------------------------------------------------

bool CLumaraView::SaveAllDevicePresetsToFile() {
    if (!IsConnected()) {
        ShowConnectionFailure();
        return false;
    }
    if (!ChooseAllPresetsFile()) return false;
    m_Session.ReadAllPresetsForFile();
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
