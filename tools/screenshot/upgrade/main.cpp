// lumara-upgrade-shots FOLDER: pictures of the firmware update dialog
// before, during and after an update, in English and Chinese, drawn
// offscreen (no device, no display needed). Fails when a picture is blank.
#include "tools/screenshot/upgrade/UpgradeShots.h"

#include "link/DeviceSession.h"
#include "model/DataDefine.h"
#include "model/KTV_Data.h"
#include "platform/Display.h"
#include "platform/Settings.h"
#include "platform/UiGlobals.h"
#include "tools/sim/Offline.h"
#include "tools/sim/SimServer.h"

#include <QApplication>
#include <QImage>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// Nothing on USB and no network: the dialog is only posed.
class NoView : public IViewNotify {
public:
    void Post(unsigned, WPARAM, LPARAM) override {}
    LRESULT Send(unsigned, WPARAM, LPARAM) override { return 0; }
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: lumara-upgrade-shots FOLDER\n");
        return 2;
    }
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    platform::PrepareDisplay();
    QApplication app(argc, argv);
    InitParamModel();
    InitUiGlobals();
    QTemporaryDir home;
    platform::SettingsStore store(home.filePath(QStringLiteral("lumara.ini")));
    platform::ViewSettings settings(store, home.path());
    sim::SimHidBackend hid; // nothing plugged
    sim::NoAdapters adapters;
    sim::NoPinger pinger;
    NoView view;
    CMemorySettingsGroup marks;
    const LinkEnvironment env = sim::ToolEnvironment(hid, adapters, pinger);
    CKTV_Data data;
    CDeviceSession session(
        data, marks, view, [] {}, env);
    const QStringList files =
        WriteUpgradeDialogShots(session, settings, QString::fromLocal8Bit(argv[1]));
    if (files.isEmpty()) {
        std::fprintf(stderr, "lumara-upgrade-shots: the pictures could not be written\n");
        return 1;
    }
    int blank = 0;
    for (const QString& f : files) {
        const bool drawn = IsDrawn(QImage(f));
        blank += !drawn;
        std::printf("%s%s\n", qPrintable(f), drawn ? "" : "  (blank)");
    }
    return blank ? 1 : 0;
}
