#pragma once

#include "engine/ChunkKernel.h"
#include "engine/SlowModulators.h"
#include "math/Lanes.h"
#include "math/SineLanes.h"

#include <numbers>

// The slow modulators, frame by frame, without a sine per frame: each of the
// ten arguments turns by a fixed step, so its (sine, cosine) pair is rotated
// by that step, four products where a sine costs twenty. Re-anchored on
// exact sines of the phases every anchorFrames frames, the rotation stays
// within about 1e-14 of the sines themselves. Scalar code in one translation
// unit: every kernel sees the same values.
namespace slm::synth {

class ModulatorRotation {
public:
    static constexpr int anchorFrames = 32;
    static_assert(anchorFrames % chunkFrames == 0);

    // Once per block, before the first anchor.
    void setSteps(const SlowModulatorIncrements& inc)
    {
        double steps[padded] = {inc.macro,     inc.macroSecondary, inc.macroTertiary, 0.5 * inc.macro,
                                inc.longFormA, inc.longFormB,      inc.longFormC,     inc.longFormD,
                                inc.breath,    inc.drift};
        sinesAndCosines(steps, m_stepSin, m_stepCos);
    }

    // The exact values at the phases of the next frame.
    void anchor(const SlowModulatorState& s)
    {
        double arguments[padded] = {s.macroPhase,          s.macroSecondaryPhase + 1.2, s.macroTertiaryPhase + 2.4,
                                    0.5 * s.macroPhase + 0.6, s.longFormPhaseA,       s.longFormPhaseB + 1.11,
                                    s.longFormPhaseC + 2.03, s.longFormPhaseD + 0.47, s.breathPhase,
                                    s.driftPhase};
        sinesAndCosines(arguments, m_sin, m_cos);
    }

    // Frame j's values into the lanes, then the phases and the pairs one
    // frame on; a frozen engine holds both still.
    void next(ModulatorLanes& out, int j, SlowModulatorState& s, const SlowModulatorIncrements& inc, bool frozen)
    {
        out.M1.v[j] = toUnit(m_sin[0]);
        out.M2.v[j] = toUnit(m_sin[1]);
        out.M3.v[j] = toUnit(m_sin[2]);
        out.MD.v[j] = m_sin[3];
        out.LA.v[j] = toUnit(m_sin[4]);
        out.LB.v[j] = toUnit(m_sin[5]);
        out.LC.v[j] = toUnit(m_sin[6]);
        out.LD.v[j] = toUnit(m_sin[7]);
        out.BR.v[j] = m_sin[8];
        out.DR.v[j] = m_sin[9];
        if (frozen)
            return;
        const double macro = s.macroPhase;
        advanceSlowModulators(s, inc);
        // Half the macro phase jumps by half a turn where the phase wraps, so
        // that argument is not periodic: start again from the sines there.
        if (s.macroPhase < macro) {
            anchor(s);
            return;
        }
        for (int i = 0; i < padded; ++i) {
            const double sine = m_sin[i] * m_stepCos[i] + m_cos[i] * m_stepSin[i];
            const double cosine = m_cos[i] * m_stepCos[i] - m_sin[i] * m_stepSin[i];
            m_sin[i] = sine;
            m_cos[i] = cosine;
        }
    }

    // A chunk's `frames` frames into the lanes: what next() gives frame by
    // frame, with the pairs held in registers. A chunk in which the macro
    // phase wraps (once every three minutes) goes frame by frame.
    void chunk(ModulatorLanes& out, int frames, SlowModulatorState& s, const SlowModulatorIncrements& inc, bool frozen)
    {
        if (!frozen) {
            SlowModulatorState after = s;
            bool wraps = false;
            for (int j = 0; j < frames; ++j) {
                const double macro = after.macroPhase;
                advanceSlowModulators(after, inc);
                wraps |= after.macroPhase < macro;
            }
            if (wraps) {
                for (int j = 0; j < frames; ++j)
                    next(out, j, s, inc, false);
                return;
            }
            s = after;
        }
        Two sines[pairs], cosines[pairs];
        for (int i = 0; i < pairs; ++i) {
            sines[i] = Two{m_sin[2 * i], m_sin[2 * i + 1]};
            cosines[i] = Two{m_cos[2 * i], m_cos[2 * i + 1]};
        }
        for (int j = 0; j < frames; ++j) {
            out.M1.v[j] = toUnit(sines[0][0]);
            out.M2.v[j] = toUnit(sines[0][1]);
            out.M3.v[j] = toUnit(sines[1][0]);
            out.MD.v[j] = sines[1][1];
            out.LA.v[j] = toUnit(sines[2][0]);
            out.LB.v[j] = toUnit(sines[2][1]);
            out.LC.v[j] = toUnit(sines[3][0]);
            out.LD.v[j] = toUnit(sines[3][1]);
            out.BR.v[j] = sines[4][0];
            out.DR.v[j] = sines[4][1];
            if (frozen)
                continue;
            for (int i = 0; i < pairs; ++i) {
                const Two stepSin = {m_stepSin[2 * i], m_stepSin[2 * i + 1]};
                const Two stepCos = {m_stepCos[2 * i], m_stepCos[2 * i + 1]};
                const Two sine = sines[i] * stepCos + cosines[i] * stepSin;
                cosines[i] = cosines[i] * stepCos - sines[i] * stepSin;
                sines[i] = sine;
            }
        }
        for (int i = 0; i < pairs; ++i) {
            m_sin[2 * i] = sines[i][0];
            m_sin[2 * i + 1] = sines[i][1];
            m_cos[2 * i] = cosines[i][0];
            m_cos[2 * i + 1] = cosines[i][1];
        }
    }

private:
    static constexpr int count = 10;
    static constexpr int padded = 12;
    using Two = Doubles<2>; // one SSE2 register, the baseline this file is built for
    static constexpr int pairs = count / 2; // the two spare lanes never reach a voice

    static void sinesAndCosines(const double (&x)[padded], double (&sines)[padded], double (&cosines)[padded])
    {
        constexpr double quarterTurn = std::numbers::pi / 2.0;
        for (int i = 0; i < padded; i += 2) {
            const Two v = {x[i], x[i + 1]};
            const Two s = sineLanes(v);
            const Two c = sineLanes(v + quarterTurn);
            sines[i] = s[0];
            sines[i + 1] = s[1];
            cosines[i] = c[0];
            cosines[i + 1] = c[1];
        }
    }

    alignas(32) double m_sin[padded] = {};
    alignas(32) double m_cos[padded] = {};
    alignas(32) double m_stepSin[padded] = {};
    alignas(32) double m_stepCos[padded] = {};
};

} // namespace slm::synth
