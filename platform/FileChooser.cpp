#include "platform/FileChooser.h"

#include <QFileDialog>
#include <QFileInfo>

namespace platform {

namespace {

IFileChooser* g_Chooser = nullptr; // UI thread only; null: Qt's dialog

} // namespace

std::optional<QString> QtFileChooser::Choose(const FileRequest& request) {
    QFileDialog dialog(request.parent, request.caption, request.folder, request.filter);
    const bool save = request.kind == FileRequest::Save;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (request.kind == FileRequest::Folder) {
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
    } else {
        dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    }
    // The caller completes the name and asks about the completed one.
    if (save) dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first();
}

std::optional<QString> ChooseFile(const FileRequest& request) {
    if (g_Chooser) return g_Chooser->Choose(request);
    QtFileChooser qt;
    return qt.Choose(request);
}

IFileChooser* SetFileChooser(IFileChooser* chooser) {
    IFileChooser* previous = g_Chooser;
    g_Chooser = chooser;
    return previous;
}

QString CompleteFileName(const QString& path, const QString& suffix) {
    if (suffix.isEmpty() || QFileInfo(path).suffix() == suffix) return path;
    return path + QLatin1Char('.') + suffix;
}

} // namespace platform
