#include "controls/ColorMenu.h"

CColorMenu::CColorMenu(QWidget* parent) : QMenu(parent) {
    setStyleSheet(QStringLiteral("QMenu::item { min-width: %1px; }"
                                 "QMenu::item:selected { background: rgb(182, 189, 210);"
                                 " border: 1px solid rgb(10, 36, 106); }")
                      .arg(kItemWidth));
}
