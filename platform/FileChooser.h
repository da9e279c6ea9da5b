// The program's one way to ask the user for a file: every file dialog goes
// through the installed chooser, Qt's file dialog unless a test has put a
// scripted one in its place (which answers at once, without a window).
#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace platform {

struct FileRequest {
    enum Kind { Open, Save };
    Kind kind = Open;
    QWidget* parent = nullptr;
    QString caption;
    QString folder;        // the folder the dialog starts in
    QString filter;        // Qt's form: "Update file (*.bin)"
    QString defaultSuffix; // added to a name typed without one
};

class IFileChooser {
public:
    virtual ~IFileChooser() = default;
    // The chosen file's path, or nothing when the user cancelled.
    virtual std::optional<QString> Choose(const FileRequest& request) = 0;
};

// Qt's file dialog: an open dialog takes existing files only, a save dialog
// asks before it overwrites.
class QtFileChooser : public IFileChooser {
public:
    std::optional<QString> Choose(const FileRequest& request) override;
};

// Asks the installed chooser (UI thread).
std::optional<QString> ChooseFile(const FileRequest& request);
// Installs a chooser (null: Qt's again); returns the one it replaces.
IFileChooser* SetFileChooser(IFileChooser* chooser);

} // namespace platform
