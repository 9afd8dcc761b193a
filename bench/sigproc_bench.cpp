// Sigproc figures: what a plot pays per sample and per redraw.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "sigproc/CScrollBuffer.h"
#include "sigproc/Graduation.h"

namespace {

void RingAdd(benchmark::State& state)
{
    CScrollBuffer ring;
    ring.Init(state.range(0), 0.001, false);
    double t = 0;
    for (auto _ : state) {
        ring.add(t * 0.5, t);
        t += 1;
    }
    benchmark::DoNotOptimize(ring.GetLastValue());
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(RingAdd)->Arg(1024)->Arg(65536);

// The graph dialog's redraw: the samples of the last window, oldest first.
void RingCopyLastWindow(benchmark::State& state)
{
    const long capacity = state.range(0);
    CScrollBuffer ring;
    ring.Init(capacity, 0.001, false);
    for (long i = 0; i < capacity * 3 / 2; ++i)
        ring.add(static_cast<double>(i % 97), 1000.0 + 100.0 * static_cast<double>(i));  // 10 samples a second in ms
    std::vector<double> values(static_cast<size_t>(capacity)), times(static_cast<size_t>(capacity));
    long count = 0;
    double lo, hi, tlo, thi, mean;
    for (auto _ : state) {
        ring.CpyLastValue_Time(60000, values.data(), times.data(), capacity, &count, &lo, &hi, &tlo, &thi, &mean);
        benchmark::DoNotOptimize(values.data());
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(RingCopyLastWindow)->Arg(1024)->Arg(65536);

void GraduationStep(benchmark::State& state)
{
    double step = 0, max = 1;
    int spacing = 0;
    for (auto _ : state) {
        F_DllGetGraduationVal(0, max, 800, 0, &step, &spacing);
        benchmark::DoNotOptimize(step);
        max = max > 1e6 ? 1 : max * 1.37;
    }
}
BENCHMARK(GraduationStep);

void GraduationTicks(benchmark::State& state)
{
    int* pixels = nullptr;
    double* values = nullptr;
    int count = 0;
    for (auto _ : state) {
        F_DllGetGraduationBuff(0, 3600, 1600, 0, &pixels, &values, &count);
        benchmark::DoNotOptimize(values);
    }
    state.counters["ticks"] = count;
    std::free(pixels);
    std::free(values);
}
BENCHMARK(GraduationTicks);

}  // namespace

BENCHMARK_MAIN();
