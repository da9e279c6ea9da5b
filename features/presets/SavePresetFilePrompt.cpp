#include "features/presets/SavePresetFilePrompt.h"

#include "controls/TemplateDialog.h"
#include "model/Globals.h"

#include <QLabel>
#include <QPushButton>

namespace {

// Template 719 in dialog units of Arial 9.
constexpr platform::TemplateFont kFont = platform::kArial9;
const QSize kSize(183, 78);
const QRect kYesPlace(9, 56, 50, 14);
const QRect kNoPlace(67, 56, 50, 14);
const QRect kCancelPlace(125, 56, 50, 14);
const QRect kQuestionPlace(1, 30, 180, 16);

} // namespace

CSavePresetFilePrompt::CSavePresetFilePrompt(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("Lumara-Exiting Application"));
    SetUpTemplateDialog(*this, kFont, kSize);
    m_Yes = PlaceButton(this, 1, kYesPlace, kFont, true);
    m_No = PlaceButton(this, IDC_NO, kNoPlace, kFont, false);
    m_Cancel = PlaceButton(this, 2, kCancelPlace, kFont, false);
    m_Question = PlaceControl<QLabel>(this, IDC_QUESTION, kQuestionPlace, kFont);
    m_Question->setAlignment(Qt::AlignCenter);
    connect(m_Yes, &QPushButton::clicked, this, &CSavePresetFilePrompt::accept);
    connect(m_No, &QPushButton::clicked, this, &CSavePresetFilePrompt::OnNo);
    connect(m_Cancel, &QPushButton::clicked, this, &CSavePresetFilePrompt::reject);
}

void CSavePresetFilePrompt::showEvent(QShowEvent* event) {
    OnInitDialog();
    QDialog::showEvent(event);
}

void CSavePresetFilePrompt::OnInitDialog() {
    if (m_Initialised) return;
    m_Initialised = true;
    const bool cn = g_LanguageFlag.load() != 0;
    m_Yes->setText(cn ? QStringLiteral("是") : QStringLiteral("YES"));
    m_Cancel->setText(cn ? QStringLiteral("取消") : QStringLiteral("Cancel"));
    m_No->setText(cn ? QStringLiteral("否") : QStringLiteral("NO"));
    m_Question->setText(cn ? QStringLiteral("是否保存当前场景文件?")
                           : QStringLiteral("Whether to save the current Presets file?"));
    setWindowTitle(QString::fromUtf8(g_PromptCaption.Pick()));
    m_Result = kNotAnswered;
}

void CSavePresetFilePrompt::accept() {
    m_Result = kYes;
    QDialog::accept();
}

void CSavePresetFilePrompt::OnNo() {
    m_Result = kNo;
    QDialog::reject();
}

void CSavePresetFilePrompt::reject() {
    m_Result = kCancel;
    QDialog::reject();
}
