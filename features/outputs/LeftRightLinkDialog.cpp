#include "features/outputs/LeftRightLinkDialog.h"

#include "controls/ModalDialog.h"
#include "controls/ButtonRadio.h"
#include "controls/StaticControls.h"
#include "model/Globals.h"
#include "platform/DialogUnits.h"
#include "platform/UiGlobals.h"

#include <QPushButton>

#include <utility>

namespace {

// Template 369, dialog units of Arial 9.
constexpr QSize kSize(183, 78);
constexpr QRect kOk(37, 56, 50, 14);
constexpr QRect kCancel(101, 56, 50, 14);
constexpr QRect kLeftToRight(58, 25, 91, 10);
constexpr QRect kRightToLeft(58, 39, 91, 10);
constexpr QRect kNote(8, 5, 170, 16);

CLeftRightLinkDialog::Responder& ResponderSlot() {
    static CLeftRightLinkDialog::Responder responder;
    return responder;
}

QRect Dlu(const QRect& r) {
    return platform::DluToPixels(r, platform::kArial9);
}

} // namespace

CLeftRightLinkDialog::Responder CLeftRightLinkDialog::SetResponder(Responder responder) {
    return std::exchange(ResponderSlot(), std::move(responder));
}

CLeftRightLinkDialog::CLeftRightLinkDialog(QWidget* parent) : QDialog(parent) {
    ctl::SetUpTemplateDialog(*this, platform::kArial9, kSize);
    setWindowTitle(QStringLiteral("L/R Link"));

    m_Ok = new QPushButton(QStringLiteral("OK"), this);
    m_Ok->setGeometry(Dlu(kOk));
    m_Ok->setDefault(true);
    m_Cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_Cancel->setGeometry(Dlu(kCancel));
    m_Cancel->setAutoDefault(false);
    m_LeftToRight = new CButtonRadio(QStringLiteral("Copy from left to right"), this);
    m_LeftToRight->setGeometry(Dlu(kLeftToRight));
    m_RightToLeft = new CButtonRadio(QStringLiteral("Copy from right to left "), this);
    m_RightToLeft->setGeometry(Dlu(kRightToLeft));
    m_Note = new CTransparentStatic(this);
    m_Note->setGeometry(Dlu(kNote));
    m_Note->setText(
        QStringLiteral("Need to synchronize the data transfer, \nplease select sync mode"));
    m_LeftToRight->setChecked(true);

    connect(m_Ok, &QPushButton::clicked, this, &CLeftRightLinkDialog::accept);
    connect(m_Cancel, &QPushButton::clicked, this, &CLeftRightLinkDialog::reject);
    // A click of either radio button is taken at once.
    for (CButtonRadio* radio : {m_LeftToRight, m_RightToLeft})
        connect(radio, &QAbstractButton::clicked, this, [this] { TakeDirection(); });
}

void CLeftRightLinkDialog::InitDialog() {
    if (g_LanguageFlag.load()) {
        m_Ok->setText(QStringLiteral("确定"));
        m_Cancel->setText(QStringLiteral("取消"));
        m_LeftToRight->setText(QStringLiteral("从左复制到右"));
        m_RightToLeft->setText(QStringLiteral("从右复制到左"));
        m_Note->setText(QStringLiteral("联调前需要同步左右通道的数据,\n请选择同步方式"));
    }
    setWindowTitle(QString::fromUtf8(g_PromptCaption.Pick()));
}

void CLeftRightLinkDialog::TakeDirection() {
    m_Direction = m_RightToLeft->isChecked() ? 1 : 0;
}

void CLeftRightLinkDialog::accept() {
    TakeDirection();
    QDialog::accept();
}

int CLeftRightLinkDialog::DoModal() {
    InitDialog();
    if (ResponderSlot()) {
        const int answer = ResponderSlot()(*this);
        if (answer == IDOK) TakeDirection();
        return answer == IDOK ? IDOK : IDCANCEL;
    }
    return exec() == QDialog::Accepted ? IDOK : IDCANCEL;
}
