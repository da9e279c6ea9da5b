#include "controls/ControlNotify.h"

#include <QVariant>
#include <QWidget>

namespace {
constexpr const char* kIdProperty = "lumaraControlId";
}

void SetControlId(QWidget* control, int id) {
    if (control) control->setProperty(kIdProperty, id);
}

int ControlId(const QWidget* control) {
    return control ? control->property(kIdProperty).toInt() : 0;
}

LRESULT SendCommand(QWidget* control, int code) {
    if (!control || !control->parentWidget()) return 0;
    return platform::SendMessage(control->parentWidget(), WM_COMMAND,
                                 CommandWParam(ControlId(control), code),
                                 reinterpret_cast<LPARAM>(control));
}
