#include "platform/win/geometry.h"

#include <benchmark/benchmark.h>

static void BM_PtInRect(benchmark::State& state) {
    CRect r(0, 0, 1000, 1000);
    int x = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(r.PtInRect(CPoint(x & 2047, (x >> 3) & 2047)));
        ++x;
    }
}
BENCHMARK(BM_PtInRect);
BENCHMARK_MAIN();
