#include "platform/FileChooser.h"

#include <QFileDialog>

namespace platform {

namespace {

IFileChooser* g_Chooser = nullptr; // UI thread; null: Qt's own

} // namespace

std::optional<QString> QtFileChooser::Choose(const FileRequest& request) {
    QFileDialog dialog(request.parent, request.caption, request.folder, request.filter);
    dialog.setAcceptMode(request.kind == FileRequest::Save ? QFileDialog::AcceptSave
                                                           : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.kind == FileRequest::Save ? QFileDialog::AnyFile
                                                         : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(request.defaultSuffix);
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

} // namespace platform
