#include "model/FilterResponse.h"

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

} // namespace
