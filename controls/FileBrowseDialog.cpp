#include "controls/FileBrowseDialog.h"

#include "controls/MessageBox.h"
#include "controls/SaveFileChooser.h"
#include "platform/FileChooser.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

namespace ctl {

QString QtFileFilter(const QString& windowsFilter) {
    QString text = windowsFilter;
    text.replace(QChar(0), QLatin1Char('|'));
    const QStringList parts = text.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        if (description.isEmpty()) break; // the closing empty pair
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& p : patterns) {
            p = p.trimmed();
            if (p == QLatin1String("*.*")) p = QStringLiteral("*");
        }
        const QString joined = patterns.join(QLatin1Char(' '));
        // Qt reads the patterns from the parentheses that end a description.
        static const QRegularExpression kTrailing(QStringLiteral("\\s*\\(([^()]*)\\)\\s*$"));
        const QRegularExpressionMatch m = kTrailing.match(description);
        if (m.hasMatch() && m.captured(1).trimmed() == joined) {
            filters << description;
            continue;
        }
        if (m.hasMatch()) description = description.left(m.capturedStart()).trimmed();
        filters << description + QStringLiteral(" (") + joined + QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

} // namespace ctl

CFileBrowseDialog::CFileBrowseDialog() = default;

CFileBrowseDialog::CFileBrowseDialog(bool open, const QString& defaultExt, QString* fileBuffer,
                                     unsigned flags, const QString& filter, QWidget* parent)
    : open_(open), flags_(flags | OFN_EXPLORER), defaultExt_(defaultExt), filter_(filter),
      parent_(parent), external_(fileBuffer) {}

int CFileBrowseDialog::DoModal() {
    platform::FileRequest request;
    request.kind = open_ ? platform::FileRequest::Open : platform::FileRequest::Save;
    request.parent = parent_;
    request.folder = GetPathName();
    request.filter = ctl::QtFileFilter(filter_);
    request.defaultSuffix = defaultExt_;
    std::optional<QString> chosen;
    if (!open_ && (flags_ & OFN_OVERWRITEPROMPT)) {
        chosen = ctl::ChooseSaveFile(request);
    } else {
        chosen = platform::ChooseFile(request);
        if (chosen && !open_) *chosen = platform::CompleteFileName(*chosen, defaultExt_);
    }
    if (!chosen) return IDCANCEL;
    Buffer() = *chosen;
    fileTitle_ = QFileInfo(*chosen).fileName();
    return IDOK;
}

QString CFileBrowseDialog::GetPathName() const {
    const QString& buffer = Buffer();
    const int end = buffer.indexOf(QChar(0));
    return end < 0 ? buffer : buffer.left(end);
}

QString CFileBrowseDialog::GetFileName() const {
    return QFileInfo(GetPathName()).completeBaseName();
}

QString CFileBrowseDialog::GetFileExt() const {
    const QString suffix = QFileInfo(GetPathName()).suffix();
    return suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix;
}

QString CFileBrowseDialog::GetFileDir() const {
    const QString path = GetPathName();
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : path.left(slash + 1);
}

QString CFileBrowseDialog::GetFileDrive() const {
    return QString();
}

QString CFileBrowseDialog::GetNextPathName(int& position) const {
    const QString& buffer = Buffer();
    const bool explorer = (flags_ & OFN_EXPLORER) != 0;
    const QChar delimiter = explorer ? QChar(0) : QLatin1Char(' ');
    const auto at = [&buffer](int i) { return i < buffer.size() ? buffer[i] : QChar(0); };
    int p = position;
    if (p < 0) return QString();
    if (p == GetStartPosition()) {
        if (!(flags_ & OFN_ALLOWMULTISELECT)) {
            position = kNoPosition;
            return GetPathName();
        }
        while (at(p) != delimiter && at(p) != QChar(0))
            ++p;
        ++p;
        // A single selection: the buffer holds the one path.
        if (at(p) == QChar(0)) {
            position = kNoPosition;
            return GetPathName();
        }
    }
    // The first entry is the folder.
    QString folder = GetPathName();
    if (!explorer) folder = folder.left(folder.indexOf(delimiter));
    const int nameStart = p;
    while (at(p) != delimiter && at(p) != QChar(0))
        ++p;
    const QString name = buffer.mid(nameStart, p - nameStart);
    if (!explorer && at(p) == QChar(0)) {
        position = kNoPosition;
    } else {
        ++p;
        position = at(p) == QChar(0) ? kNoPosition : p;
    }
    if (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

int CFileBrowseDialog::SelectFolder(const QString& title, const QString& startFolder, unsigned,
                                    QWidget* parent) {
    platform::FileRequest request;
    request.kind = platform::FileRequest::Folder;
    request.parent = parent;
    request.caption = title;
    request.folder = startFolder;
    const std::optional<QString> chosen = platform::ChooseFile(request);
    if (!chosen || chosen->isEmpty()) return IDCANCEL;
    folder_ = *chosen;
    return IDOK;
}
