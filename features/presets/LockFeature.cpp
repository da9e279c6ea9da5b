#include "features/presets/LockFeature.h"

#include "controls/BitButton.h"
#include "features/presets/LockPasswordDialog.h"
#include "controls/MessageBox.h"
#include "controls/ModalDialog.h"
#include "model/DataDefine.h"
#include "model/Globals.h"
#include "model/KTV_Data.h"
#include "model/KTV_OutData.h"
#include "model/TextCodec.h"

#include <cstring>

namespace {

const BiText kWrongPasswordText{
    "输入密码与加密文件密码不匹配!",
    "Password and enter the password to encrypt the file does not match!"};
constexpr uint8_t kLockedMark = 0x21;
constexpr uint8_t kUnlockedMark = 0x20;

// Every output block takes the marker, and every output's name item (which
// carries it) is marked for the send poller.
void MarkOutputs(CKTV_Data& data, uint8_t mark) REQUIRES(g_DeviceLock) {
    for (int o = 0; o < kOutputCount; ++o) {
        OutputBlock(o)[kOutLockMarkByte] = mark;
        if (CKTV_OutData* out = data.GetOut(o)) out->SetNameDirty(1);
    }
}

// The password of the data in hand: the six bytes of output 0 as stored, up
// to the first zero, so that the six characters the user typed compare
// equal. Bytes that are not ASCII (data from elsewhere) are read as GBK; no
// entry can match them and only a reset opens such a lock.
std::string StoredLockPassword() REQUIRES(g_DeviceLock) {
    const uint8_t* field = OutputBlock(0) + kOutPasswordOffset;
    std::string bytes;
    for (int i = 0; i < CLockPasswordDialog::kPasswordLength && field[i] != 0; ++i)
        bytes += static_cast<char>(field[i]);
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) return GbkToUtf8(bytes);
    return bytes;
}

} // namespace

CLockFeature::CLockFeature(ILockHost& host, CKTV_Data& data) : m_Host(host), m_Data(data) {}

void CLockFeature::RefreshFromImage() {
    DeviceLockGuard lock(g_DeviceLock);
    if (IsAnyOutputLocked()) {
        g_LockPassword = StoredLockPassword();
        g_StateFlags[kFlagDataLocked] = 1;
    } else {
        g_StateFlags[kFlagDataLocked] = 0;
    }
}

void CLockFeature::OnLockButton() {
    g_StateFlags[kFlagLockButtonPressed] = 1;
    LockOrUnlock(m_Button->GetCheck() == 0);
}

void CLockFeature::LockOrUnlock(bool lock) {
    CLockPasswordDialog dialog(lock ? CLockPasswordDialog::kLock : CLockPasswordDialog::kUnlock,
                               m_Host.DialogParent());
    const bool ok = ctl::RunModal(dialog) == QDialog::Accepted && dialog.EntryGiven();
    if (lock) {
        if (ok) LockData(dialog.Entered());
        return;
    }
    if (ok) {
        if (dialog.Entered() != g_LockPassword) {
            ShowMessageBox(nullptr, kWrongPasswordText.Pick(), g_ProductTitle, MB_OK,
                           g_LanguageFlag.load(), 2000);
            return;
        }
        UnlockData();
        return;
    }
    // Cancel and the close box change nothing.
    if (dialog.ResetRequested()) ResetLockedData();
}

void CLockFeature::LockData(const std::string& password) {
    {
        DeviceLockGuard lock(g_DeviceLock);
        g_LockPassword = password;
        std::memcpy(OutputBlock(0) + kOutPasswordOffset, password.data(),
                    std::min<size_t>(password.size(), CLockPasswordDialog::kPasswordLength));
        g_StateFlags[kFlagDataLocked] = 1;
        g_StateFlags[kFlagDataUnlocked] = 0;
        MarkOutputs(m_Data, kLockedMark);
    }
    m_Host.ShowPagesForLockState();
}

void CLockFeature::UnlockData() {
    {
        DeviceLockGuard lock(g_DeviceLock);
        g_StateFlags[kFlagDataLocked] = 0;
        g_StateFlags[kFlagDataUnlocked] = 1;
        MarkOutputs(m_Data, kUnlockedMark);
    }
    m_Host.RefreshAllPages();
    m_Host.ShowPagesForLockState();
    m_Host.RepaintView();
}

// The outputs go back to their factory blocks, which carry no marker; the
// old password stays in hand but nothing compares against it any more.
void CLockFeature::ResetLockedData() {
    g_StateFlags[kFlagDataLocked] = 0;
    g_StateFlags[kFlagDataUnlocked] = 0;
    {
        DeviceLockGuard lock(g_DeviceLock);
        for (int o = 0; o < kOutputCount; ++o)
            std::memcpy(OutputBlock(o), DefaultOutputBlock(o), kOutputBlockSize);
        FixTweeterCrossovers();
    }
    m_Data.LoadFromImage(g_ParamImage, -1);
    m_Host.RebuildLinks();
    m_Host.SendPresetToDevice(0, false);
    m_Host.RefreshAllPages();
    m_Host.ShowPagesForLockState();
    m_Host.RepaintView();
}

void CLockFeature::OnStateAfterFileLoad() {
    RefreshFromImage();
    m_Host.ShowPagesForLockState();
    m_Host.RefreshAllPages();
    m_Host.RepaintView();
    m_Button->SetCheck(g_StateFlags[kFlagDataLocked].load() ? 1 : 0);
}
