// Runs a dialog modally. Every modal dialog of the program goes through here
// (message boxes have their own seam), so that a test can play the user: while
// a script is installed, the dialog is shown without a modal loop, handed to
// the script, which types and clicks as the user would, and rejected if the
// script left it open.
#pragma once

#include <functional>

class QDialog;

namespace ctl {

using ModalScript = std::function<void(QDialog&)>;

// The dialog's result: QDialog::Accepted or Rejected, or what done() was given.
int RunModal(QDialog& dialog);

// Installs a script (empty: the user again); returns the previous one.
ModalScript SetModalScript(ModalScript script);

} // namespace ctl
