#pragma once

#include "control/SLMAudioParameters.h"

// Mute and solo as one ramped gain per voice: a 3 ms ramp, so switching acts
// at once but without clicks, snapping to exactly 0 or 1 at its end.
namespace slm::synth {

struct VoiceGains {
    double reactor = 1.0;
    double field = 1.0;
    double wave = 1.0;
    double anomaly = 1.0;
    double glowworm = 1.0;
};

inline constexpr double gateRampSeconds = 0.003;

// Mute wins over solo; several solos combine.
inline VoiceGains gateTargets(const SLMAudioParameters& p)
{
    const bool anySolo = p.reactorSolo() || p.fieldSolo() || p.waveSolo() || p.anomalySolo() || p.glowwormSolo();
    const auto target = [anySolo](bool muted, bool solo) { return muted ? 0.0 : (!anySolo || solo ? 1.0 : 0.0); };
    VoiceGains t;
    t.reactor = target(p.reactorMuted(), p.reactorSolo());
    t.field = target(p.fieldMuted(), p.fieldSolo());
    t.wave = target(p.waveMuted(), p.waveSolo());
    t.anomaly = target(p.anomalyMuted(), p.anomalySolo());
    t.glowworm = target(p.glowwormMuted(), p.glowwormSolo());
    return t;
}

inline void rampGate(double& gate, double target, double k)
{
    gate = gate + k * (target - gate);
    if (target == 0.0 && gate < 0.0005)
        gate = 0.0;
    else if (target == 1.0 && gate > 0.9995)
        gate = 1.0;
}

inline void rampGates(VoiceGains& gates, const VoiceGains& targets, double k)
{
    rampGate(gates.reactor, targets.reactor, k);
    rampGate(gates.field, targets.field, k);
    rampGate(gates.wave, targets.wave, k);
    rampGate(gates.anomaly, targets.anomaly, k);
    rampGate(gates.glowworm, targets.glowworm, k);
}

} // namespace slm::synth
