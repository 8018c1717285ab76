#pragma once

#include "engine/SynthMath.h"
#include "math/Tanh.h"

#include <cmath>

// The half-minute chime: the one part of the sound that follows the wall
// clock. A swell rises from second 25, a brighter crossing passes between
// 29.35 and 31.05 s, a struck impact lands at second 30, and the swell fades
// out by second 35. It shares the glowworm's bus and gate, not its gains.
namespace slm::synth {

struct HalfMinuteChimeState {
    double phaseSub = 0.0;  // 48 Hz
    double phaseBody = 0.0; // 192 Hz
    double phaseRing = 0.0; // 768 Hz
    double phaseAir = 0.0;  // 2304 Hz
    double presenceEnvelope = 0.0;
    double crossingEnvelope = 0.0;
    double impactEnvelope = 0.0;
};

struct HalfMinuteChimeIncrements {
    double sub, body, ring, air;

    explicit HalfMinuteChimeIncrements(double rate)
        : sub(phaseIncrement(48.0, rate))
        , body(phaseIncrement(192.0, rate))
        , ring(phaseIncrement(768.0, rate))
        , air(phaseIncrement(2304.0, rate))
    {
    }
};

// Envelope targets for a block, from the second of the minute `s`.
struct HalfMinuteChimeTargets {
    double presence = 0.0;
    double crossing = 0.0;
    double impact = 0.0;
    double spread = 0.0;
};

HalfMinuteChimeTargets halfMinuteChimeTargets(double s);

struct HalfMinuteChimeBlock {
    HalfMinuteChimeTargets targets;
    double kPresence, kCrossing, kImpact;
};

// Chime L and R before the glowworm gate. Reads the filament's breath and
// motion phases, which give the swell its slow life and the chime its drift.
inline StereoFrame halfMinuteChimeFrame(HalfMinuteChimeState& s, const HalfMinuteChimeBlock& k,
                                        double filamentBreathPhase, double filamentMotionPhase)
{
    s.presenceEnvelope += k.kPresence * (k.targets.presence - s.presenceEnvelope);
    s.crossingEnvelope += k.kCrossing * (k.targets.crossing - s.crossingEnvelope);
    s.impactEnvelope += k.kImpact * (k.targets.impact - s.impactEnvelope);
    const double P = s.presenceEnvelope;
    const double X = s.crossingEnvelope;
    const double I = s.impactEnvelope;
    // Most of every minute the chime is silent and costs nothing.
    if (!(P > 0.0001) && !(X > 0.0001) && !(I > 0.0001))
        return {};

    const double sub = s.phaseSub;
    const double body = s.phaseBody;
    const double ring = s.phaseRing;
    const double air = s.phaseAir;
    const auto [sub1, sub2] = sine(sub, 0.502 * sub + 0.73);
    const auto [body1, body2] = sine(body + 0.21, 0.503 * body + 1.11);
    const auto [hr, ha] = sine(ring + 0.64, air + 1.37);
    const auto [breathSine, strikeBody] = sine(0.31 * filamentBreathPhase, 1.003 * body);
    const auto [strikeRing, strikeAir] = sine(0.997 * ring, 1.009 * air);
    const double hs = 0.78 * sub1 + 0.28 * sub2;
    const double hb = 0.48 * body1 + 0.25 * body2;
    const double swell = P * (0.62 * hs + 0.44 * hb) * (0.82 + 0.18 * (breathSine + 1.0) / 2.0);
    // Slightly mistuned multiples of the running phases give the strike its bell-like beating.
    const double strike = tanh(1.28 * (0.86 * strikeBody + 0.24 * strikeRing + 0.07 * strikeAir));
    const double x =
        tanh(0.34 * I * strike + 0.58 * X * (0.48 * hs + 0.5 * hb + 0.26 * (0.12 * hr + 0.035 * ha)) + 1.36 * swell);

    // Drifts wider as the swell grows and once the half minute has passed.
    const double p = sine(1.37 * filamentMotionPhase) * (0.18 + 0.22 * P + 0.48 * P * k.targets.spread);
    return {0.7 * x * std::sqrt((1.0 - p) / 2.0), 0.7 * x * std::sqrt((1.0 + p) / 2.0)};
}

inline void advanceHalfMinuteChime(HalfMinuteChimeState& s, const HalfMinuteChimeIncrements& inc)
{
    advancePhase(s.phaseSub, inc.sub);
    advancePhase(s.phaseBody, inc.body);
    advancePhase(s.phaseRing, inc.ring);
    advancePhase(s.phaseAir, inc.air);
}

} // namespace slm::synth
