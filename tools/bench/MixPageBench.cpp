// The mix page on Qt's offscreen platform: a refresh that loads another
// output's 18 levels into every row (the target: under 5 ms), and the same
// refresh with the repaint it causes, and the page's set-up.
#include "model/DataDefine.h"
#include "model/Globals.h"
#include "model/KTV_Data.h"
#include "model/KTV_OutData.h"
#include "model/ModelLock.h"
#include "pages/input/MixPage.h"
#include "pages/input/MixSnapshots.h"
#include "platform/UiGlobals.h"
#include "tools/bench/QtBenchMain.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {

// The page shown over the default model; outputs 0 and 1 hold different
// levels on every row, so each refresh changes every control.
struct MixPage {
    MixPage() {
        InitParamModel();
        CreateSharedFonts();
        WithDeviceLock([&] {
            model.LoadFromImage(g_ParamImage, -1);
            for (int s = 1; s <= kMixRowCount; ++s) {
                model.GetOut(0)->SetMixLevel(s, static_cast<uint8_t>(s * 5));
                model.GetOut(1)->SetMixLevel(s, static_cast<uint8_t>(100 - s * 5));
            }
        });
        page.resize(MixPageSize());
        page.SetChannelArray(&model);
        page.Init();
        page.LayoutForInputMode(1);
        page.show();
        QCoreApplication::processEvents();
    }
    CKTV_Data model;
    CMixPage page;
};

// Arg 0: the refresh alone; 1: with the repaint it causes.
void BM_MixPageRefresh(benchmark::State& state) {
    MixPage p;
    const bool repaint = state.range(0) != 0;
    int output = 0;
    for (auto _ : state) {
        output ^= 1;
        g_CurrentOutput = output;
        benchmark::DoNotOptimize(p.page.Refresh());
        if (repaint) p.page.repaint();
    }
    g_CurrentOutput = 0;
}
BENCHMARK(BM_MixPageRefresh)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The page built and set up, as the view does at its start.
void BM_MixPageSetUp(benchmark::State& state) {
    InitParamModel();
    CreateSharedFonts();
    CKTV_Data model;
    for (auto _ : state) {
        CMixPage page;
        page.resize(MixPageSize());
        page.SetChannelArray(&model);
        page.Init();
        page.LayoutForInputMode(1);
    }
}
BENCHMARK(BM_MixPageSetUp)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return RunQtBenchmarks(argc, argv);
}
