#pragma once

#include "control/SLMPresetID.h"

#include <QByteArray>
#include <QMetaType>
#include <QObject>

#include <optional>

class SLMAudioParameters;

// A named snapshot of the ten continuous controls. Mute and solo are the
// listener's live switches and never belong to a preset.
struct SLMAudioPreset {
    Q_GADGET
    Q_PROPERTY(QString id READ rawID)
    Q_PROPERTY(double reactorLevel MEMBER reactorLevel)
    Q_PROPERTY(double fieldLevel MEMBER fieldLevel)
    Q_PROPERTY(double waveLevel MEMBER waveLevel)
    Q_PROPERTY(double anomalyLevel MEMBER anomalyLevel)
    Q_PROPERTY(double glowwormMasterDB MEMBER glowwormMasterDB)
    Q_PROPERTY(double glowwormLevel MEMBER glowwormLevel)
    Q_PROPERTY(double glowwormActivity MEMBER glowwormActivity)
    Q_PROPERTY(double glowwormBrightness MEMBER glowwormBrightness)
    Q_PROPERTY(double glowwormTrail MEMBER glowwormTrail)
    Q_PROPERTY(double glowwormStereoTravel MEMBER glowwormStereoTravel)

public:
    SLMPresetID id = SLMPresetID::Custom;
    double reactorLevel = 0.0;
    double fieldLevel = 0.0;
    double waveLevel = 0.0;
    double anomalyLevel = 0.0;
    double glowwormMasterDB = 0.0;
    double glowwormLevel = 0.0;
    double glowwormActivity = 0.0;
    double glowwormBrightness = 0.0;
    double glowwormTrail = 0.0;
    double glowwormStereoTravel = 0.0;

    friend bool operator==(const SLMAudioPreset&, const SLMAudioPreset&) = default;

    QString rawID() const { return slm::presetRawValue(id); }

    // The fixed values of void, drift, swarm and storm. Custom has no fixed
    // values: asking for it yields the defaults of the parameters.
    static SLMAudioPreset builtIn(SLMPresetID id);

    // The parameters' current ten values under the given id.
    static SLMAudioPreset snapshot(const SLMAudioParameters& parameters, SLMPresetID id);

    // Writes the ten values in field order; flags stay as they are.
    void applyTo(SLMAudioParameters& parameters) const;

    // One UTF-8 JSON object with the eleven fields as keys. Fails (no value)
    // if any number is not finite, since JSON cannot carry it.
    std::optional<QByteArray> encode() const;

    // Strict: a JSON object holding every key, "id" one of the five raw
    // values, every other key a finite number. Anything else fails whole.
    // Keys beyond the eleven are ignored.
    static std::optional<SLMAudioPreset> decode(const QByteArray& json);

    // Every value pinned into its console fader's range. For presets that
    // come from outside the process: a hand-edited 0.41 still plays (as 0.4),
    // and nothing stored can drive the output past what the faders allow.
    SLMAudioPreset limitedToControlRanges() const;
};

Q_DECLARE_METATYPE(SLMAudioPreset)
