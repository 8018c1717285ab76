// The render cycle at the application's usual block size, with everything
// sounding at once: an anomaly, a glowworm call and the half-minute chime.

#include "control/MemoryDeviceControl.h"
#include "engine/OfflineAudioOutput.h"
#include "engine/SLMAudioEngine.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr double rate = 48000.0;
constexpr std::uint32_t blockFrames = 512;
constexpr std::int64_t timedBlocks = 256; // 2.7 s of audio

std::int64_t remaining(std::int64_t duration, std::int64_t index) { return duration - index; }

void BM_RenderCycle(benchmark::State& state)
{
    auto device = std::make_unique<OfflineAudioOutput>(rate, 2);
    OfflineAudioOutput& output = *device;
    SLMAudioEngine engine(std::move(device), std::make_unique<MemoryDeviceControl>());
    engine.setWallClock(30.2, 0); // the chime holds at its swell, crossing and impact

    // Render until an anomaly and a glowworm call will both sound through the timed blocks.
    const std::int64_t needed = timedBlocks * blockFrames;
    const SynthesisState& s = engine.synthesisState();
    std::int64_t rendered = 0;
    while (!(s.anomaly.active && remaining(s.anomaly.durationSamples, s.anomaly.sampleIndex) > needed
             && s.glowworm.active && remaining(s.glowworm.durationSamples, s.glowworm.sampleIndex) > needed)) {
        output.render(blockFrames);
        engine.deliverPendingMeterUpdates();
        if ((rendered += blockFrames) > static_cast<std::int64_t>(rate * 600)) {
            state.SkipWithError("no anomaly and glowworm call overlapped");
            return;
        }
    }

    // The main thread's share (meters, analysis) is not the render's cost, but
    // its queues must keep draining, or the render would only ever drop.
    std::int64_t block = 0;
    for (auto _ : state) {
        output.render(blockFrames);
        if (++block % 8 == 0) {
            state.PauseTiming();
            engine.deliverPendingMeterUpdates();
            engine.spectrum()->waitUntilIdle();
            state.ResumeTiming();
        }
    }
    state.SetItemsProcessed(state.iterations() * blockFrames); // frames per second
}

} // namespace

BENCHMARK(BM_RenderCycle)->Iterations(timedBlocks)->Repetitions(5)->Unit(benchmark::kMicrosecond);
