#include "model/DataDefine.h"
#include "model/Filter.h"
#include "model/FilterResponse.h"
#include "model/KTV_Data.h"
#include "tools/bench/BusyModel.h"

#include <benchmark/benchmark.h>

#include <array>
#include <vector>

namespace {

using bench::BusyChannel;
using bench::MakeBusy;

using Curve = std::array<double, kFreqTableSize>;

void BM_FilterCurve(benchmark::State& state, FilterCurveSettings s) {
    Curve curve;
    for (auto _ : state) {
        ComputeFilterCurve(s, curve.data());
        benchmark::DoNotOptimize(curve.data());
        benchmark::ClobberMemory();
    }
}

FilterCurveSettings Filter(int kind, int slope, int family = 0) {
    FilterCurveSettings s;
    s.kind = kind;
    s.slope = slope;
    s.family = family;
    s.freq = 1000;
    s.gainDb = 6;
    s.bandwidthOctaves = 1;
    s.off = false;
    return s;
}

BENCHMARK_CAPTURE(BM_FilterCurve, peaking, Filter(FilterKind::Peaking, 0));
BENCHMARK_CAPTURE(BM_FilterCurve, low_shelf, Filter(FilterKind::LowShelf, 1));
BENCHMARK_CAPTURE(BM_FilterCurve, high_shelf, Filter(FilterKind::HighShelf, 0));
BENCHMARK_CAPTURE(BM_FilterCurve, special, Filter(FilterKind::Special, 0));
BENCHMARK_CAPTURE(BM_FilterCurve, high_pass_lr48, Filter(FilterKind::HighPass, 7, 0));
BENCHMARK_CAPTURE(BM_FilterCurve, high_pass_bessel42, Filter(FilterKind::HighPass, 4, 1));
BENCHMARK_CAPTURE(BM_FilterCurve, low_pass_bw48, Filter(FilterKind::LowPass, 7, 2));
BENCHMARK_CAPTURE(BM_FilterCurve, low_pass_bessel48, Filter(FilterKind::LowPass, 4, 1));
BENCHMARK_CAPTURE(BM_FilterCurve, flat_band, FilterCurveSettings{});

// One channel: the curves of its 33 filters and their sum.
struct Channel {
    std::vector<FilterCurveSettings> settings;
    std::vector<Curve> curves;
    std::vector<const double*> pointers;
    Curve sum;

    explicit Channel(int seed) : settings(BusyChannel(seed)), curves(settings.size()) {
        for (const Curve& c : curves)
            pointers.push_back(c.data());
    }
    void Recompute() {
        for (std::size_t i = 0; i < settings.size(); ++i)
            ComputeFilterCurve(settings[i], curves[i].data());
        SumCurves(pointers.data(), pointers.size(), sum.data());
    }
};

void BM_ChannelSumOnly(benchmark::State& state) {
    Channel channel(0);
    channel.Recompute();
    for (auto _ : state) {
        SumCurves(channel.pointers.data(), channel.pointers.size(), channel.sum.data());
        benchmark::DoNotOptimize(channel.sum.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ChannelSumOnly);

void BM_ChannelRecompute(benchmark::State& state) {
    Channel channel(0);
    for (auto _ : state) {
        channel.Recompute();
        benchmark::DoNotOptimize(channel.sum.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ChannelRecompute)->Unit(benchmark::kMicrosecond);

// The output graph with all twelve overlays: 12 x 33 curves and 12 sums.
void BM_TwelveOutputRecompute(benchmark::State& state) {
    std::vector<Channel> outputs;
    for (int ch = 0; ch < 12; ++ch)
        outputs.emplace_back(ch);
    for (auto _ : state) {
        for (Channel& ch : outputs)
            ch.Recompute();
        benchmark::DoNotOptimize(outputs.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_TwelveOutputRecompute)->Unit(benchmark::kMillisecond);

// --- The filter objects and the output graph ------------------------------------

constexpr GraphRect kPlotArea{40, 10, 640, 250}; // a 650 x 270 graph window

// What the graph reads of the current output: every filter's handle, label
// text and outline.
void CurrentOutputGeometry(CKTVEQ& eq) {
    for (int i = 0; i < eq.GetCount(); ++i) {
        CFilter& f = *eq.GetAt(i);
        if (f.IsBandHandle())
            f.LayoutBandHandle();
        else
            f.LayoutCrossoverHandle();
        benchmark::DoNotOptimize(f.FormatHandleLabel());
        benchmark::DoNotOptimize(f.GetCurvePoints().data());
    }
}

// One filter object after a change: its curve and its outline.
void BM_FilterObjectRecompute(benchmark::State& state, int kind) {
    CFilter f;
    if (kind >= FilterKind::HighPass) {
        f.SetKind(kind);
        f.SetBandHandle(0);
        f.SetSlope(7, 0);
        f.SetFamily(CrossoverFamily::Bessel, 0);
    } else {
        f.SetKind(kind);
        f.SetGainCode(260);
        f.SetSlope(1, 0);
    }
    f.SetFreq(1000, 0);
    f.SetGraphRect(kPlotArea);
    for (auto _ : state) {
        f.UpdateCurve();
        benchmark::DoNotOptimize(f.GetCurvePoints().data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK_CAPTURE(BM_FilterObjectRecompute, peaking, int{FilterKind::Peaking})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FilterObjectRecompute, low_shelf, int{FilterKind::LowShelf})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FilterObjectRecompute, low_pass_bessel48, int{FilterKind::LowPass})
    ->Unit(benchmark::kMicrosecond);

// Redraw data of the output graph with all twelve overlays shown: twelve
// summed curves and their points, plus the current output's handles, labels
// and outlines. Full: every filter's curve recomputed first; unchanged: the
// filters keep their curves and only the sums are formed again.
void BM_OutputGraphRedraw(benchmark::State& state, bool recomputeFilters) {
    CKTV_Data model;
    MakeBusy(model);
    model.SetOutputGraphRect(kPlotArea);
    for (auto _ : state) {
        for (int ch = 0; ch < kOutputCount; ++ch) {
            CKTVEQ& eq = model.GetOut(ch)->GetEq();
            if (recomputeFilters)
                for (int i = 0; i < eq.GetCount(); ++i)
                    eq.GetAt(i)->UpdateCurve();
            model.GetOut(ch)->UpdateCurve();
        }
        CurrentOutputGeometry(model.GetOut(0)->GetEq());
        benchmark::ClobberMemory();
    }
}
BENCHMARK_CAPTURE(BM_OutputGraphRedraw, full_recompute, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OutputGraphRedraw, unchanged, false)->Unit(benchmark::kMillisecond);

// One mouse move dragging a band, then the redraw of the whole graph.
void BM_BandDragStep(benchmark::State& state) {
    CKTV_Data model;
    MakeBusy(model);
    model.SetOutputGraphRect(kPlotArea);
    CFilter& band = *model.GetOut(0)->GetFilter(10);
    band.BeginHandleDrag({band.GetHandleRect().left + 8, band.GetHandleRect().top + 8});
    int step = 0;
    for (auto _ : state) {
        step = (step + 1) % 64;
        benchmark::DoNotOptimize(band.DragHandleTo({300 + step, 60 + step}));
        for (int ch = 0; ch < kOutputCount; ++ch)
            model.GetOut(ch)->UpdateCurve();
        CurrentOutputGeometry(model.GetOut(0)->GetEq());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BandDragStep)->Unit(benchmark::kMicrosecond);

} // namespace
