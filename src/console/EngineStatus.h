#pragma once

#include "engine/SLMAudioEngine.h"

#include <QColor>
#include <QString>

namespace slm::console {

// What the header's engine lamp says: whether the sound reaches a server
// first, then whether the transport plays. A missing server outranks a
// pause, since it is the one the listener cannot see anywhere else.
struct EngineStatus {
    QString text;
    QColor lampColor;
    // Tooltip and accessibility description.
    QString detail;
};

EngineStatus engineStatus(SLMAudioEngine::OutputState state, bool isPlaying);

} // namespace slm::console
