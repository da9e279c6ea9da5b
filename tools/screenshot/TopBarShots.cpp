// Draws the windows of the main view's top bar with the simulated device's
// data, in both languages, into PNG files: the strips, the speaker-type
// popup, the master strip, the two source lists open and the L/R link
// question. The simulated device runs in this process on 127.0.0.1.
//
//   lumara-topbar-shots [FOLDER]     (default: shots)
#include "tools/screenshot/snapshots/TopBarSnapshots.h"
#include "platform/Display.h"
#include "tools/bench/ProgramOnSim.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    platform::PrepareDisplay();
    QApplication qt(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("shots");
    ProgramOnSim<> program;
    if (!program.Start() || !program.Connect()) {
        std::fprintf(stderr, "lumara-topbar-shots: %s\n", program.error.c_str());
        return 1;
    }
    if (!SaveTopBarSnapshots(*program.view, folder)) {
        std::fprintf(stderr, "lumara-topbar-shots: cannot write into %s\n", qPrintable(folder));
        return 1;
    }
    std::printf("%s\n", qPrintable(folder));
    return 0;
}
