// Opens a file with the desktop's handler for its kind (the help files). A
// test puts its own opener in place, so that nothing reaches the desktop.
#pragma once

#include <QString>

#include <functional>

namespace platform {

// Whether the desktop took the file; false for a file that is not there.
using DesktopOpener = std::function<bool(const QString& path)>;

// Asks the installed opener (UI thread).
bool OpenWithDesktop(const QString& path);
// Installs an opener (empty: the desktop's again); returns the one it replaces.
DesktopOpener SetDesktopOpener(DesktopOpener opener);

} // namespace platform
