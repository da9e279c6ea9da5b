#include "features/presets/LockPasswordDialog.h"

#include "controls/MessageBox.h"
#include "controls/StaticControls.h"
#include "controls/TemplateDialog.h"
#include "model/Globals.h"

#include <QLineEdit>
#include <QPushButton>

namespace {

// Template 1133 in dialog units of MS Sans Serif 8.
constexpr platform::TemplateFont kFont = platform::kMsSansSerif8;
const QSize kSize(150, 74);
const QRect kPromptPlace(10, 8, 130, 12);
const QRect kEditPlace(35, 24, 80, 14);
const QRect kOkPlace(14, 50, 50, 14);
const QRect kSecondPlace(86, 50, 50, 14);

const BiText kFormatText{"输入格式异常,请输入6位数密码!",
                         "The password error, Please enter a 6-digit password!"};

} // namespace

CLockPasswordDialog::CLockPasswordDialog(int mode, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_Mode(mode == kUnlock ? kUnlock : kLock) {
    SetUpTemplateDialog(*this, kFont, kSize);
    m_Prompt = PlaceControl<CTransparentStatic>(this, IDC_PROMPT, kPromptPlace, kFont);
    m_Edit = PlaceControl<QLineEdit>(this, IDC_PASSWORD, kEditPlace, kFont);
    m_Edit->setEchoMode(QLineEdit::Password);
    m_Edit->setAlignment(Qt::AlignCenter);
    m_Edit->setMaxLength(kPasswordLength);
    m_Ok = PlaceButton(this, 1, kOkPlace, kFont, true);
    m_Second = PlaceButton(this, IDC_SECOND, kSecondPlace, kFont, false);
    connect(m_Ok, &QPushButton::clicked, this, &CLockPasswordDialog::OnOK);
    connect(m_Second, &QPushButton::clicked, this, &CLockPasswordDialog::OnResetOrCancel);
}

void CLockPasswordDialog::showEvent(QShowEvent* event) {
    OnInitDialog();
    QDialog::showEvent(event);
}

void CLockPasswordDialog::OnInitDialog() {
    if (m_Initialised) return;
    m_Initialised = true;
    const bool cn = g_LanguageFlag.load() != 0;
    const bool unlock = m_Mode == kUnlock;
    setWindowTitle(cn ? QStringLiteral("提示") : QStringLiteral("Prompted"));
    m_Ok->setText(cn ? QStringLiteral("确定")
                     : (unlock ? QStringLiteral("Unlock") : QStringLiteral("OK")));
    if (cn)
        m_Second->setText(unlock ? QStringLiteral("清除数据") : QStringLiteral("取消"));
    else
        m_Second->setText(unlock ? QStringLiteral("reset") : QStringLiteral("Cancel"));
    m_Prompt->setText(cn ? QStringLiteral("请输入6位数密码:")
                         : QStringLiteral("Enter password(6-digit):"));
    m_Entered.clear();
    m_EntryGiven = false;
    m_ResetRequested = false;
    m_Edit->setFocus(Qt::OtherFocusReason);
}

bool CLockPasswordDialog::IsValidPassword(const std::string& text) {
    if (text.size() != static_cast<size_t>(kPasswordLength)) return false;
    for (const char c : text)
        if (c < ' ' || c > '~') return false;
    return true;
}

void CLockPasswordDialog::OnOK() {
    const std::string text = m_Edit->text().toStdString();
    if (IsValidPassword(text)) {
        m_Entered = text;
        m_EntryGiven = true;
        accept();
        return;
    }
    CMessageBox::Show(QString::fromUtf8(kFormatText.Pick()), MB_OK, 2000, this);
    m_Edit->clear();
    m_Edit->setFocus(Qt::OtherFocusReason);
}

void CLockPasswordDialog::OnResetOrCancel() {
    if (g_StateFlags[kFlagDataLocked].load() == 1 && g_StateFlags[kFlagLockButtonPressed].load())
        m_ResetRequested = true;
    reject();
}
