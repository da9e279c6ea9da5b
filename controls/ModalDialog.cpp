#include "controls/ModalDialog.h"
#include "controls/TemplateDialog.h"

#include "platform/UiGlobals.h"

#include <QDialog>

#include <utility>

namespace ctl {

namespace {

ModalScript& Script() {
    static ModalScript script; // UI thread only
    return script;
}

} // namespace

int RunModal(QDialog& dialog) {
    if (!Script()) return dialog.exec();
    // The script may open further dialogs (which run the script again): it
    // is kept alive for the whole run even if one of them replaces it.
    const ModalScript script = Script();
    dialog.setResult(QDialog::Rejected);
    dialog.show();
    script(dialog);
    if (dialog.isVisible()) dialog.reject();
    return dialog.result();
}

ModalScript SetModalScript(ModalScript script) {
    return std::exchange(Script(), std::move(script));
}

void SetUpTemplateDialog(QDialog& dialog, const platform::TemplateFont& font, QSize units,
                         bool systemMenu) {
    ::SetUpTemplateDialog(dialog, font, units);
    Qt::WindowFlags flags = Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
    if (systemMenu) flags |= Qt::WindowSystemMenuHint;
    dialog.setWindowFlags(flags);
}

} // namespace ctl
