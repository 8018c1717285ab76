#pragma once

#include "engine/SynthesisState.h"

#include <cmath>
#include <span>

// The last line of defence behind the bounded controls: a voice whose state
// has gone non-finite would stay so for good (delay lines and envelopes feed
// on themselves), so it is reset to silence at the end of the block that
// broke it. Checked once per block by summing the state, which costs about
// one addition per frame; a sum of finite states stays finite.
namespace slm::synth {

namespace detail {

inline double sumOf(std::span<const double> values)
{
    double sum = 0.0;
    for (const double v : values)
        sum += v;
    return sum;
}

inline bool finite(const SpatialDelayLine& line) { return std::isfinite(sumOf(line.samples)); }

template <typename... Values>
bool finite(Values... values)
{
    return std::isfinite((values + ...));
}

} // namespace detail

inline bool isFinite(const ReactorState& s)
{
    return detail::finite(s.phase40, s.phase80, s.phase120, s.phase200, s.phase320);
}

inline bool isFinite(const FieldState& s)
{
    return detail::finite(s.phaseA, s.phaseB, s.phaseC, s.phaseD, s.pulsePhase, s.motionPhase)
        && detail::finite(s.delayL) && detail::finite(s.delayR);
}

inline bool isFinite(const WaveState& s)
{
    return detail::finite(s.phaseA, s.phaseB, s.phaseC, s.phaseD, s.phaseE, s.motionPhase, s.tidePhase,
                          s.shimmerPhase)
        && detail::finite(s.delayL) && detail::finite(s.delayR);
}

inline bool isFinite(const FilamentState& s)
{
    return detail::finite(s.phaseA, s.phaseB, s.phaseC, s.phaseD, s.phaseE, s.phaseF, s.motionPhase, s.breathPhase);
}

inline bool isFinite(const HalfMinuteChimeState& s)
{
    return detail::finite(s.phaseSub, s.phaseBody, s.phaseRing, s.phaseAir, s.presenceEnvelope, s.crossingEnvelope,
                          s.impactEnvelope);
}

inline bool isFinite(const AnomalyState& s)
{
    return detail::finite(s.frequencyA, s.frequencyB, s.frequencyC, s.panBias, s.intensity, s.phaseA, s.phaseB,
                          s.phaseC, s.motionPhase, s.flutterPhase);
}

inline bool isFinite(const GlowwormState& s)
{
    return detail::finite(s.rootFrequency, s.headFrequency, s.bodyFrequencyA, s.bodyFrequencyB, s.trailFrequencyA,
                          s.trailFrequencyB, s.panStart, s.direction, s.intensity, s.headPhase, s.bodyPhaseA,
                          s.bodyPhaseB, s.trailPhaseA, s.trailPhaseB, s.pulsePhase);
}

// An event voice ends its event and keeps its countdown.
template <typename EventState>
void silenceEvent(EventState& s)
{
    const auto countdown = s.samplesUntilNext;
    s = EventState{};
    s.samplesUntilNext = countdown;
}

inline bool isFinite(const SlowModulatorState& s)
{
    return detail::finite(s.breathPhase, s.driftPhase, s.macroPhase, s.macroSecondaryPhase, s.macroTertiaryPhase,
                          s.longFormPhaseA, s.longFormPhaseB, s.longFormPhaseC, s.longFormPhaseD);
}

// Resets every voice whose state is no longer finite; true if any was.
inline bool silenceNonFiniteVoices(SynthesisState& st)
{
    bool reset = false;
    const auto check = [&reset](auto& state, auto silence) {
        if (!isFinite(state)) {
            silence(state);
            reset = true;
        }
    };
    check(st.reactor, [](ReactorState& s) { s = {}; });
    check(st.field, [](FieldState& s) { s = {}; });
    check(st.wave, [](WaveState& s) { s = {}; });
    check(st.filament, [](FilamentState& s) { s = {}; });
    check(st.chime, [](HalfMinuteChimeState& s) { s = {}; });
    check(st.anomaly, [](AnomalyState& s) { silenceEvent(s); });
    check(st.glowworm, [](GlowwormState& s) { silenceEvent(s); });
    check(st.modulators, [](SlowModulatorState& s) { s = {}; });
    if (!detail::finite(st.noise.filteredNoiseL, st.noise.filteredNoiseR)) {
        st.noise.filteredNoiseL = 0.0;
        st.noise.filteredNoiseR = 0.0;
        reset = true;
    }
    return reset;
}

} // namespace slm::synth
