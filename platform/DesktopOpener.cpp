#include "platform/DesktopOpener.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

#include <utility>

namespace platform {

namespace {

DesktopOpener& OpenerSlot() {
    static DesktopOpener opener; // UI thread; empty: the desktop's
    return opener;
}

// The desktop's handler is started without waiting for it, so a missing or
// unreadable file is found here rather than by the handler.
bool OpenWithDesktopServices(const QString& path) {
    const QFileInfo file(path);
    if (!file.isFile() || !file.isReadable()) return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(file.absoluteFilePath()));
}

} // namespace

bool OpenWithDesktop(const QString& path) {
    if (const DesktopOpener& opener = OpenerSlot()) return opener(path);
    return OpenWithDesktopServices(path);
}

DesktopOpener SetDesktopOpener(DesktopOpener opener) {
    return std::exchange(OpenerSlot(), std::move(opener));
}

} // namespace platform
