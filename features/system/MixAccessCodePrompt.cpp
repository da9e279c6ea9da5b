#include "features/system/MixAccessCodePrompt.h"

#include "controls/MessageBox.h"
#include "controls/StaticControls.h"
#include "model/Globals.h"
#include "platform/UiGlobals.h"

#include <QLineEdit>
#include <QPushButton>

namespace {

// Template 1312 in dialog units of Arial 8.
constexpr platform::TemplateFont kFont = platform::kArial8;
const QSize kSize(150, 66);
const QRect kPromptPlace(10, 8, 130, 12);
const QRect kEditPlace(35, 24, 80, 13);
const QRect kOkPlace(14, 45, 50, 14);
const QRect kCancelPlace(86, 45, 50, 14);

const BiText kLengthText{"输入密码格式不正确!请输入8位数密码!",
                         "The password length is incorrect! Please enter a 8-digit password!"};

} // namespace

CMixAccessCodePrompt::CMixAccessCodePrompt(QWidget* parent)
    : CSkinDialog(parent, kFont, kSize, Keys::Dialog) {
    m_Prompt = Place<CTransparentStatic>(IDC_PROMPT, kPromptPlace);
    m_Edit = Place<QLineEdit>(IDC_CODE, kEditPlace);
    m_Edit->setEchoMode(QLineEdit::Password);
    m_Edit->setAlignment(Qt::AlignCenter);
    m_Edit->setMaxLength(kCodeLength);
    m_Ok = PlaceButton(1, kOkPlace, true);
    m_Cancel = PlaceButton(IDC_CANCEL, kCancelPlace, false);
    connect(m_Ok, &QPushButton::clicked, this, &CMixAccessCodePrompt::OnOK);
    connect(m_Cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void CMixAccessCodePrompt::OnInitDialog() {
    const bool cn = g_LanguageFlag.load() != 0;
    for (QWidget* w : {static_cast<QWidget*>(this), static_cast<QWidget*>(m_Ok),
                       static_cast<QWidget*>(m_Cancel), static_cast<QWidget*>(m_Prompt)})
        w->setFont(g_FontDialog16);
    setWindowTitle(cn ? QStringLiteral("提示") : QStringLiteral("Prompted"));
    m_Ok->setText(cn ? QStringLiteral("确定") : QStringLiteral("OK"));
    m_Cancel->setText(cn ? QStringLiteral("取消") : QStringLiteral("Cancel"));
    m_Prompt->setText(cn ? QStringLiteral("请输入8位数密码:")
                         : QStringLiteral("Enter password(8-digit):"));
    m_Edit->setFocus(Qt::OtherFocusReason);
}

void CMixAccessCodePrompt::OnOK() {
    const QString text = m_Edit->text();
    if (text.size() == kCodeLength) {
        m_Entered = text;
        m_EntryGiven = true;
        accept();
        return;
    }
    CMessageBox::Show(QString::fromUtf8(kLengthText.Pick()), MB_OK, 2000, this);
    m_Edit->clear();
    m_Edit->setFocus(Qt::OtherFocusReason);
}
