#pragma once

#include "math/Sine.h"

#include <cmath>
#include <cstdint>
#include <numbers>

// Small helpers shared by every voice. All synthesis runs in double; the
// expressions here are written so that each voice can keep its formulas in
// the order it states them.
namespace slm::synth {

inline constexpr double pi = std::numbers::pi;
inline constexpr double twoPi = 2.0 * std::numbers::pi;

struct StereoFrame {
    double L = 0.0;
    double R = 0.0;
};

// Per-frame increment of a phase turning at `hz`.
inline double phaseIncrement(double hz, double rate) { return twoPi * hz / rate; }

// Phases stay in [0, 2pi): one subtraction, since no increment reaches 2pi.
inline void wrapPhase(double& phase)
{
    if (phase >= twoPi)
        phase -= twoPi;
}

inline void advancePhase(double& phase, double increment)
{
    phase += increment;
    wrapPhase(phase);
}

// One-pole smoothing coefficient for `frames` frames of time constant `tau` seconds.
inline double smoothingCoefficient(double frames, double tau, double rate)
{
    return 1.0 - std::exp(-frames / (tau * rate));
}

inline double clampUnit(double x) { return x < 0.0 ? 0.0 : (x > 1.0 ? 1.0 : x); }

inline double smoothstep(double x) { return x * x * (3.0 - 2.0 * x); }

// 0.5 - 0.5·cos(πx) for x in [0, 1], the fades' shape, as sin²(πx/2): our own
// sine, so no C library call runs per frame while a fade does.
inline double raisedCosine(double x)
{
    const double s = sine(0.5 * pi * x);
    return s * s;
}

// Converts a time in samples, truncating toward zero.
inline std::int64_t samplesFor(double samples) { return static_cast<std::int64_t>(samples); }

// Sine mapped onto 0...1.
inline double toUnit(double sineValue) { return (sineValue + 1.0) / 2.0; }
inline double unitSine(double phase) { return toUnit(sine(phase)); }

} // namespace slm::synth
