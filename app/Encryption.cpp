#include "app/Encryption.h"

#include "model/Globals.h"
#include "platform/Skin.h"

#include <QPainter>

CEncryption::CEncryption(QWidget* parent) : CViewPage(parent) {
    setObjectName(QStringLiteral("1134"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

int CEncryption::PictureId() {
    return g_LanguageFlag.load() ? 1135 : 1136;
}

void CEncryption::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, skin::Pixmap(PictureId()));
}
