#pragma once

#include "engine/SynthMath.h"

#include <cmath>

// The slow cycles shared by several voices: breath and drift (seconds), the
// macro cycles (minutes) and the long-form cycles (tens of minutes). Their
// periods never line up, which is what keeps the soundscape evolving. They
// hold still while the engine is frozen.
namespace slm::synth {

struct SlowModulatorState {
    double breathPhase = 0.0;
    double driftPhase = 0.0;
    double macroPhase = 0.0;
    double macroSecondaryPhase = 0.0;
    double macroTertiaryPhase = 0.0;
    double longFormPhaseA = 0.0;
    double longFormPhaseB = 0.0;
    double longFormPhaseC = 0.0;
    double longFormPhaseD = 0.0;
};

struct SlowModulatorIncrements {
    double breath, drift;
    double macro, macroSecondary, macroTertiary;
    double longFormA, longFormB, longFormC, longFormD;

    explicit SlowModulatorIncrements(double rate)
        : breath(phaseIncrement(0.095, rate))
        , drift(phaseIncrement(0.057, rate))
        , macro(phaseIncrement(1.0 / 180.0, rate))
        , macroSecondary(phaseIncrement(1.0 / 247.0, rate))
        , macroTertiary(phaseIncrement(1.0 / 331.0, rate))
        , longFormA(phaseIncrement(1.0 / 420.0, rate))
        , longFormB(phaseIncrement(1.0 / 660.0, rate))
        , longFormC(phaseIncrement(1.0 / 1020.0, rate))
        , longFormD(phaseIncrement(1.0 / 1380.0, rate))
    {
    }
};

// The values the voices read in one frame: M* and L* in 0...1, MD, BR, DR in -1...1.
struct Modulators {
    double M1, M2, M3, MD;
    double LA, LB, LC, LD;
    double BR, DR;
};

inline Modulators modulatorsOf(const SlowModulatorState& s)
{
    const auto [macro1, macro2] = sine(s.macroPhase, s.macroSecondaryPhase + 1.2);
    const auto [macro3, macroDepth] = sine(s.macroTertiaryPhase + 2.4, 0.5 * s.macroPhase + 0.6);
    const auto [longA, longB] = sine(s.longFormPhaseA, s.longFormPhaseB + 1.11);
    const auto [longC, longD] = sine(s.longFormPhaseC + 2.03, s.longFormPhaseD + 0.47);
    const auto [breath, drift] = sine(s.breathPhase, s.driftPhase);
    Modulators m;
    m.M1 = toUnit(macro1);
    m.M2 = toUnit(macro2);
    m.M3 = toUnit(macro3);
    m.MD = macroDepth;
    m.LA = toUnit(longA);
    m.LB = toUnit(longB);
    m.LC = toUnit(longC);
    m.LD = toUnit(longD);
    m.BR = breath;
    m.DR = drift;
    return m;
}

inline void advanceSlowModulators(SlowModulatorState& s, const SlowModulatorIncrements& inc)
{
    advancePhase(s.breathPhase, inc.breath);
    advancePhase(s.driftPhase, inc.drift);
    advancePhase(s.macroPhase, inc.macro);
    advancePhase(s.macroSecondaryPhase, inc.macroSecondary);
    advancePhase(s.macroTertiaryPhase, inc.macroTertiary);
    advancePhase(s.longFormPhaseA, inc.longFormA);
    advancePhase(s.longFormPhaseB, inc.longFormB);
    advancePhase(s.longFormPhaseC, inc.longFormC);
    advancePhase(s.longFormPhaseD, inc.longFormD);
}

} // namespace slm::synth
