#pragma once

#include "engine/SynthMath.h"
#include "math/Pow.h"

#include <algorithm>
#include <cmath>

// The filament: a thin, glassy shimmer of six partials from 563 Hz to 6 kHz.
// The upper group flares in short bursts on a slow breath and the whole layer
// drifts across the stereo field. It rides on the wave bus and never falls
// completely silent.
namespace slm::synth {

struct FilamentState {
    double phaseA = 0.0;
    double phaseB = 0.0;
    double phaseC = 0.0;
    double phaseD = 0.0;
    double phaseE = 0.0;
    double phaseF = 0.0;
    double motionPhase = 0.0; // turns also while frozen
    double breathPhase = 0.0; // holds while frozen
};

struct FilamentIncrements {
    double a, b, c, d, e, f, motion, breath;

    explicit FilamentIncrements(double rate)
        : a(phaseIncrement(563.0, rate))
        , b(phaseIncrement(811.0, rate))
        , c(phaseIncrement(1217.0, rate))
        , d(phaseIncrement(2143.0, rate))
        , e(phaseIncrement(3719.0, rate))
        , f(phaseIncrement(6029.0, rate))
        , motion(phaseIncrement(0.041, rate))
        , breath(phaseIncrement(0.113, rate))
    {
    }
};

// Per-block loudness and brightness, from the shaped wave and anomaly levels
// and the glowworm's shaped activity A and brightness B.
struct FilamentBlock {
    double level;
    double brightness;

    FilamentBlock(double waveLevel, double anomalyLevel, double A, double B)
        : level(std::min(std::max((2.4 * waveLevel + 1.35 * anomalyLevel + 0.055 * A + 0.065 * B) * 0.19, 0.006), 0.06))
        , brightness(0.45 + 0.55 * B)
    {
    }
};

inline StereoFrame filamentFrame(const FilamentState& s, const FilamentBlock& block, double LD)
{
    const double fb = s.breathPhase;
    const auto [breathSine, burstSine] = sine(fb, 2.37 * fb + 0.91);
    const auto [a, b] = sine(s.phaseA, s.phaseB + 0.41);
    const auto [c, d] = sine(s.phaseC + 1.17, s.phaseD + 0.73);
    const auto [e, f] = sine(s.phaseE + 1.61, s.phaseF + 2.27);
    const auto [sideL, sideR] = sine(0.47 * fb, 0.53 * fb + 1.2);
    const double breath = (breathSine + 1.0) / 2.0;
    const double burst = wholePower<7>(std::max(burstSine, 0.0));
    const double low = (0.22 + 0.78 * breath) * (0.34 * a + 0.27 * b + 0.2 * c);
    const double high = (burst + 0.35) * block.brightness * (0.9 + 0.18 * LD) * (0.13 * d + 0.085 * e + 0.05 * f);
    const double filament = block.level * (low + high);

    // The two small side factors drift apart, so the sides never quite match.
    const double p = 0.86 * sine(s.motionPhase);
    return {(0.94 + 0.06 * sideL) * std::sqrt((1.0 - p) / 2.0) * filament,
            (0.94 + 0.06 * sideR) * std::sqrt((1.0 + p) / 2.0) * filament};
}

inline void advanceFilament(FilamentState& s, const FilamentIncrements& inc, bool frozen)
{
    advancePhase(s.phaseA, inc.a);
    advancePhase(s.phaseB, inc.b);
    advancePhase(s.phaseC, inc.c);
    advancePhase(s.phaseD, inc.d);
    advancePhase(s.phaseE, inc.e);
    advancePhase(s.phaseF, inc.f);
    advancePhase(s.motionPhase, inc.motion);
    if (!frozen)
        advancePhase(s.breathPhase, inc.breath);
}

} // namespace slm::synth
