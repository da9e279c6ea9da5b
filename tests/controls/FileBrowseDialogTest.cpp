// The file dialog wrapper: filters in Qt's form, what the dialog is asked
// and what it answers, the parts of the chosen path, walking a multiple
// selection, and the folder browser.
#include "controls/FileBrowseDialog.h"

#include "controls/MessageBox.h"
#include "tests/platform/ScriptedFileChooser.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(FileBrowseDialog, FiltersInQtsForm) {
    struct Case {
        QString windows;
        QString qt;
    };
    const Case cases[] = {
        {"Printer Files (*.prn)|*.prn|All Files (*.*)|*.*||",
         "Printer Files (*.prn);;All Files (*)"},
        {"Excel(*.xls)|*.xls||", "Excel(*.xls)"},
        {"Pictures|*.png;*.bmp||", "Pictures (*.png *.bmp)"},
        {QString::fromUtf8("Text (*.txt)\0*.txt\0\0", 20), "Text (*.txt)"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ctl::QtFileFilter(c.windows), c.qt) << c.windows.toStdString();
}

TEST(FileBrowseDialog, AsksTheChooserAndSplitsTheChosenPath) {
    ScriptedFileChooser chooser;
    QString buffer = QStringLiteral("/start/name.jssh");
    CFileBrowseDialog open(true, QStringLiteral("jssh"), &buffer, OFN_HIDEREADONLY,
                           QStringLiteral("Presets (*.jssh)|*.jssh||"));
    chooser.Answer(QStringLiteral("/home/user/presets/car.v2.jssh"));
    ASSERT_EQ(open.DoModal(), IDOK);
    ASSERT_EQ(chooser.requests.size(), 1u);
    EXPECT_EQ(chooser.requests[0].kind, platform::FileRequest::Open);
    EXPECT_EQ(chooser.requests[0].folder, QStringLiteral("/start/name.jssh"));
    EXPECT_EQ(chooser.requests[0].filter, QStringLiteral("Presets (*.jssh)"));
    EXPECT_EQ(open.GetPathName(), QStringLiteral("/home/user/presets/car.v2.jssh"));
    EXPECT_EQ(buffer, open.GetPathName()); // the caller's buffer holds it
    EXPECT_EQ(open.GetFileTitle(), QStringLiteral("car.v2.jssh"));
    EXPECT_EQ(open.GetFileName(), QStringLiteral("car.v2"));
    EXPECT_EQ(open.GetFileExt(), QStringLiteral(".jssh"));
    EXPECT_EQ(open.GetFileDir(), QStringLiteral("/home/user/presets/"));
    EXPECT_EQ(open.GetFileDrive(), QString());
    EXPECT_TRUE(open.Flags() & OFN_EXPLORER);

    chooser.Cancel();
    EXPECT_EQ(open.DoModal(), IDCANCEL);
    EXPECT_EQ(open.GetPathName(), QStringLiteral("/home/user/presets/car.v2.jssh"));
}

TEST(FileBrowseDialog, ASaveDialogCompletesTheNameAndAsksBeforeReplacing) {
    QTemporaryDir dir;
    QFile existing(dir.filePath(QStringLiteral("map.jssh")));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    ScriptedFileChooser chooser;
    chooser.Answer(dir.filePath(QStringLiteral("map")));
    chooser.Answer(dir.filePath(QStringLiteral("other")));
    int asked = 0;
    const auto previous = CMessageBox::SetResponder([&](const CMessageBox::Shown&) {
        ++asked;
        return CMessageBox::Action::Cancel; // No
    });
    CFileBrowseDialog save(false, QStringLiteral("jssh"), nullptr, OFN_OVERWRITEPROMPT,
                           QStringLiteral("Map|*.jssh||"));
    EXPECT_EQ(save.DoModal(), IDOK);
    CMessageBox::SetResponder(previous);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(save.GetPathName(), dir.filePath(QStringLiteral("other.jssh")));
    EXPECT_EQ(chooser.requests[1].folder, dir.path());
}

TEST(FileBrowseDialog, WalksAMultipleSelection) {
    struct Case {
        const char* name;
        QString buffer;
        unsigned flags;
        std::vector<QString> paths;
    };
    const QChar z(0);
    const Case cases[] = {
        {"folder and two names",
         "/music" + QString(z) + "a.jssh" + z + "b.jssh" + z + z,
         OFN_ALLOWMULTISELECT,
         {"/music/a.jssh", "/music/b.jssh"}},
        {"folder with its slash",
         "/music/" + QString(z) + "a.jssh" + z + "b.jssh" + z + z,
         OFN_ALLOWMULTISELECT,
         {"/music/a.jssh", "/music/b.jssh"}},
        {"one file chosen",
         "/music/a.jssh" + QString(z) + z,
         OFN_ALLOWMULTISELECT,
         {"/music/a.jssh"}},
        {"single selection", "/music/a.jssh" + QString(z) + "junk" + z + z, 0, {"/music/a.jssh"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QString buffer = c.buffer;
        CFileBrowseDialog dialog(true, QString(), &buffer, c.flags, QString());
        std::vector<QString> paths;
        int position = dialog.GetStartPosition();
        while (position != CFileBrowseDialog::kNoPosition && paths.size() < 10)
            paths.push_back(dialog.GetNextPathName(position));
        EXPECT_EQ(paths, c.paths);
    }
}

TEST(FileBrowseDialog, TheFolderBrowser) {
    ScriptedFileChooser chooser;
    CFileBrowseDialog dialog;
    EXPECT_TRUE(dialog.IsOpen());
    chooser.Answer(QStringLiteral("/home/user/music"));
    EXPECT_EQ(dialog.SelectFolder(QStringLiteral("Pick"), QStringLiteral("/home"), 0, nullptr),
              IDOK);
    EXPECT_EQ(dialog.GetSelectedFolder(), QStringLiteral("/home/user/music"));
    ASSERT_EQ(chooser.requests.size(), 1u);
    EXPECT_EQ(chooser.requests[0].kind, platform::FileRequest::Folder);
    EXPECT_EQ(chooser.requests[0].caption, QStringLiteral("Pick"));
    EXPECT_EQ(chooser.requests[0].folder, QStringLiteral("/home"));
    chooser.Cancel();
    EXPECT_EQ(dialog.SelectFolder(QString(), QString(), 0, nullptr), IDCANCEL);
    EXPECT_EQ(dialog.GetSelectedFolder(), QStringLiteral("/home/user/music"));
}

} // namespace
