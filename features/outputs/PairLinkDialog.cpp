#include "features/outputs/PairLinkDialog.h"

#include "controls/ButtonRadio.h"
#include "controls/ControlNotify.h"
#include "controls/ModalDialog.h"
#include "controls/StaticControls.h"
#include "model/Globals.h"
#include "platform/DialogUnits.h"
#include "platform/UiGlobals.h"

#include <QPushButton>

namespace {

// Template 370, dialog units of Arial 9.
constexpr QSize kSize(166, 96);
constexpr QRect kQuestion(12, 8, 146, 12);
constexpr QRect kFirst(30, 28, 120, 11);
constexpr QRect kSecond(30, 44, 120, 11);
constexpr QRect kOk(22, 70, 50, 14);
constexpr QRect kCancel(94, 70, 50, 14);

QRect Dlu(const QRect& r) {
    return platform::DluToPixels(r, platform::kArial9);
}

// The texts of each pair: first radio, second radio, caption.
struct PairTexts {
    const char* first;
    const char* second;
    const char* caption;
};
constexpr PairTexts kPairsEnglish[3] = {
    {"CH1 be applied?", "CH2 be applied? ", "Linking of CH1 and CH2 channel"},
    {"CH3 be applied? ", "CH4 be applied? ", "Linking of CH3 and CH4 channel"},
    {"CH5 be applied? ", "CH6 be applied? ", "Linking of CH5 and CH6 channel"},
};
constexpr PairTexts kPairsChinese[3] = {
    {"是否应用CH1?", "是否应用CH2?", "CH1与CH2通道联动"},
    {"是否应用CH3?", "是否应用CH4?", "CH3与CH4通道联动"},
    {"是否应用CH5?", "是否应用CH6?", "CH5与CH6通道联动"},
};

} // namespace

CPairLinkDialog::CPairLinkDialog(QWidget* parent) : QDialog(parent) {
    ctl::SetUpTemplateDialog(*this, platform::kArial9, kSize);

    m_Question = new CTransparentStatic(this);
    m_Question->setGeometry(Dlu(kQuestion));
    m_First = new CButtonRadio(this);
    SetControlId(m_First, IDC_FIRST);
    m_First->setGeometry(Dlu(kFirst));
    m_Second = new CButtonRadio(this);
    SetControlId(m_Second, IDC_SECOND);
    m_Second->setGeometry(Dlu(kSecond));
    m_Ok = new QPushButton(this);
    m_Ok->setGeometry(Dlu(kOk));
    m_Ok->setDefault(true);
    m_Cancel = new QPushButton(this);
    m_Cancel->setGeometry(Dlu(kCancel));
    m_Cancel->setAutoDefault(false);

    connect(m_Ok, &QPushButton::clicked, this, [this] {
        TakeChoice();
        accept();
    });
    connect(m_Cancel, &QPushButton::clicked, this, &QDialog::reject);
    for (CButtonRadio* radio : {m_First, m_Second})
        connect(radio, &QAbstractButton::clicked, this, [this] { TakeChoice(); });
}

void CPairLinkDialog::InitDialog() {
    const bool cn = g_LanguageFlag.load() != 0;
    // The template's texts, which a pair outside 0..2 keeps.
    setWindowTitle(cn ? QStringLiteral("联动") : QStringLiteral("Link"));
    m_Question->setText(cn ? QStringLiteral("应用哪个通道的数据? ")
                           : QStringLiteral("Which channel data should be applied? "));
    m_First->setText(cn ? QStringLiteral("是否应用第一个通道?")
                        : QStringLiteral("First channel be applied?"));
    m_Second->setText(cn ? QStringLiteral("是否应用第二个通道?")
                         : QStringLiteral("Second channel be applied?"));
    m_Ok->setText(cn ? QStringLiteral("确定") : QStringLiteral("OK"));
    m_Cancel->setText(cn ? QStringLiteral("取消") : QStringLiteral("Cancel"));
    if (m_Pair >= 0 && m_Pair < 3) {
        const PairTexts& t = (cn ? kPairsChinese : kPairsEnglish)[m_Pair];
        m_First->setText(QString::fromUtf8(t.first));
        m_Second->setText(QString::fromUtf8(t.second));
        setWindowTitle(QString::fromUtf8(t.caption));
    }
    // The controls from the choice.
    (m_Choice == 1 ? m_Second : m_First)->setChecked(true);
}

void CPairLinkDialog::TakeChoice() {
    m_Choice = m_Second->isChecked() ? 1 : 0;
}

int CPairLinkDialog::DoModal() {
    InitDialog();
    return ctl::RunModal(*this) == QDialog::Accepted ? IDOK : IDCANCEL;
}
