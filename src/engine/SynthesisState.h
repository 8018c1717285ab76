#pragma once

#include "engine/AnomalyVoice.h"
#include "engine/ControlSmoothing.h"
#include "engine/FieldVoice.h"
#include "engine/FilamentLayer.h"
#include "engine/GlowwormVoice.h"
#include "engine/HalfMinuteChime.h"
#include "engine/MeterHandoff.h"
#include "engine/NoiseLayer.h"
#include "engine/ReactorVoice.h"
#include "engine/SlowModulators.h"
#include "engine/StartupFade.h"
#include "engine/TransportFade.h"
#include "engine/VoiceGates.h"
#include "engine/WaveVoice.h"

#include <array>
#include <cstdint>

// Everything the render advances from frame to frame. Only the render thread
// touches it once the engine has started.
struct SynthesisState {
    static constexpr int spectrumBlockLength = 4096;

    slm::synth::StartupFade startup;
    slm::synth::TransportFade transport;
    std::uint32_t reportedSilentCommand = 0;
    slm::synth::SmoothedControls controls;
    slm::synth::VoiceGains gates;
    int spatialDelayIndex = 0; // shared by the field's and the wave's delay lines

    slm::synth::HalfMinuteChimeState chime;

    std::array<float, spectrumBlockLength> spectrumBuffer{};
    int spectrumWriteIndex = 0;

    std::int64_t meterFramesUntilPublish = 0;
    MeterPeaks meterPeaks;

    slm::synth::ReactorState reactor;
    slm::synth::FieldState field;
    slm::synth::WaveState wave;
    slm::synth::FilamentState filament;
    slm::synth::SlowModulatorState modulators;
    slm::synth::NoiseState noise;
    slm::synth::AnomalyState anomaly;
    slm::synth::GlowwormState glowworm;
};
