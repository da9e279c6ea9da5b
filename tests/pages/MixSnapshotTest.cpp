// The mix page alone in both languages: a picture of the page area's size
// with the page picture and the rows on it, the globals it poses left as they
// were, and the files written (into LUMARA_SNAPSHOT_DIR when it is set, to
// look at).
#include "tests/pages/MixPageTestSupport.h"

#include <QDir>
#include <QTemporaryDir>

namespace {

TEST_F(MixPageTest, ThePageAloneInBothLanguages) {
    g_LanguageFlag = 1;
    g_DeviceVariant = 1;
    g_CurrentOutput = 3;
    for (int language : {0, 1}) {
        SCOPED_TRACE(language);
        const QImage shot = RenderMixPageSnapshot(language, 1, 0, 2, data.get());
        ASSERT_EQ(shot.size(), MixPageSize());
        // The page picture of the language and the high-level rows: its
        // pixels where no control lies.
        const QImage picture = skin::Image(CMixPage::PagePicture(language, 1));
        EXPECT_EQ(shot.pixel(20, 50), picture.pixel(20, 50));
        // Output 0's source 1 at 100: the thumb stands at the track's far end.
        EXPECT_NE(shot.pixel(590, 90), picture.pixel(590, 90));
    }
    EXPECT_EQ(g_LanguageFlag.load(), 1);
    EXPECT_EQ(g_DeviceVariant.load(), 1);
    EXPECT_EQ(g_CurrentOutput, 3);
    EXPECT_EQ(WithDeviceLock([] { return g_DeviceRecords.Bytes().sources[0]; }), 1);

    QTemporaryDir temp;
    const QByteArray wanted = qgetenv("LUMARA_SNAPSHOT_DIR");
    const QString folder = wanted.isEmpty() ? temp.path() : QString::fromLocal8Bit(wanted);
    ASSERT_TRUE(SaveMixPageSnapshots(folder, data.get()));
    for (const char* name :
         {"mix-page-en.png", "mix-page-zh.png", "mix-page-aux-en.png", "mix-page-aux-zh.png"})
        EXPECT_FALSE(QImage(QDir(folder).filePath(QString::fromLatin1(name))).isNull()) << name;
}

} // namespace
