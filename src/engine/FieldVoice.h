#pragma once

#include "engine/SlowModulators.h"
#include "engine/SpatialDelay.h"
#include "engine/SynthMath.h"

#include <cmath>

// The field: a second drone whose partials sit just off the reactor's, so the
// two beat slowly against each other. It pulses, swings across the stereo
// field, and is widened by a 4-frame (left) and 13-frame (right) delay.
namespace slm::synth {

struct FieldState {
    double phaseA = 0.0;
    double phaseB = 0.0;
    double phaseC = 0.0;
    double phaseD = 0.0;
    double pulsePhase = 0.0;  // holds while frozen
    double motionPhase = 0.0; // holds while frozen
    SpatialDelayLine delayL;
    SpatialDelayLine delayR;
};

struct FieldIncrements {
    double a, b, c, d, pulse, motion;

    explicit FieldIncrements(double rate)
        : a(phaseIncrement(39.67, rate))
        , b(phaseIncrement(81.13, rate))
        , c(phaseIncrement(118.91, rate))
        , d(phaseIncrement(203.47, rate))
        , pulse(phaseIncrement(0.071, rate))
        , motion(phaseIncrement(0.031, rate))
    {
    }
};

// Field L and R before the gate. Writes this frame's dry values into the
// delay lines at `writeIndex` (also while the voice is gated, so unmuting
// needs no refill).
inline StereoFrame fieldFrame(FieldState& s, const Modulators& m, double level, int writeIndex)
{
    const double tapL = s.delayL.tap(writeIndex, 4);
    const double tapR = s.delayR.tap(writeIndex, 13);

    const auto [a, b] = sine(s.phaseA, s.phaseB);
    const auto [c, d] = sine(s.phaseC, s.phaseD);
    const auto [pulseSine, motionSine] = sine(s.pulsePhase, s.motionPhase);
    const double tone = 0.72 * a + 0.38 * b + 0.24 * c + 0.12 * d;
    const double longForm = 0.92 + 0.14 * m.LB;
    const double pulse = 0.58 + 0.42 * (pulseSine + 1.0) / 2.0;
    // The field swells as the reactor's macro factor falls.
    const double macro = 0.68 + 0.3 * (1.0 - m.M1) + 0.2 * m.M2;
    const double mono = longForm * pulse * macro * level * tone;

    const double p = 0.72 * motionSine;
    const double dryL = mono * std::sqrt((1.0 - p) / 2.0);
    const double dryR = mono * std::sqrt((1.0 + p) / 2.0);
    s.delayL.write(writeIndex, dryL);
    s.delayR.write(writeIndex, dryR);

    return {0.74 * dryL + 0.26 * tapL, 0.68 * dryR + 0.32 * tapR};
}

inline void advanceField(FieldState& s, const FieldIncrements& inc, bool frozen)
{
    advancePhase(s.phaseA, inc.a);
    advancePhase(s.phaseB, inc.b);
    advancePhase(s.phaseC, inc.c);
    advancePhase(s.phaseD, inc.d);
    if (!frozen) {
        advancePhase(s.motionPhase, inc.motion);
        advancePhase(s.pulsePhase, inc.pulse);
    }
}

} // namespace slm::synth
