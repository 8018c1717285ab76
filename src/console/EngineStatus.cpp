#include "console/EngineStatus.h"

namespace slm::console {

EngineStatus engineStatus(SLMAudioEngine::OutputState state, bool isPlaying)
{
    using State = SLMAudioEngine::OutputState;
    switch (state) {
    case State::waitingForServer:
        // Dim: nothing is wrong with the engine, the server is just not there yet.
        return {QStringLiteral("NO SOUND SERVER"), QColor::fromRgbF(0.72f, 0.3f, 0.16f),
                QStringLiteral("Waiting for the sound server; the sound starts when it appears")};
    case State::unavailable:
        return {QStringLiteral("NO AUDIO OUTPUT"), QColor::fromRgbF(1.0f, 0.27f, 0.23f),
                QStringLiteral("The sound output could not be started")};
    case State::live:
        break;
    }
    if (!isPlaying)
        return {QStringLiteral("PAUSED"), QColor::fromRgbF(1.0f, 0.7f, 0.2f),
                QStringLiteral("Paused: the sound is faded out and the stream rests")};
    return {QStringLiteral("ENGINE LIVE"), QColor::fromRgbF(0.19f, 0.82f, 0.35f),
            QStringLiteral("Playing to the sound server")};
}

} // namespace slm::console
