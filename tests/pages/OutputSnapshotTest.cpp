// The output page drawn alone in both languages with the simulated device's
// data: pictures of the page area's size with their parts on them, the
// shared state left as it was, and the files written (into
// LUMARA_SNAPSHOT_DIR when it is set, to look at).
#include "tests/pages/OutputPageTestSupport.h"

#include "tools/screenshot/snapshots/OutputSnapshots.h"

#include <QDir>
#include <QTemporaryDir>

#include <set>

namespace {

using namespace pagetest;

// Distinct colours in a region: a blank or one-colour picture has one.
int Colours(const QImage& img, const QRect& r) {
    std::set<QRgb> seen;
    for (int y = r.top(); y <= r.bottom(); y += 2)
        for (int x = r.left(); x <= r.right(); x += 2)
            seen.insert(img.pixel(x, y));
    return static_cast<int>(seen.size());
}

class OutputSnapshotTest : public OutputPageTest {};

TEST_F(OutputSnapshotTest, ThePageWithTheDevicesDataInBothLanguages) {
    sim::SimDevice device;
    const std::vector<uint8_t> image = device.Image();
    CKTV_Data model;
    WithDeviceLock([&] { model.LoadFromImage(image.data(), 0); });
    g_LinkKey[5] = 9;
    g_CurrentOutput = 4;
    g_LanguageFlag = 1;
    QImage pictures[2];
    for (int language : {0, 1}) {
        pictures[language] = RenderOutputPageSnapshot(language, &model, 1);
        const QImage& img = pictures[language];
        ASSERT_EQ(img.size(), QSize(1275, 607));
        // The graph, the band columns and the left column all show something.
        EXPECT_GT(Colours(img, QRect(234, 11, 990, 305)), 20);
        EXPECT_GT(Colours(img, QRect(260, 338, 1010, 258)), 20);
        EXPECT_GT(Colours(img, QRect(8, 246, 215, 356)), 20);
    }
    EXPECT_NE(pictures[0], pictures[1]);
    EXPECT_EQ(g_LanguageFlag.load(), 1);
    EXPECT_EQ(g_CurrentOutput, 4);
    EXPECT_EQ(g_LinkKey[5], 9);

    QTemporaryDir temp;
    const QByteArray wanted = qgetenv("LUMARA_SNAPSHOT_DIR");
    const QString folder = wanted.isEmpty() ? temp.path() : QString::fromLocal8Bit(wanted);
    ASSERT_TRUE(SaveOutputPageSnapshots(folder, &model, 1));
    for (const char* name : {"output-page-en.png", "output-page-zh.png"})
        EXPECT_FALSE(QImage(QDir(folder).filePath(QString::fromLatin1(name))).isNull()) << name;
}

} // namespace
