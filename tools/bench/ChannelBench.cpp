#include "model/DataDefine.h"
#include "model/Globals.h"
#include "model/KTV_Data.h"

#include <benchmark/benchmark.h>

// Every band of every music input and output away from 0 dB, so that no
// curve is flat: the most a preset can cost.
static void BoostEveryBand() {
    for (int ch = 0; ch < kMusicInputCount; ++ch)
        for (int b = 0; b < 31; ++b)
            PutU16(MusicInBlock(ch) + 8 * b + 2, 600 + 30 + b);
    for (int ch = 0; ch < kOutputCount; ++ch)
        for (int b = 0; b < 31; ++b)
            PutU16(OutputBlock(ch) + 8 * b + 2, 600 - 30 - b);
}

// A whole preset from the image: every channel, every band through its
// setters (argument 1: every band boosted or cut).
static void BM_LoadPresetFromImage(benchmark::State& state) {
    InitParamModel();
    if (state.range(0)) BoostEveryBand();
    CKTV_Data model;
    for (auto _ : state) {
        model.LoadFromImage(g_ParamImage, 0);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_LoadPresetFromImage)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The same, then every curve the graphs draw brought up to date; argument 1
// with every band boosted or cut.
static void BM_LoadPresetAndCurves(benchmark::State& state) {
    InitParamModel();
    if (state.range(0)) BoostEveryBand();
    CKTV_Data model;
    model.SetOutputGraphRect({0, 0, 900, 300});
    model.SetMusicGraphRect({0, 0, 900, 300});
    for (auto _ : state) {
        model.LoadFromImage(g_ParamImage, 0);
        for (int i = 0; i < kOutputCount; ++i)
            model.GetOut(i)->UpdateCurve();
        for (int i = 0; i < kMusicInputCount; ++i)
            model.GetMusic(i)->UpdateCurve();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_LoadPresetAndCurves)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The link worker's pass with nothing pending: the status request.
static void BM_IdlePoll(benchmark::State& state) {
    InitParamModel();
    CKTV_Data model;
    model.LoadFromImage(g_ParamImage, 0);
    g_DeviceSynced = 1;
    for (auto _ : state)
        benchmark::DoNotOptimize(model.GetNextPacket());
    g_DeviceSynced = 0;
}
BENCHMARK(BM_IdlePoll);
