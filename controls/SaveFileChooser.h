// A save dialog that asks before it replaces a file: the chosen name is
// completed with the request's default suffix, and when a file of that name
// exists the program's message box asks whether to replace it. After a No
// the dialog comes again, in the folder of the refused name.
#pragma once

#include "platform/FileChooser.h"

#include <optional>

namespace ctl {

// The path to write, or nothing when the user cancelled the dialog.
std::optional<QString> ChooseSaveFile(platform::FileRequest request);

} // namespace ctl
