#include "features/outputs/JoinGroupDialog.h"

#include "controls/ControlNotify.h"
#include "controls/ModalDialog.h"
#include "controls/StaticControls.h"
#include "model/Globals.h"
#include "platform/DialogUnits.h"
#include "platform/UiGlobals.h"

#include <QPushButton>

namespace {

// Template 964, dialog units of Arial 9.
constexpr QSize kSize(160, 91);
constexpr QRect kPrompt(12, 10, 140, 22); // room for the English prompt on two lines
constexpr QRect kButtons[4] = {
    {12, 46, 28, 16}, {47, 46, 28, 16}, {82, 46, 28, 16}, {117, 46, 28, 16}};
constexpr int kButtonIds[4] = {CJoinGroupDialog::IDC_GROUP1, CJoinGroupDialog::IDC_GROUP2,
                               CJoinGroupDialog::IDC_GROUP3, CJoinGroupDialog::IDC_GROUP4};

} // namespace

CJoinGroupDialog::CJoinGroupDialog(QWidget* parent) : QDialog(parent) {
    ctl::SetUpTemplateDialog(*this, platform::kArial9, kSize, false);

    m_Prompt = new CTransparentStatic(this);
    SetControlId(m_Prompt, IDC_PROMPT);
    m_Prompt->setGeometry(platform::DluToPixels(kPrompt, platform::kArial9));
    for (int n = 1; n <= 4; ++n) {
        QPushButton* b = m_Buttons[n - 1] = new QPushButton(QString::number(n), this);
        b->setGeometry(platform::DluToPixels(kButtons[n - 1], platform::kArial9));
        SetControlId(b, kButtonIds[n - 1]);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, n] { Choose(n); });
    }
    m_Buttons[3]->setDefault(true);
}

void CJoinGroupDialog::InitDialog() {
    const bool cn = g_LanguageFlag.load() != 0;
    m_Result = 0;
    setWindowTitle(cn ? QStringLiteral("加入联调组") : QStringLiteral("Join Group"));
    m_Prompt->setText(cn ? QStringLiteral("请选择要加入的联调组:")
                         : QStringLiteral("Please select the group you want to join:"));
    for (int n = 0; n < 4; ++n)
        m_Buttons[n]->setEnabled(m_Enabled[n] != 0);
}

void CJoinGroupDialog::Choose(int n) {
    m_Result = n;
    accept();
}

int CJoinGroupDialog::DoModal() {
    InitDialog();
    return ctl::RunModal(*this) == QDialog::Accepted ? IDOK : IDCANCEL;
}
