// The language switch of the whole main window at run time: the view's
// re-skin (its buttons, lists, menus, strips, level bar and pages) and the
// repaint of the window that follows, on Qt's offscreen platform, without a
// device (nothing leaves the machine).
#include "app/LumaraApp.h"
#include "app/LumaraView.h"
#include "app/MainWindow.h"
#include "model/Globals.h"
#include "tools/bench/QtBenchMain.h"
#include "tools/sim/Offline.h"
#include "tools/sim/SimServer.h"

#include <QTemporaryDir>

namespace {

void BM_LanguageSwitchOfTheWholeWindow(benchmark::State& state) {
    QTemporaryDir settings;
    sim::SimHidBackend hid; // nothing plugged
    sim::NoAdapters adapters;
    sim::NoPinger pinger;
    CLumaraApp app;
    app.m_SettingsPath = settings.filePath(QStringLiteral("lumara.ini"));
    app.m_LinkEnvironment = sim::ToolEnvironment(hid, adapters, pinger);
    if (!app.InitInstance({}) || !g_ActiveView) {
        state.SkipWithError("the program did not start");
        return;
    }
    QWidget* window = app.MainFrame();
    window->show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        g_ActiveView->SwitchLanguage(true);
        window->repaint();
    }
    state.counters["language"] = g_LanguageFlag.load();
    app.ExitInstance();
}
BENCHMARK(BM_LanguageSwitchOfTheWholeWindow)->Unit(benchmark::kMillisecond)->MinTime(1.0);

} // namespace

int main(int argc, char** argv) {
    return RunQtBenchmarks(argc, argv);
}
