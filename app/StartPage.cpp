#include "app/StartPage.h"

#include "app/ShellMessages.h"
#include "controls/SkinButton.h"
#include "platform/DialogUnits.h"

#include <QPainter>

namespace {

// Template 227 (dialog units of Arial 10).
CSkinButton* SkinButton(QWidget* parent, int id, const QRect& dlu) {
    auto* b = new CSkinButton(parent, id);
    b->setObjectName(QString::number(id));
    b->setGeometry(platform::DluToPixels(dlu, platform::kArial10));
    return b;
}

} // namespace

CStartPage::CStartPage(QWidget* parent) : MessageTarget(parent) {
    resize(platform::DluToPixels(QSize(471, 237), platform::kArial10));
    m_LeftButton = SkinButton(this, 1837, QRect(170, 133, 50, 17));
    m_RightButton = SkinButton(this, 1781, QRect(346, 133, 46, 17));
}

LRESULT CStartPage::WindowProc(unsigned msg, WPARAM wParam, LPARAM) {
    if (msg != WM_COMMAND) return 0;
    switch (static_cast<int>(wParam & 0xFFFF)) {
    case 1781:
        MessageToFrame(window(), WM_COMMAND, ID_OPEN_MAIN_VIEW, false);
        break;
    case 1837:
        MessageToFrame(window(), WM_COMMAND, ID_OPEN_MAIN_VIEW2, false);
        break;
    default:
        break;
    }
    return 0;
}

void CStartPage::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, m_Background);
}
