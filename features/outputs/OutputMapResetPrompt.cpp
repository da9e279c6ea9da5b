#include "features/outputs/OutputMapResetPrompt.h"

#include "model/Globals.h"

#include <QLabel>
#include <QPushButton>

namespace {

// Template 711 in dialog units of Arial 8.
constexpr platform::TemplateFont kFont = platform::kArial8;
const QSize kSize(200, 66);
const QRect kTextPlace(10, 12, 180, 20);
const QRect kEmptyPlace(15, 42, 50, 15);
const QRect kDefaultPlace(75, 42, 50, 15);
const QRect kCancelPlace(135, 42, 50, 15);

} // namespace

COutputMapResetPrompt::COutputMapResetPrompt(QWidget* parent)
    : CSkinDialog(parent, kFont, kSize, Keys::Dialog) {
    m_Text = Place<QLabel>(IDC_TEXT, kTextPlace);
    m_Text->setAlignment(Qt::AlignCenter);
    m_Text->setWordWrap(true);
    m_Empty = PlaceButton(1, kEmptyPlace, true);
    m_Default = PlaceButton(IDC_DEFAULT, kDefaultPlace, false);
    m_Cancel = PlaceButton(2, kCancelPlace, false);
    connect(m_Empty, &QPushButton::clicked, this, [this] { Choose(kEmpty); });
    connect(m_Default, &QPushButton::clicked, this, [this] { Choose(kDefault); });
    connect(m_Cancel, &QPushButton::clicked, this, &COutputMapResetPrompt::reject);
}

void COutputMapResetPrompt::OnInitDialog() {
    m_Choice = kEmpty;
    const bool cn = g_LanguageFlag.load() != 0;
    setWindowTitle(QString::fromUtf8(g_PromptCaption.Pick()));
    m_Text->setText(cn ? QStringLiteral("输出配置清空或恢复默认")
                       : QStringLiteral("The output map emptied or restore default"));
    m_Empty->setText(cn ? QStringLiteral("清空") : QStringLiteral("Emptied"));
    m_Default->setText(cn ? QStringLiteral("默认") : QStringLiteral("Default"));
    m_Cancel->setText(cn ? QStringLiteral("取消") : QStringLiteral("Cancel"));
}

void COutputMapResetPrompt::Choose(int choice) {
    m_Choice = choice;
    done(choice == kCancel ? QDialog::Rejected : QDialog::Accepted);
}

void COutputMapResetPrompt::reject() {
    m_Choice = kCancel;
    QDialog::reject();
}
