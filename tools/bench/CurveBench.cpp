#include "model/DataDefine.h"
#include "model/Filter.h"
#include "model/FilterResponse.h"
#include "model/KTV_Data.h"

#include <benchmark/benchmark.h>

#include <array>
#include <vector>

namespace {

using Curve = std::array<double, kFreqTableSize>;

// A busy channel: 31 bands all boosting or cutting (a few as shelves), a
// 24 dB/Oct high-pass and an 8th-order Bessel low-pass.
std::vector<FilterCurveSettings> BusyChannel(int seed) {
    std::vector<FilterCurveSettings> filters;
    for (int i = 0; i < 31; ++i) {
        FilterCurveSettings s;
        s.kind = i == 0    ? FilterKind::LowShelf
                 : i == 29 ? FilterKind::HighShelf
                 : i == 30 ? FilterKind::Special
                           : FilterKind::Peaking;
        s.slope = i % 2;
        s.freq = g_FreqTable[i * 8];
        s.gainDb = ((i + seed) % 13) - 6.5;
        s.bandwidthOctaves = 0.05 + 0.01 * ((i * 37 + seed) % 296);
        s.off = false;
        filters.push_back(s);
    }
    FilterCurveSettings hp;
    hp.kind = FilterKind::HighPass;
    hp.family = CrossoverFamily::LinkwitzRiley;
    hp.slope = 3;
    hp.freq = 80 + seed;
    filters.push_back(hp);
    FilterCurveSettings lp = hp;
    lp.kind = FilterKind::LowPass;
    lp.family = CrossoverFamily::Bessel;
    lp.slope = 4;
    lp.freq = 5000 + seed;
    filters.push_back(lp);
    return filters;
}

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

// Every output busy as above, through the setters the pages use.
void MakeBusy(CKTV_Data& model) {
    for (int ch = 0; ch < kOutputCount; ++ch) {
        CKTVEQ& eq = model.GetOut(ch)->GetEq();
        const std::vector<FilterCurveSettings> busy = BusyChannel(ch);
        for (int i = 0; i < eq.GetBandCount(); ++i) {
            CFilter& f = *eq.GetAt(i);
            const FilterCurveSettings& s = busy[static_cast<std::size_t>(i)];
            f.SetKind(s.kind);
            f.SetSlope(s.slope, 0);
            f.SetFreq(static_cast<int>(s.freq), 0);
            f.SetGainCode(static_cast<int>(s.gainDb * 10 + 200));
            f.SetBandwidthCode(static_cast<int>((s.bandwidthOctaves - 0.05) / 0.01 + 0.5));
        }
        const FilterCurveSettings& hp = busy[busy.size() - 2];
        const FilterCurveSettings& lp = busy.back();
        eq.GetHighPass()->SetFamily(hp.family, 0);
        eq.GetHighPass()->SetSlope(hp.slope, 0);
        eq.GetHighPass()->SetFreq(static_cast<int>(hp.freq), 0);
        eq.GetLowPass()->SetFamily(lp.family, 0);
        eq.GetLowPass()->SetSlope(lp.slope, 0);
        eq.GetLowPass()->SetFreq(static_cast<int>(lp.freq), 0);
    }
    model.SetOutputGraphRect(kPlotArea);
}

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
BENCHMARK_CAPTURE(BM_FilterObjectRecompute, peaking, int{FilterKind::Peaking})->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FilterObjectRecompute, low_shelf, int{FilterKind::LowShelf})->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FilterObjectRecompute, low_pass_bessel48, int{FilterKind::LowPass})->Unit(benchmark::kMicrosecond);

// Redraw data of the output graph with all twelve overlays shown: twelve
// summed curves and their points, plus the current output's handles, labels
// and outlines. Full: every filter's curve recomputed first; unchanged: the
// filters keep their curves and only the sums are formed again.
void BM_OutputGraphRedraw(benchmark::State& state, bool recomputeFilters) {
    CKTV_Data model;
    MakeBusy(model);
    for (auto _ : state) {
        for (int ch = 0; ch < kOutputCount; ++ch) {
            CKTVEQ& eq = model.GetOut(ch)->GetEq();
            if (recomputeFilters)
                for (int i = 0; i < eq.GetCount(); ++i) eq.GetAt(i)->UpdateCurve();
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
    CFilter& band = *model.GetOut(0)->GetFilter(10);
    band.BeginHandleDrag({band.GetHandleRect().left + 8, band.GetHandleRect().top + 8});
    int step = 0;
    for (auto _ : state) {
        step = (step + 1) % 64;
        benchmark::DoNotOptimize(band.DragHandleTo({300 + step, 60 + step}));
        for (int ch = 0; ch < kOutputCount; ++ch) model.GetOut(ch)->UpdateCurve();
        CurrentOutputGeometry(model.GetOut(0)->GetEq());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BandDragStep)->Unit(benchmark::kMicrosecond);

} // namespace
