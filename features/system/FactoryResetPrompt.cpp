#include "features/system/FactoryResetPrompt.h"

#include "model/Globals.h"
#include "platform/UiGlobals.h"

#include <QLabel>
#include <QPushButton>

namespace {

// Template 1276 in dialog units of Arial 8.
constexpr platform::TemplateFont kFont = platform::kArial8;
const QSize kSize(230, 92);
const QRect kTitlePlace(10, 6, 210, 16);
const QRect kTextPlace(10, 28, 210, 30);
const QRect kOkPlace(45, 68, 60, 16);
const QRect kCancelPlace(125, 68, 60, 16);

} // namespace

CFactoryResetPrompt::CFactoryResetPrompt(QWidget* parent)
    : CSkinDialog(parent, kFont, kSize, Keys::Dialog) {
    m_Text = Place<QLabel>(IDC_TEXT, kTextPlace);
    m_Title = Place<QLabel>(IDC_TITLE, kTitlePlace);
    m_Ok = PlaceButton(1, kOkPlace, true);
    m_Cancel = PlaceButton(2, kCancelPlace, false);
    for (QLabel* label : {m_Text, m_Title}) {
        label->setAlignment(Qt::AlignCenter);
        label->setWordWrap(true);
    }
    connect(m_Ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_Cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void CFactoryResetPrompt::OnInitDialog() {
    setFont(g_FontBold16);
    m_Title->setFont(g_FontTitle24);
    // The title in red straight on the dialog's background.
    QPalette pal = m_Title->palette();
    pal.setColor(QPalette::WindowText, QColor(255, 0, 0));
    m_Title->setPalette(pal);
    const bool cn = g_LanguageFlag.load() != 0;
    m_Title->setText(cn ? QStringLiteral("警告!") : QStringLiteral("Warning! "));
    m_Text->setText(cn ? QStringLiteral("   该操作将引起设备重启并恢复到出厂时的状态")
                       : QStringLiteral("   This operation will restore factory Settings"));
    m_Ok->setText(cn ? QStringLiteral("确定") : QStringLiteral("OK"));
    m_Cancel->setText(cn ? QStringLiteral("取消") : QStringLiteral("Quit"));
    setWindowTitle(cn ? QStringLiteral("恢复出厂设置")
                      : QStringLiteral("Restore factory settings"));
}
