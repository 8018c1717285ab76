#pragma once

#include "engine/SynthMath.h"
#include "math/Pow.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

// The anomaly: every 22 to 52 s of rendered time a swelling cluster of three
// slightly drifting partials rises for 5.5 to 11 s, sweeps across the stereo
// field and dies away. Scheduled and rendered whatever the anomaly controls
// say, so the shared random stream never depends on them.
namespace slm::synth {

struct AnomalyState {
    bool active = false;
    std::int64_t sampleIndex = 0;
    std::int64_t durationSamples = 1;
    std::int64_t samplesUntilNext = 1;
    double frequencyA = 731.0;
    double frequencyB = 1097.0;
    double frequencyC = 1543.0;
    double panBias = 0.0;
    double intensity = 0.0;
    double phaseA = 0.0;
    double phaseB = 0.0;
    double phaseC = 0.0;
    double motionPhase = 0.0;  // slow detune, holds while frozen
    double flutterPhase = 0.0; // tremolo, holds while frozen
};

struct AnomalyIncrements {
    double motion, flutter;

    explicit AnomalyIncrements(double rate)
        : motion(phaseIncrement(0.17, rate))
        , flutter(phaseIncrement(2.8, rate))
    {
    }
};

// Start and end of an event; each draws from the shared generator.
void beginAnomaly(AnomalyState& s, std::uint64_t& random, double rate);
void endAnomaly(AnomalyState& s, std::uint64_t& random, double rate);

// Anomaly L and R before the gate. `level` is the shaped anomaly level.
inline StereoFrame anomalyFrame(AnomalyState& s, std::uint64_t& random, double rate, bool frozen, double level,
                                double LB, double LD)
{
    if (!s.active && !frozen) {
        --s.samplesUntilNext;
        if (s.samplesUntilNext < 1)
            beginAnomaly(s, random, rate);
    }
    if (!s.active)
        return {};

    const std::int64_t n = s.sampleIndex;
    const std::int64_t D = s.durationSamples;
    const double t = static_cast<double>(n) / static_cast<double>(std::max<std::int64_t>(D, 1));
    const double e = power(std::max(sine(pi * t), 0.0), 1.7);
    const double flutter = 0.78 + 0.22 * (sine(s.flutterPhase) + 1.0) / 2.0;
    const double m = 1.0 + 0.0045 * sine(0.63 * s.motionPhase);
    const double a = sine(s.phaseA);
    const double b = sine(s.phaseB + 0.37);
    const double c = sine(s.phaseC + 1.08);
    const double p = sine(twoPi * 0.72 * t + s.panBias);

    // B is detuned against A, C follows A at about half the depth.
    advancePhase(s.phaseA, (twoPi * s.frequencyA / rate) * m);
    advancePhase(s.phaseB, (twoPi * s.frequencyB / rate) * (2.0 - m));
    advancePhase(s.phaseC, (twoPi * s.frequencyC / rate) * (1.0 + 0.55 * (m - 1.0)));

    const double g = (0.9 + 0.22 * LB * LD) * flutter * e * s.intensity * level * (0.54 * a + 0.30 * b + 0.16 * c);
    const StereoFrame out{std::sqrt((1.0 - 0.82 * p) / 2.0) * g, std::sqrt((1.0 + 0.82 * p) / 2.0) * g};

    s.sampleIndex = n + 1;
    if (n + 1 >= D)
        endAnomaly(s, random, rate);
    return out;
}

inline void advanceAnomaly(AnomalyState& s, const AnomalyIncrements& inc, bool frozen)
{
    if (frozen)
        return;
    advancePhase(s.motionPhase, inc.motion);
    advancePhase(s.flutterPhase, inc.flutter);
}

} // namespace slm::synth
