#include "model/DataDefine.h"
#include "model/FrameBuilder.h"
#include "model/ValueScale.h"

#include <benchmark/benchmark.h>

static void BM_InitParamModel(benchmark::State& state) {
    for (auto _ : state) {
        InitParamModel();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_InitParamModel);

static void BM_BuildItemPacket(benchmark::State& state) {
    InitParamModel();
    for (auto _ : state)
        benchmark::DoNotOptimize(BuildItemPacket(4, 2, 5));
}
BENCHMARK(BM_BuildItemPacket);

static void BM_BuildOutputBlockPacket(benchmark::State& state) {
    InitParamModel();
    for (auto _ : state)
        benchmark::DoNotOptimize(BuildBlockPacket(0, 4, 3, 1, 0));
}
BENCHMARK(BM_BuildOutputBlockPacket);

static void BM_FreqToTableIndex(benchmark::State& state) {
    double f = 19.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(FreqToTableIndex(f));
        f = f > 20000 ? 19.0 : f * 1.01;
    }
}
BENCHMARK(BM_FreqToTableIndex);
