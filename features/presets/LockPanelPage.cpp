#include "features/presets/LockPanelPage.h"

#include "model/Globals.h"
#include "platform/Skin.h"

#include <QPainter>

CLockPanelPage::CLockPanelPage(QWidget* parent) : CViewPage(parent) {
    setObjectName(QStringLiteral("1134"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

int CLockPanelPage::PictureId() {
    return g_LanguageFlag.load() ? 1135 : 1136;
}

void CLockPanelPage::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, skin::Pixmap(PictureId()));
}
