#include "engine/RenderCycle.h"

#include "analysis/SLMAudioSpectrum.h"
#include "control/SLMAudioParameters.h"
#include "control/SLMSystemOutputVolume.h"
#include "engine/MeterHandoff.h"
#include "engine/VoiceRecovery.h"

#include <algorithm>
#include <cmath>
#include <span>

using namespace slm::synth;

namespace {

// The volume only scales what the meters and the analyser show; the device applies it to the sound.
double volumeFactor(double volume) { return volume > 0.0 ? std::min(volume, 1.0) : 0.0; }

std::int64_t meterBudget(double rate) { return std::max<std::int64_t>(samplesFor(rate / 30.0), 1); }

void raisePeak(double& peak, double magnitude) { peak = std::max(peak, magnitude); }

// tanh keeps the master within [-1, 1] for anything but NaN; a NaN frame,
// before its voice is reset at the end of the block, is played as silence.
double playable(double x) { return std::isnan(x) ? 0.0 : x; }

} // namespace

RenderCycle::RenderCycle(const Sources& sources, const Sinks& sinks)
    : m_sources(sources)
    , m_sinks(sinks)
{
}

void RenderCycle::armStartup(double rate)
{
    m_state.meterFramesUntilPublish = meterBudget(rate);
    m_state.startup.arm(rate);
}

void RenderCycle::armEvents(double rate)
{
    m_state.anomaly.samplesUntilNext = samplesFor(rate * 18.0);
    m_state.glowworm.samplesUntilNext = samplesFor(rate * 3.0);
}

void RenderCycle::render(std::uint32_t frameCount, AudioBufferList buffers, double r)
{
    SynthesisState& st = m_state;
    const std::int64_t n = frameCount;

    // Block prologue: every read of another thread's value happens here, once.
    glideControls(st.controls, m_sources.parameters, smoothingCoefficient(static_cast<double>(n), controlGlideSeconds, r));
    const ShapedControls shaped = shapeControls(st.controls);
    const double V = volumeFactor(m_sources.systemOutput.volume());
    const double s = m_sources.wallClockSecond.load(std::memory_order_relaxed);
    const bool F = m_sources.isFrozen.load(std::memory_order_relaxed);
    st.transport.follow(m_sources.transport.load(std::memory_order_relaxed), r);
    const VoiceGains gateTarget = gateTargets(m_sources.parameters);
    const double kGate = smoothingCoefficient(1.0, gateRampSeconds, r);
    const HalfMinuteChimeBlock chimeBlock{halfMinuteChimeTargets(s), smoothingCoefficient(1.0, 0.04, r),
                                          smoothingCoefficient(1.0, 0.018, r), smoothingCoefficient(1.0, 0.01, r)};
    if (n == 0) {
        publishMeters(n, r);
        return;
    }

    // Block constants.
    const double A = smoothstep(shaped.activity);
    const double B = smoothstep(shaped.brightness);
    const double T = smoothstep(shaped.trail);
    const double W = smoothstep(shaped.stereoTravel);
    const GlowwormBlock glowwormBlock(A, B, T, W, shaped.glowworm, shaped.glowwormMasterGain, r);
    const FilamentBlock filamentBlock(shaped.wave, shaped.anomaly, A, B);
    const double noiseAlpha = noiseSmoothing(r);
    const ReactorIncrements reactorInc(r);
    const FieldIncrements fieldInc(r);
    const WaveIncrements waveInc(r);
    const FilamentIncrements filamentInc(r);
    const HalfMinuteChimeIncrements chimeInc(r);
    const SlowModulatorIncrements modulatorInc(r);
    const AnomalyIncrements anomalyInc(r);

    // One buffer of two or more channels is interleaved; anything else is one channel per buffer.
    const bool interleaved = buffers.size() == 1 && buffers[0].channels >= 2 && buffers[0].data != nullptr;
    const std::size_t stride = interleaved ? buffers[0].channels : 1;

    for (std::int64_t i = 0; i < n; ++i) {
        const double g = st.startup.nextGain();
        const double t = st.transport.isOpen() ? 1.0 : st.transport.nextGain();
        rampGates(st.gates, gateTarget, kGate);
        const Modulators m = modulatorsOf(st.modulators);
        noiseFrame(st.noise, noiseAlpha);

        const StereoFrame anomaly =
            anomalyFrame(st.anomaly, st.noise.noiseState, r, F, shaped.anomaly, m.LB, m.LD);
        const StereoFrame glowworm = glowwormFrame(st.glowworm, st.noise.noiseState, r, F, glowwormBlock, m.LA, m.LC);
        const StereoFrame chime = halfMinuteChimeFrame(st.chime, chimeBlock, st.filament.breathPhase, st.filament.motionPhase);
        const StereoFrame field = fieldFrame(st.field, m, shaped.field, st.spatialDelayIndex);
        const StereoFrame wave = waveFrame(st.wave, m, shaped.wave, st.noise.filteredNoiseL, st.noise.filteredNoiseR,
                                           st.spatialDelayIndex);
        st.spatialDelayIndex = nextSpatialIndex(st.spatialDelayIndex);
        const StereoFrame filament = filamentFrame(st.filament, filamentBlock, m.LD);
        const double reactorBus = reactorFrame(st.reactor, m, shaped.reactor) * st.gates.reactor;

        const double fieldL = field.L * st.gates.field;
        const double fieldR = field.R * st.gates.field;
        const double waveL = (wave.L + filament.L) * st.gates.wave;
        const double waveR = (wave.R + filament.R) * st.gates.wave;
        const double anomalyL = anomaly.L * st.gates.anomaly;
        const double anomalyR = anomaly.R * st.gates.anomaly;
        const double glowwormL = (glowworm.L + chime.L) * st.gates.glowworm;
        const double glowwormR = (glowworm.R + chime.R) * st.gates.glowworm;

        // Two-stage master: the glowworm bus joins after the first saturation,
        // so the drive does not apply to it. |out| never exceeds 1.
        const double drive = 0.88 + 0.12 * (m.MD + 1.0) / 2.0;
        const double innerL = std::tanh(drive * (reactorBus + fieldL + waveL + anomalyL));
        const double innerR = std::tanh(drive * (reactorBus + fieldR + waveR + anomalyR));
        const double outL = playable(std::tanh(0.92 * (innerL + glowwormL)) * g * t);
        const double outR = playable(std::tanh(0.92 * (innerR + glowwormR)) * g * t);
        const double mono = outL + outR;

        // The analyser gets its own copy of the block, so writing on from index 0 is safe.
        if (st.spectrumWriteIndex < SynthesisState::spectrumBlockLength)
            st.spectrumBuffer[st.spectrumWriteIndex++] = static_cast<float>(V * mono * 0.5);
        if (st.spectrumWriteIndex == SynthesisState::spectrumBlockLength) {
            st.spectrumWriteIndex = 0;
            m_sinks.spectrum.ingest(std::span<const float>(st.spectrumBuffer), r);
        }

        // Voice peaks after the gates, before the master; master peaks as the
        // listener hears them. A pause takes the voices' meters down with it.
        MeterPeaks& peaks = st.meterPeaks;
        raisePeak(peaks.reactor, std::abs(reactorBus) * t);
        raisePeak(peaks.field, std::max(std::abs(fieldL), std::abs(fieldR)) * t);
        raisePeak(peaks.wave, std::max(std::abs(waveL), std::abs(waveR)) * t);
        raisePeak(peaks.anomaly, std::max(std::abs(anomalyL), std::abs(anomalyR)) * t);
        raisePeak(peaks.glowworm, std::max(std::abs(glowwormL), std::abs(glowwormR)) * t);
        raisePeak(peaks.masterLeft, V * std::abs(outL));
        raisePeak(peaks.masterRight, V * std::abs(outR));

        const float left = static_cast<float>(outL);
        const float right = static_cast<float>(outR);
        const float mid = static_cast<float>(mono / 2.0);
        if (interleaved) {
            float* frame = buffers[0].data + static_cast<std::size_t>(i) * stride;
            frame[0] = left;
            frame[1] = right;
            for (std::size_t c = 2; c < stride; ++c)
                frame[c] = mid;
        } else {
            for (std::size_t k = 0; k < buffers.size(); ++k) {
                if (float* data = buffers[k].data)
                    data[i] = k == 0 ? left : (k == 1 ? right : mid);
            }
        }

        advanceReactor(st.reactor, reactorInc);
        advanceField(st.field, fieldInc, F);
        advanceWave(st.wave, waveInc, F);
        advanceFilament(st.filament, filamentInc, F);
        advanceHalfMinuteChime(st.chime, chimeInc);
        if (!F)
            advanceSlowModulators(st.modulators, modulatorInc);
        advanceAnomaly(st.anomaly, anomalyInc, F);
        advanceGlowwormPulse(st.glowworm, glowwormBlock);
    }

    silenceNonFiniteVoices(st);
    publishMeters(n, r);
    reportSilence();
}

// Once per pause request: the main thread corks the output on this report.
void RenderCycle::reportSilence()
{
    TransportFade& transport = m_state.transport;
    if (transport.step >= 0.0 || !transport.isSilent() || m_state.reportedSilentCommand == transport.command)
        return;
    m_state.reportedSilentCommand = transport.command;
    m_sinks.silentCommand.store(transport.command, std::memory_order_release);
    m_sinks.meters.wake();
}

// Counted in whole blocks: the hand-off comes at the end of the first block
// that exhausts the budget, and the leftover is not carried over.
void RenderCycle::publishMeters(std::int64_t frames, double rate)
{
    m_state.meterFramesUntilPublish -= frames;
    if (m_state.meterFramesUntilPublish > 0)
        return;
    m_sinks.meters.push(m_state.meterPeaks);
    m_state.meterPeaks = MeterPeaks{};
    m_state.meterFramesUntilPublish = meterBudget(rate);
}
