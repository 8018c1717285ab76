#pragma once

#include "analysis/SLMAudioMeters.h"
#include "analysis/SLMAudioSpectrum.h"
#include "control/SLMAudioParameters.h"
#include "control/SLMAudioPresetManager.h"
#include "control/SLMSystemOutputVolume.h"
#include "engine/SLMAudioEngine.h"

#include <QtQml/qqmlregistration.h>

// The models the board binds to, known to QML by their properties only:
// QML never creates them, the engine and the board do.
struct SLMAudioEngineForeign {
    Q_GADGET
    QML_FOREIGN(SLMAudioEngine)
    QML_ANONYMOUS
};
struct SLMAudioParametersForeign {
    Q_GADGET
    QML_FOREIGN(SLMAudioParameters)
    QML_ANONYMOUS
};
struct SLMSystemOutputVolumeForeign {
    Q_GADGET
    QML_FOREIGN(SLMSystemOutputVolume)
    QML_ANONYMOUS
};
struct SLMAudioMetersForeign {
    Q_GADGET
    QML_FOREIGN(SLMAudioMeters)
    QML_ANONYMOUS
};
struct SLMAudioSpectrumForeign {
    Q_GADGET
    QML_FOREIGN(SLMAudioSpectrum)
    QML_ANONYMOUS
};
struct SLMAudioPresetManagerForeign {
    Q_GADGET
    QML_FOREIGN(SLMAudioPresetManager)
    QML_ANONYMOUS
};
