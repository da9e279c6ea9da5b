// A wrapper of the open and save file dialogs and of the folder browser, in
// the manner of the system's file-name structure: a file buffer that holds
// the chosen path (or, for a multiple selection, the folder and then each
// name, separated by zero characters and ended by two), the chosen file's
// title, and the chosen folder. Every dialog goes through the program's file
// chooser.
#pragma once

#include <QString>

class QWidget;

// File-dialog flags.
constexpr unsigned OFN_READONLY = 0x1;
constexpr unsigned OFN_OVERWRITEPROMPT = 0x2;
constexpr unsigned OFN_HIDEREADONLY = 0x4;
constexpr unsigned OFN_ALLOWMULTISELECT = 0x200;
constexpr unsigned OFN_PATHMUSTEXIST = 0x800;
constexpr unsigned OFN_FILEMUSTEXIST = 0x1000;
constexpr unsigned OFN_EXPLORER = 0x80000;

namespace ctl {

// A filter of description and pattern pairs ("Text (*.txt)|*.txt|All
// Files (*.*)|*.*||", the pairs separated by '|' or by zero characters) in
// Qt's form ("Text (*.txt);;All Files (*)"). "*.*" becomes "*".
QString QtFileFilter(const QString& windowsFilter);

} // namespace ctl

class CFileBrowseDialog {
public:
    // No position: the selection has no further file.
    static constexpr int kNoPosition = -1;

    CFileBrowseDialog();
    // fileBuffer: the caller's buffer, which also gives the dialog's
    // starting name; null uses the object's own.
    CFileBrowseDialog(bool open, const QString& defaultExt, QString* fileBuffer, unsigned flags,
                      const QString& filter, QWidget* parent = nullptr);
    virtual ~CFileBrowseDialog() = default;
    CFileBrowseDialog(const CFileBrowseDialog&) = delete;
    CFileBrowseDialog& operator=(const CFileBrowseDialog&) = delete;

    // IDOK (1) when a file was chosen, IDCANCEL (2) otherwise. A save
    // dialog with OFN_OVERWRITEPROMPT asks before an existing file is chosen.
    int DoModal();

    QString GetPathName() const;
    QString GetFileTitle() const { return fileTitle_; }
    // The name without its extension, the extension with its dot, the
    // folder with its closing separator, and the drive (none on this system).
    QString GetFileName() const;
    QString GetFileExt() const;
    QString GetFileDir() const;
    QString GetFileDrive() const;

    // Walks a selection: the first position, then each full path in turn.
    int GetStartPosition() const { return 0; }
    QString GetNextPathName(int& position) const;

    // The folder browser: IDOK (1) when a folder was chosen, else IDCANCEL (2).
    int SelectFolder(const QString& title, const QString& startFolder, unsigned browseFlags,
                     QWidget* parent);
    QString GetSelectedFolder() const { return folder_; }

    bool IsOpen() const { return open_; }
    unsigned Flags() const { return flags_; }

private:
    QString& Buffer() { return external_ ? *external_ : ownBuffer_; }
    const QString& Buffer() const { return external_ ? *external_ : ownBuffer_; }

    bool open_ = true;
    unsigned flags_ = 0;
    QString defaultExt_;
    QString filter_;
    QWidget* parent_ = nullptr;
    QString* external_ = nullptr;
    QString ownBuffer_;
    QString fileTitle_;
    QString folder_;
};
