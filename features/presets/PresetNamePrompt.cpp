#include "features/presets/PresetNamePrompt.h"

#include "files/PresetNames.h"
#include "controls/TemplateDialog.h"
#include "controls/EditControls.h"
#include "model/DataDefine.h"
#include "model/Globals.h"

#include <QLabel>
#include <QPushButton>

namespace {

// Template 666 in dialog units of MS Sans Serif 8.
constexpr platform::TemplateFont kFont = platform::kMsSansSerif8;
const QSize kSize(135, 51);
const QRect kNamePlace(43, 7, 79, 13);
const QRect kOkPlace(10, 31, 50, 14);
const QRect kCancelPlace(75, 31, 50, 14);
const QRect kNumberPlace(4, 10, 38, 8);

} // namespace

CPresetNamePrompt::CPresetNamePrompt(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("Save_Programe to MCU"));
    SetUpTemplateDialog(*this, kFont, kSize);
    m_NameEdit = PlaceControl<CPresetNameEdit>(this, IDC_NAME, kNamePlace, kFont);
    m_Ok = PlaceButton(this, 1, kOkPlace, kFont, true);
    m_Cancel = PlaceButton(this, 2, kCancelPlace, kFont, false);
    m_NumberLabel = PlaceControl<QLabel>(this, IDC_NUMBER, kNumberPlace, kFont);
    connect(m_Ok, &QPushButton::clicked, this, &CPresetNamePrompt::accept);
    connect(m_Cancel, &QPushButton::clicked, this, &CPresetNamePrompt::reject);
}

void CPresetNamePrompt::showEvent(QShowEvent* event) {
    OnInitDialog();
    QDialog::showEvent(event);
}

void CPresetNamePrompt::OnInitDialog() {
    if (m_Initialised) return;
    m_Initialised = true;
    m_NameEdit->SetLimitText(kSceneNameBytes);
    m_NameEdit->EnableDbcsAlign(true);
    InitTexts();
}

void CPresetNamePrompt::InitTexts() {
    {
        const int n = m_Number >= 1 && m_Number <= kStoredPresetCount ? m_Number : 0;
        m_Name = n ? g_DeviceRecords.StoredPresetName(n) : std::string();
    }
    // A stored name may be longer than the field takes: it shows cut between characters.
    m_NameEdit->setText(QString::fromStdString(CutToGbkBytes(m_Name, kSceneNameBytes)));
    m_NameEdit->setFocus(Qt::OtherFocusReason);
    const bool cn = g_LanguageFlag.load() != 0;
    m_NumberLabel->setText((cn ? QStringLiteral("序号:") : QStringLiteral("No.")) +
                           QString::number(m_Number));
    m_Ok->setText(cn ? QStringLiteral("确定") : QStringLiteral("OK"));
    m_Cancel->setText(cn ? QStringLiteral("取消") : QStringLiteral("Cancel"));
    setWindowTitle(cn ? QStringLiteral("请输入场景名")
                      : QStringLiteral("Please enter the preset name"));
}

void CPresetNamePrompt::accept() {
    m_Name = m_NameEdit->text().toStdString();
    QDialog::accept();
}
