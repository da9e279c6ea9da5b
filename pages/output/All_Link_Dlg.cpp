#include "pages/output/All_Link_Dlg.h"

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

CAll_Link_Dlg::Responder& ResponderSlot() {
    static CAll_Link_Dlg::Responder responder;
    return responder;
}

QRect Dlu(const QRect& r) {
    return platform::DluToPixels(r, platform::kArial9);
}

} // namespace

CAll_Link_Dlg::Responder CAll_Link_Dlg::SetResponder(Responder responder) {
    return std::exchange(ResponderSlot(), std::move(responder));
}

CAll_Link_Dlg::CAll_Link_Dlg(QWidget* parent) : QDialog(parent) {
    setFont(platform::TemplateQFont(platform::kArial9));
    setFixedSize(platform::DluToPixels(kSize, platform::kArial9));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("L/R Link"));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(g_DialogBkColor));
    setPalette(pal);
    setAutoFillBackground(true);

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

    connect(m_Ok, &QPushButton::clicked, this, &CAll_Link_Dlg::accept);
    connect(m_Cancel, &QPushButton::clicked, this, &CAll_Link_Dlg::reject);
    // A click of either radio button is taken at once.
    for (CButtonRadio* radio : {m_LeftToRight, m_RightToLeft})
        connect(radio, &QAbstractButton::clicked, this, [this] { TakeDirection(); });
}

void CAll_Link_Dlg::InitDialog() {
    if (g_LanguageFlag.load()) {
        m_Ok->setText(QStringLiteral("确定"));
        m_Cancel->setText(QStringLiteral("取消"));
        m_LeftToRight->setText(QStringLiteral("从左复制到右"));
        m_RightToLeft->setText(QStringLiteral("从右复制到左"));
        m_Note->setText(QStringLiteral("联调前需要同步左右通道的数据,\n请选择同步方式"));
    }
    setWindowTitle(QString::fromUtf8(g_PromptCaption.Pick()));
}

void CAll_Link_Dlg::TakeDirection() {
    m_Direction = m_RightToLeft->isChecked() ? 1 : 0;
}

void CAll_Link_Dlg::accept() {
    TakeDirection();
    QDialog::accept();
}

int CAll_Link_Dlg::DoModal() {
    InitDialog();
    if (ResponderSlot()) {
        const int answer = ResponderSlot()(*this);
        if (answer == IDOK) TakeDirection();
        return answer == IDOK ? IDOK : IDCANCEL;
    }
    return exec() == QDialog::Accepted ? IDOK : IDCANCEL;
}
