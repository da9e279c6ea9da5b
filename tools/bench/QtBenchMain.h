// The main of a benchmark that needs a user interface: Qt's offscreen
// platform unless the environment asks for another, the 96-dpi set-up, one
// QApplication, then the registered benchmarks.
#pragma once

#include "platform/Display.h"

#include <QApplication>

#include <benchmark/benchmark.h>

inline int RunQtBenchmarks(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    platform::PrepareDisplay();
    QApplication qt(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
