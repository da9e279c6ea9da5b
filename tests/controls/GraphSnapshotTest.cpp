// Each graph alone in both languages: pictures of the right size with their
// parts on them, the shared link table and language left as they were, and
// the files written (into LUMARA_SNAPSHOT_DIR when it is set, to look at).
#include "tests/controls/GraphTestSupport.h"

#include "tools/screenshot/snapshots/GraphSnapshots.h"
#include "model/Globals.h"

#include <QDir>
#include <QTemporaryDir>

namespace {

class GraphSnapshotTest : public ::testing::Test {
protected:
    void SetUp() override { ResetModelState(); }
};

TEST_F(GraphSnapshotTest, EachGraphAloneInBothLanguages) {
    CKTV_Data model; // the program's own model and its link table
    g_LinkKey[4] = 7;
    g_LanguageFlag = 1;
    for (int language : {0, 1}) {
        const QImage eq = RenderEqCurveSnapshot(language, 4, 17);
        ASSERT_EQ(eq.size(), OutputGraphSize());
        // The orange curve and the red value label of the selected band.
        EXPECT_GT(graphtest::Count(eq, eq.rect(), graphtest::Exactly(QColor(234, 120, 0))), 500);
        EXPECT_GT(graphtest::Count(eq, eq.rect(), graphtest::Near(QColor(255, 0, 0), 40)), 50);
        const QImage input = RenderEqCurveSnapshot(language, 3);
        EXPECT_GT(graphtest::Count(input, input.rect(), graphtest::Near(QColor(234, 120, 0), 10)),
                  500);
        const QImage dyn = RenderDynamicsSnapshot(language, 1, 360, 200, 31);
        ASSERT_EQ(dyn.size(), DynamicsGraphSize());
        EXPECT_GT(graphtest::Count(dyn, dyn.rect(), graphtest::Near(QColor(0, 192, 0), 40)), 40);
        EXPECT_GT(graphtest::Count(dyn, dyn.rect(), graphtest::Exactly(QColor(255, 255, 0))), 4);
    }
    EXPECT_EQ(g_LanguageFlag.load(), 1);
    EXPECT_EQ(g_LinkKey[4], 7);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(g_LinkedOutData[i], model.GetOut(i)) << i;

    QTemporaryDir temp;
    const QByteArray wanted = qgetenv("LUMARA_SNAPSHOT_DIR");
    const QString folder = wanted.isEmpty() ? temp.path() : QString::fromLocal8Bit(wanted);
    ASSERT_TRUE(SaveGraphSnapshots(folder));
    for (const char* name : {"eq-curve-en.png", "eq-curve-zh.png", "eq-input-en.png",
                             "eq-input-zh.png", "dynamics-en.png", "dynamics-zh.png"})
        EXPECT_FALSE(QImage(QDir(folder).filePath(QString::fromLatin1(name))).isNull()) << name;
}

} // namespace
