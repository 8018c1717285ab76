// One move of the console's master fader as the main thread pays for it:
// SLMSystemOutputVolume::setVolume through to the device control, plus the
// outcome it posts to the main loop. Against a private sound server of its
// own, answering (live = 1) or stopped with SIGSTOP (live = 0). The moves
// come 1 ms apart, like a fast drag, so the server sees most of them.
// Reported: the mean as the benchmark's time, the median and the slowest
// move as counters (microseconds).

#if __has_include("support/PulseServer.h")

#include "pulse/PulseDeviceControl.h"
#include "control/SLMSystemOutputVolume.h"
#include "support/PulseServer.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace {

void BM_MasterFaderMove(benchmark::State& state)
{
    const bool live = state.range(0) != 0;
    slm::test::PulseServer server({slm::test::PulseServer::Sink(QStringLiteral("bench"))});
    if (!server.start()) {
        state.SkipWithError("pulseaudio did not start");
        return;
    }
    slm::test::PulseEnvironment env(server);
    SLMSystemOutputVolume volume(std::make_unique<PulseDeviceControl>());
    if (!volume.canControlVolume()) {
        state.SkipWithError("the sink is not controllable");
        return;
    }
    if (!live)
        server.freeze();

    std::vector<double> moves;
    moves.reserve(static_cast<std::size_t>(state.max_iterations));
    int step = 0;
    for (auto _ : state) {
        const double value = 0.2 + 0.6 * ((step++ % 200) / 200.0);
        const auto start = std::chrono::steady_clock::now();
        volume.setVolume(value);
        QCoreApplication::sendPostedEvents();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(took.count());
        moves.push_back(took.count() * 1e6);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    server.thaw();

    std::sort(moves.begin(), moves.end());
    if (!moves.empty()) {
        state.counters["median_us"] = moves[moves.size() / 2];
        state.counters["max_us"] = moves.back();
    }
}
BENCHMARK(BM_MasterFaderMove)->ArgName("live")->Arg(1)->Arg(0)->UseManualTime()->Iterations(1000)->Unit(benchmark::kMicrosecond);

} // namespace

#endif
