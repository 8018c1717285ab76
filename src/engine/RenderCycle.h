#pragma once

#include "engine/AudioOutput.h"
#include "engine/ChunkKernel.h"
#include "engine/ModulatorRotation.h"
#include "engine/SteadyRotation.h"
#include "engine/SynthesisState.h"
#include "engine/TransportFade.h"

#include <atomic>
#include <cstdint>

class MeterHandoff;
class SLMAudioParameters;
class SpectrumSink;
class SLMSystemOutputVolume;

// The body of the render callback: reads the main thread's values once per
// block, then computes every frame of every voice, the gates, the master, the
// outputs, and the meter and spectrum hand-offs. Runs on the audio thread:
// no locks, no allocation, no waiting.
class RenderCycle {
public:
    // Where the render reads the main thread's values (relaxed atomics, once per block).
    struct Sources {
        const SLMAudioParameters& parameters;
        const SLMSystemOutputVolume& systemOutput;
        const std::atomic<double>& wallClockSecond;
        const std::atomic<bool>& isFrozen;
        const std::atomic<slm::synth::TransportTarget>& transport;
    };
    // Where the render hands its results.
    struct Sinks {
        MeterHandoff& meters;
        SpectrumSink& spectrum;
        // The command of a pause whose fade has reached silence; the meter
        // hand-off's wake-up tells the main thread to look.
        std::atomic<std::uint32_t>& silentCommand;
    };

    RenderCycle(const Sources& sources, const Sinks& sinks);

    // Before the first render, once the rate is known: start-up hold and
    // fade, meter budget, then the first event countdowns.
    void armStartup(double rate);
    void armEvents(double rate);

    void render(std::uint32_t frameCount, AudioBufferList buffers, double rate);

    const SynthesisState& state() const { return m_state; }
    const slm::synth::ChunkKernel& kernel() const { return *m_kernel; }


private:
    void publishMeters(std::int64_t frames, double rate);
    void reportSilence();

    Sources m_sources;
    Sinks m_sinks;
    const slm::synth::ChunkKernel* m_kernel;
    // Lanes past the end of a short last chunk keep what an earlier chunk
    // left there (zero at first): ordinary numbers, whose results are dropped.
    struct Chunk {
        slm::synth::ModulatorRotation modulators;
        slm::synth::SteadyPhases phases{};
        slm::synth::SteadyRotation sines;
        slm::synth::ChunkInput in{};
        slm::synth::ChunkOutput out{};
    } m_chunk;
    SynthesisState m_state;
};
