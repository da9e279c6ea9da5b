#include "platform/Display.h"

#include <QByteArray>
#include <QtGlobal>

namespace platform {

void PrepareDisplay() {
    if (!qEnvironmentVariableIsSet("QT_ENABLE_HIGHDPI_SCALING"))
        qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    if (!qEnvironmentVariableIsSet("QT_FONT_DPI"))
        qputenv("QT_FONT_DPI", QByteArray::number(kScreenDpi));
}

} // namespace platform
