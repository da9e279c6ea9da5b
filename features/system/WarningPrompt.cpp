#include "features/system/WarningPrompt.h"

#include "controls/TemplateDialog.h"
#include "controls/StaticControls.h"
#include "model/Globals.h"

#include <QPushButton>

namespace {

// Template 676 in dialog units of Arial 8.
constexpr platform::TemplateFont kFont = platform::kArial8;
const QSize kSize(163, 63);
const QRect kOkPlace(57, 41, 50, 14);
const QRect kTextPlace(4, 1, 156, 37);

} // namespace

CWarningPrompt::CWarningPrompt(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("Lumara Software"));
    SetUpTemplateDialog(*this, kFont, kSize);
    m_Ok = PlaceButton(this, 1, kOkPlace, kFont, true);
    m_Ok->setText(QStringLiteral("OK"));
    m_Text = new CTransparentStatic(this, SS_CENTER | SS_CENTERIMAGE);
    m_Text->setObjectName(QString::number(IDC_MESSAGE));
    m_Text->setGeometry(platform::DluToPixels(kTextPlace, kFont));
    connect(m_Ok, &QPushButton::clicked, this, &QDialog::accept);
}

void CWarningPrompt::showEvent(QShowEvent* event) {
    OnInitDialog();
    QDialog::showEvent(event);
}

void CWarningPrompt::OnInitDialog() {
    if (m_Initialised) return;
    m_Initialised = true;
    m_Text->SetText(m_Message);
    setWindowTitle(g_LanguageFlag.load() ? QStringLiteral("退出") : QStringLiteral("Quit"));
}
