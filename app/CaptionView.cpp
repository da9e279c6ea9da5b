#include "app/CaptionView.h"

#include "app/PendingControls.h"
#include "app/ShellMessages.h"
#include "platform/DialogUnits.h"

#include <QPainter>

namespace {

QAbstractButton* SkinButton(QWidget* parent, int id, const QRect& dlu, WPARAM command) {
    auto* b = new CBitButton(parent);
    b->setObjectName(QString::number(id));
    b->setGeometry(platform::DluToPixels(dlu, platform::kArial10));
    QObject::connect(b, &QAbstractButton::clicked, parent,
                     [parent, command] { MessageToFrame(parent->window(), WM_COMMAND, command, false); });
    return b;
}

} // namespace

CCaptionView::CCaptionView(QWidget* parent) : QWidget(parent) {
    resize(platform::DluToPixels(QSize(471, 237), platform::kArial10));
    m_Button1837 = SkinButton(this, 1837, QRect(170, 133, 50, 17), ID_OPEN_MAIN_VIEW2);
    m_Button1781 = SkinButton(this, 1781, QRect(346, 133, 46, 17), ID_OPEN_MAIN_VIEW);
}

void CCaptionView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, m_Background);
}
