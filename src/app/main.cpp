#include "app/ObservedAudioOutput.h"
#include "pulse/PulseStreamVolume.h"
#include "app/StarlumeApp.h"
#include "pulse/PulseDeviceControl.h"
#include "pulse/PulseAudioOutput.h"
#include "engine/SLMAudioEngine.h"

#include <cstdio>

namespace {

// The engine on the desktop's sound server. It starts at once; when it cannot
// play, the program still runs, silent, and says why on one line, and one
// more when a sound server appears later and the sound starts.
std::unique_ptr<SLMAudioEngine> makeLiveEngine()
{
    auto output = std::make_unique<ObservedAudioOutput>(std::make_unique<PulseAudioOutput>());
    const ObservedAudioOutput& observed = *output;
    auto engine = std::make_unique<SLMAudioEngine>(std::move(output), std::make_unique<PulseDeviceControl>());
    if (const auto failure = observed.failure()) {
        const bool waiting = engine->outputState() == SLMAudioEngine::OutputState::waitingForServer;
        std::fprintf(stderr, "Starlume: no sound: %s; the clock runs silently%s.\n", qPrintable(*failure),
                     waiting ? " until a sound server answers" : "");
        std::fflush(stderr);
        SLMAudioEngine* live = engine.get();
        QObject::connect(live, &SLMAudioEngine::outputStateChanged, live, [live, reported = false]() mutable {
            if (reported || !live->isRunning())
                return;
            reported = true;
            std::fputs("Starlume: sound started: a sound server answered.\n", stderr);
            std::fflush(stderr);
        });
    }
    return engine;
}

} // namespace

int main(int argc, char** argv)
{
    return StarlumeApp::run(argc, argv, makeLiveEngine, [](StreamVolume& volume) -> std::unique_ptr<QObject> {
        return std::make_unique<PulseStreamVolume>(volume);
    });
}
