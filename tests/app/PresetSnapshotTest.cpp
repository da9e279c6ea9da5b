// The preset windows drawn to PNG in both languages with the simulated
// device's data: the files exist and show their windows at their sizes.
// LUMARA_SNAPSHOT_DIR keeps them in a folder of one's choice.
#include "tests/app/PresetTestSupport.h"

#include "app/PresetSnapshots.h"
#include "model/TextCodec.h"

#include <QDir>
#include <QImage>

#include <cstdlib>

namespace {

TEST_F(PresetTest, ThePresetWindowsAreDrawnToPngInBothLanguages) {
    const char* names[6] = {"Club", "", "中文名字测试一", "ABCDEFGHIJKLMN", "Evening", "Lounge"};
    for (int n = 1; n <= 6; ++n) {
        std::vector<uint8_t> field(16, 0);
        const std::string gbk = Utf8ToGbk(names[n - 1]).value();
        std::copy(gbk.begin(), gbk.end(), field.begin());
        device.SetStoredPresetBytes(n, 0, field);
    }
    StartConnected();
    // Names longer than the device's 13 bytes come from whole-device files;
    // scene 3 shows one broken into two lines.
    {
        DeviceLockGuard lock(g_DeviceLock);
        StringToField(g_PcPresets[2], 16, "中文名字测试一");
    }
    const char* chosen = std::getenv("LUMARA_SNAPSHOT_DIR");
    const QString folder =
        chosen && *chosen ? QString::fromUtf8(chosen) : dir.filePath(QStringLiteral("shots"));
    ASSERT_TRUE(SavePresetSnapshots(folder));
    const QDir out(folder);
    struct Want {
        const char* name;
        QSize size;
    };
    const Want wants[] = {{"scene-picker-load", QSize(460, 270)},
                          {"scene-picker-save", QSize(460, 270)},
                          {"lock-panel", QSize(1275, 607)},
                          {"name-prompt", QSize()},
                          {"password-lock", QSize()},
                          {"password-unlock", QSize()}};
    for (const char* lang : {"en", "zh"}) {
        for (const Want& w : wants) {
            SCOPED_TRACE(std::string(w.name) + "-" + lang);
            const QImage image(out.filePath(
                QStringLiteral("%1-%2.png").arg(QLatin1String(w.name), QLatin1String(lang))));
            ASSERT_FALSE(image.isNull());
            if (w.size.isValid()) {
                EXPECT_EQ(image.size(), w.size);
            }
        }
    }
    // The picker's captions are the device's names (in the picture they are
    // drawn; here the dialog is asked).
    CScenePickerDialog picker;
    picker.OnInitDialog();
    EXPECT_EQ(Captions(picker)[0], "Club");
    EXPECT_EQ(Captions(picker)[2], "中文名字测试\n一");
}

} // namespace
