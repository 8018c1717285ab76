#pragma once

#include "engine/SlowModulators.h"
#include "engine/SpatialDelay.h"
#include "engine/SynthMath.h"

#include <cmath>

// The wave: five inharmonic partials between 412 and 1286 Hz plus a little
// filtered noise, with its own weights and phase offsets per side, a slow
// tide, a shimmer, a left-right motion and cross-fed 9/23-frame delays.
namespace slm::synth {

struct WaveState {
    double phaseA = 0.0;
    double phaseB = 0.0;
    double phaseC = 0.0;
    double phaseD = 0.0;
    double phaseE = 0.0;
    double motionPhase = 0.0;  // the three modulators hold while frozen
    double tidePhase = 0.0;
    double shimmerPhase = 0.0;
    SpatialDelayLine delayL;
    SpatialDelayLine delayR;
};

struct WaveIncrements {
    double a, b, c, d, e, motion, tide, shimmer;

    explicit WaveIncrements(double rate)
        : a(phaseIncrement(412.3, rate))
        , b(phaseIncrement(517.8, rate))
        , c(phaseIncrement(689.6, rate))
        , d(phaseIncrement(947.2, rate))
        , e(phaseIncrement(1286.4, rate))
        , motion(phaseIncrement(0.019, rate))
        , tide(phaseIncrement(0.043, rate))
        , shimmer(phaseIncrement(0.137, rate))
    {
    }
};

// Wave-voice L and R, before the filament joins and before the gate. Writes
// this frame's dry values into the delay lines at `writeIndex`.
inline StereoFrame waveFrame(WaveState& s, const Modulators& m, double level, double noiseL, double noiseR,
                             int writeIndex)
{
    const double tapL = s.delayL.tap(writeIndex, 9);
    const double tapR = s.delayR.tap(writeIndex, 23);

    const auto [aL, aR] = sine(s.phaseA, s.phaseA + 0.41);
    const auto [bL, bR] = sine(s.phaseB, s.phaseB + 0.77);
    const auto [cL, cR] = sine(s.phaseC, s.phaseC + 1.1);
    const auto [dL, dR] = sine(s.phaseD, s.phaseD + 1.57);
    const auto [eL, eR] = sine(s.phaseE, s.phaseE + 2.03);
    const double toneL = 0.28 * aL + 0.21 * bL + 0.15 * cL + 0.1 * dL + 0.055 * eL + 0.15 * noiseL;
    const double toneR = 0.24 * aR + 0.19 * bR + 0.17 * cR + 0.09 * dR + 0.06 * eR + 0.15 * noiseR;

    const auto [shimmerSine, tideSine] = sine(s.shimmerPhase, s.tidePhase);
    const double longForm = 0.86 + 0.26 * m.LC;
    const double shimmer = 0.72 + 0.28 * (shimmerSine + 1.0) / 2.0;
    // The deepest modulation: at low tide the voice nearly ebbs away.
    const double tide = 0.18 + 0.82 * (tideSine + 1.0) / 2.0;
    const double macro = 0.42 + 0.38 * m.M1 + 0.28 * m.M2 + 0.18 * m.M3;
    const double C = longForm * shimmer * tide * macro * level;

    // A linear balance between 0.72 and 1.0, not an equal-power pan.
    const double motion = sine(s.motionPhase);
    const double dryL = C * (0.72 + 0.28 * (1.0 - motion) / 2.0) * toneL;
    const double dryR = C * (0.72 + 0.28 * (1.0 + motion) / 2.0) * toneR;
    s.delayL.write(writeIndex, dryL);
    s.delayR.write(writeIndex, dryR);

    return {0.72 * dryL + 0.19 * tapL - 0.09 * tapR, 0.72 * dryR + 0.19 * tapR - 0.09 * tapL};
}

inline void advanceWave(WaveState& s, const WaveIncrements& inc, bool frozen)
{
    advancePhase(s.phaseA, inc.a);
    advancePhase(s.phaseB, inc.b);
    advancePhase(s.phaseC, inc.c);
    advancePhase(s.phaseD, inc.d);
    advancePhase(s.phaseE, inc.e);
    if (!frozen) {
        advancePhase(s.motionPhase, inc.motion);
        advancePhase(s.tidePhase, inc.tide);
        advancePhase(s.shimmerPhase, inc.shimmer);
    }
}

} // namespace slm::synth
