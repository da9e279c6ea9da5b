#include "tools/screenshot/upgrade/UpgradeShots.h"

#include "link/DeviceSession.h"
#include "features/firmware/FirmwareUpdateDialog.h"
#include "model/Globals.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSet>

namespace {

// The path an update file has while it is shown.
constexpr char kShownPath[] = "/home/user/VELK-FV1.02.bin";

void Settle(int ms = 50) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

} // namespace

bool IsDrawn(const QImage& image) {
    if (image.isNull()) return false;
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3)
            colours.insert(image.pixel(x, y));
    return colours.size() > 8;
}

QImage PoseUpgradeDialog(CDeviceSession& session, platform::ViewSettings& settings,
                         UpgradeShot shot) {
    const std::string keptPath = g_HexFilePath;
    g_HexFilePath = kShownPath;
    QImage picture;
    {
        CFirmwareUpdateDialog dialog(session, settings);
        dialog.show();
        CUpdateDisplayPort& display = session.Firmware().Display();
        // The bar of a full file: a DSP image and a 64 KB controller part.
        const int total = 7329;
        switch (shot) {
        case UpgradeShot::Before:
            break;
        case UpgradeShot::During:
            display.SetRange(total);
            display.SetTip(g_ProgrammingText.Pick());
            display.SetPos(total * 2 / 5 + 17);
            break;
        case UpgradeShot::After:
            display.SetRange(total);
            display.SetTip(g_UpdateDoneText.Pick());
            display.SetPos(total);
            break;
        }
        Settle();
        picture = dialog.grab().toImage();
        display.SetTip(std::string());
        display.SetRange(100);
    }
    g_HexFilePath = keptPath;
    return picture;
}

QStringList WriteUpgradeDialogShots(CDeviceSession& session, platform::ViewSettings& settings,
                                    const QString& folder) {
    QDir().mkpath(folder);
    const int keptLanguage = g_LanguageFlag.load();
    QStringList written;
    const struct {
        UpgradeShot shot;
        const char* name;
    } shots[] = {{UpgradeShot::Before, "before"},
                 {UpgradeShot::During, "during"},
                 {UpgradeShot::After, "after"}};
    for (int language : {0, 1}) {
        g_LanguageFlag = language;
        for (const auto& s : shots) {
            const QString file = QDir(folder).filePath(
                QStringLiteral("upgrade-%1-%2.png").arg(s.name, language ? "zh" : "en"));
            const QImage picture = PoseUpgradeDialog(session, settings, s.shot);
            if (picture.isNull() || !picture.save(file)) {
                g_LanguageFlag = keptLanguage;
                return {};
            }
            written << file;
        }
    }
    g_LanguageFlag = keptLanguage;
    return written;
}
