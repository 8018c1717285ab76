#include "analysis/SpectrumAnalysis.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace {

// One render-sized block of a busy signal through the full 24-band analysis.
void BM_SpectrumBlock(benchmark::State& state)
{
    constexpr double rate = 48000.0;
    std::vector<float> block(4096);
    std::uint32_t noise = 12345;
    for (std::size_t n = 0; n < block.size(); ++n) {
        noise = noise * 1664525u + 1013904223u;
        const double t = static_cast<double>(n) / rate;
        block[n] = static_cast<float>(0.3 * std::sin(2.0 * std::numbers::pi * 220.0 * t) +
                                      0.2 * std::sin(2.0 * std::numbers::pi * 1870.0 * t) +
                                      0.1 * (static_cast<double>(noise >> 8) / 16777216.0 - 0.5));
    }
    slm::spectrum::Bands bands = slm::spectrum::floorBands();
    for (auto _ : state) {
        bands = slm::spectrum::analyse(block, rate, bands);
        benchmark::DoNotOptimize(bands);
    }
}
BENCHMARK(BM_SpectrumBlock)->Unit(benchmark::kMicrosecond);

} // namespace
