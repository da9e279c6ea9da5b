// The program's one way to ask the user for a file name: every file dialog
// goes through the installed chooser, which is Qt's file dialog unless a test
// has put a scripted one in its place (it answers at once, without a window).
//
// A save dialog returns the name as the user gave it: completing it with the
// default suffix and asking before replacing an existing file are the
// caller's, so that the question is about the name that will be written.
#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace platform {

struct FileRequest {
    // Folder picks an existing folder (filter and suffix are not used).
    enum Kind { Open, Save, Folder };
    Kind kind = Open;
    QWidget* parent = nullptr;
    QString caption;       // the dialog's title (empty: Qt's own)
    QString folder;        // where the dialog starts
    QString filter;        // Qt's form: "*.jssh"
    QString defaultSuffix; // without the dot: "jssh"
};

class IFileChooser {
public:
    virtual ~IFileChooser() = default;
    // The chosen path, or nothing when the user cancelled.
    virtual std::optional<QString> Choose(const FileRequest& request) = 0;
};

// Qt's file dialog. Open takes an existing file only; Save takes any name in
// an existing folder and neither adds the suffix nor asks about replacing;
// Folder takes an existing folder.
class QtFileChooser : public IFileChooser {
public:
    std::optional<QString> Choose(const FileRequest& request) override;
};

// Asks the installed chooser (UI thread).
std::optional<QString> ChooseFile(const FileRequest& request);
// Installs a chooser (null: Qt's again); returns the one it replaces.
IFileChooser* SetFileChooser(IFileChooser* chooser);

// The name completed with the default suffix: ".suffix" is appended unless
// the name already ends in exactly that suffix ("a.txt" gives "a.txt.jssh",
// "a.JSSH" gives "a.JSSH.jssh").
QString CompleteFileName(const QString& path, const QString& suffix);

} // namespace platform
