#pragma once

#include "engine/SlowModulators.h"
#include "engine/SynthMath.h"

#include <cmath>

// The reactor: a 40 Hz tone with four harmonic overtones, centred, breathing
// under four slow factors. The foundation of the soundscape and its only mono voice.
namespace slm::synth {

struct ReactorState {
    double phase40 = 0.0;
    double phase80 = 0.0;
    double phase120 = 0.0;
    double phase200 = 0.0;
    double phase320 = 0.0;
};

struct ReactorIncrements {
    double p40, p80, p120, p200, p320;

    explicit ReactorIncrements(double rate)
        : p40(phaseIncrement(40.0, rate))
        , p80(phaseIncrement(80.0, rate))
        , p120(phaseIncrement(120.0, rate))
        , p200(phaseIncrement(200.0, rate))
        , p320(phaseIncrement(320.0, rate))
    {
    }
};

// One mono value before the gate; `level` is the shaped reactor level.
inline double reactorFrame(const ReactorState& s, const Modulators& m, double level)
{
    const auto [p40, p80] = sine(s.phase40, s.phase80);
    const auto [p120, p200] = sine(s.phase120, s.phase200);
    const double tone = p40 + 0.42 * p80 + 0.24 * p120 + 0.11 * p200 + 0.045 * sine(s.phase320);
    const double longForm = 0.93 + 0.11 * m.LA - 0.03 * m.LC;
    const double drift = 0.92 + 0.08 * (m.DR + 1.0) / 2.0;
    const double breath = 0.82 + 0.18 * (m.BR + 1.0) / 2.0;
    const double macro = 0.82 + 0.2 * m.M1 + 0.08 * m.M3;
    return longForm * drift * breath * macro * level * tone;
}

inline void advanceReactor(ReactorState& s, const ReactorIncrements& inc)
{
    advancePhase(s.phase40, inc.p40);
    advancePhase(s.phase80, inc.p80);
    advancePhase(s.phase120, inc.p120);
    advancePhase(s.phase200, inc.p200);
    advancePhase(s.phase320, inc.p320);
}

} // namespace slm::synth
