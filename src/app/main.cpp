#include "app/ObservedAudioOutput.h"
#include "app/PulseStreamVolume.h"
#include "app/StarlumeApp.h"
#include "control/PulseDeviceControl.h"
#include "engine/PulseAudioOutput.h"
#include "engine/SLMAudioEngine.h"

#include <cstdio>

namespace {

// The engine on the desktop's sound server. It starts at once; when it cannot
// play, the program still runs, silent, and says why on one line.
std::unique_ptr<SLMAudioEngine> makeLiveEngine()
{
    auto output = std::make_unique<ObservedAudioOutput>(std::make_unique<PulseAudioOutput>());
    const ObservedAudioOutput& observed = *output;
    auto engine = std::make_unique<SLMAudioEngine>(std::move(output), std::make_unique<PulseDeviceControl>());
    if (const auto failure = observed.failure()) {
        std::fprintf(stderr, "Starlume: no sound: %s; the clock runs silently.\n", qPrintable(*failure));
        std::fflush(stderr);
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
