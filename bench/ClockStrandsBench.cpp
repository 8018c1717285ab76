#include "clock/ChaosStrands.h"
#include "clock/MinuteTraveller.h"

#include <benchmark/benchmark.h>

namespace {

// A 1920x1080 frame in the middle of a charge, with an alignment's ripples:
// the strands at their heaviest.
ClockFrame busyFrame(double t)
{
    ClockFrame f;
    f.t = t;
    f.secF = 28.5;
    f.minute = 17;
    f.width = 1920;
    f.height = 1080;
    f.cx = 1920 * (0.5 - 0.055 * 0.7778);
    f.cy = 1080 * 0.505;
    f.R = 1080 * (0.364 + 0.036 * 0.7778);
    f.S = 1.0;
    f.align[1] = 0.6;
    f.A = 0.6;
    f.charge = 0.8;
    return f;
}

void BM_ClockStrands1080p(benchmark::State& state)
{
    DisplayList list;
    double t = 790'000'000.0;
    for (auto _ : state) {
        list.clear();
        drawChaosStrands(list, busyFrame(t));
        benchmark::DoNotOptimize(list.ops().data());
        t += 1.0 / 60;
    }
}
BENCHMARK(BM_ClockStrands1080p)->Unit(benchmark::kMicrosecond);

void BM_ClockTraveller1080p(benchmark::State& state)
{
    DisplayList list;
    double t = 790'000'000.0;
    for (auto _ : state) {
        list.clear();
        drawMinuteTraveller(list, busyFrame(t));
        benchmark::DoNotOptimize(list.ops().data());
        t += 1.0 / 60;
    }
}
BENCHMARK(BM_ClockTraveller1080p)->Unit(benchmark::kMicrosecond);

} // namespace
