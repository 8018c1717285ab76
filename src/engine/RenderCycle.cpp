#include "engine/RenderCycle.h"

#include "analysis/SpectrumSink.h"
#include "control/SLMAudioParameters.h"
#include "control/SLMSystemOutputVolume.h"
#include "engine/MeterHandoff.h"
#include "engine/SimdDispatch.h"
#include "engine/VoiceRecovery.h"
#include "math/VectorState.h"

#include <algorithm>
#include <cmath>
#include <span>

using namespace slm::synth;

namespace {

// The volume only scales what the meters and the analyser show; the device applies it to the sound.
double volumeFactor(double volume) { return volume > 0.0 ? std::min(volume, 1.0) : 0.0; }

std::int64_t meterBudget(double rate) { return std::max<std::int64_t>(samplesFor(rate / 30.0), 1); }

void raisePeak(double& peak, double magnitude) { peak = std::max(peak, magnitude); }

GlowwormConstants glowwormConstants(const GlowwormBlock& k)
{
    return {k.level,        k.masterGain,   k.releaseStart,   k.releaseLength,   k.chirpGain,   k.headDriveMix,
            k.bodyDriveMix, k.trailGain,    k.activityGain,   k.panStartWeight,  k.panTravelWeight, k.edgeFade};
}

bool sameGains(const VoiceGains& a, const VoiceGains& b)
{
    return a.reactor == b.reactor && a.field == b.field && a.wave == b.wave && a.anomaly == b.anomaly
        && a.glowworm == b.glowworm;
}

bool anyActive(const FrameLanes& active, int count)
{
    bool any = false;
    for (int j = 0; j < count; ++j)
        any |= active.v[j] > 0.5;
    return any;
}

// A call's phase steps hold from its start to its end within a block: worked
// out once, by the same expressions, instead of a division per phase per frame.
struct GlowwormSteps {
    double head, bodyA, bodyB, trailA, trailB;
    GlowwormSteps(const GlowwormState& s, const GlowwormBlock& k, double rate)
        : head(k.headPitch * twoPi * s.headFrequency / rate)
        , bodyA(twoPi * s.bodyFrequencyA / rate)
        , bodyB(k.bodyBPitch * twoPi * s.bodyFrequencyB / rate)
        , trailA(k.trailAPitch * twoPi * s.trailFrequencyA / rate)
        , trailB(k.trailBPitch * twoPi * s.trailFrequencyB / rate)
    {
    }
};

// The frame-by-frame part of a glowworm call: scheduling, the call's own
// phases and its end. What the frame sounds like is the kernel's work.
void glowwormLane(GlowwormState& s, GlowwormSteps& steps, std::uint64_t& random, double rate, bool frozen,
                  const GlowwormBlock& k, GlowwormLanes& lanes, int j)
{
    if (!s.active && !frozen) {
        --s.samplesUntilNext;
        if (s.samplesUntilNext < 1) {
            beginGlowworm(s, random, rate, k.A, k.B, k.T);
            steps = GlowwormSteps(s, k, rate);
        }
    }
    lanes.active.v[j] = s.active ? 1.0 : 0.0;
    if (!s.active)
        return;
    const std::int64_t n = s.sampleIndex;
    const std::int64_t D = s.durationSamples;
    lanes.index.v[j] = static_cast<double>(n);
    lanes.duration.v[j] = static_cast<double>(std::max<std::int64_t>(D, 1));
    lanes.remaining.v[j] = static_cast<double>(std::max<std::int64_t>(D - n, 0));
    lanes.pulse.v[j] = s.pulsePhase;
    lanes.head.v[j] = s.headPhase;
    lanes.bodyA.v[j] = s.bodyPhaseA;
    lanes.bodyB.v[j] = s.bodyPhaseB;
    lanes.trailA.v[j] = s.trailPhaseA;
    lanes.trailB.v[j] = s.trailPhaseB;
    lanes.intensity.v[j] = s.intensity;
    lanes.panStart.v[j] = s.panStart;
    lanes.direction.v[j] = s.direction;

    advancePhase(s.headPhase, steps.head);
    advancePhase(s.bodyPhaseA, steps.bodyA);
    advancePhase(s.bodyPhaseB, steps.bodyB);
    advancePhase(s.trailPhaseA, steps.trailA);
    advancePhase(s.trailPhaseB, steps.trailB);
    s.sampleIndex = n + 1;
    if (n + 1 >= D)
        endGlowworm(s, random, rate, k.A);
}

// An anomaly's partials glide: only the undetuned steps hold.
struct AnomalySteps {
    double a, b, c;
    AnomalySteps(const AnomalyState& s, double rate)
        : a(twoPi * s.frequencyA / rate)
        , b(twoPi * s.frequencyB / rate)
        , c(twoPi * s.frequencyC / rate)
    {
    }
};

// The same for an anomaly, whose partials glide with a slow detune: that
// sine is needed here, for the phases of the next frame.
void anomalyLane(AnomalyState& s, AnomalySteps& steps, std::uint64_t& random, double rate, bool frozen,
                 AnomalyLanes& lanes, int j)
{
    if (!s.active && !frozen) {
        --s.samplesUntilNext;
        if (s.samplesUntilNext < 1) {
            beginAnomaly(s, random, rate);
            steps = AnomalySteps(s, rate);
        }
    }
    lanes.active.v[j] = s.active ? 1.0 : 0.0;
    if (!s.active)
        return;
    const std::int64_t n = s.sampleIndex;
    const std::int64_t D = s.durationSamples;
    lanes.index.v[j] = static_cast<double>(n);
    lanes.duration.v[j] = static_cast<double>(std::max<std::int64_t>(D, 1));
    lanes.phaseA.v[j] = s.phaseA;
    lanes.phaseB.v[j] = s.phaseB;
    lanes.phaseC.v[j] = s.phaseC;
    lanes.flutter.v[j] = s.flutterPhase;
    lanes.panBias.v[j] = s.panBias;
    lanes.intensity.v[j] = s.intensity;

    const double m = 1.0 + 0.0045 * sine(0.63 * s.motionPhase);
    advancePhase(s.phaseA, steps.a * m);
    advancePhase(s.phaseB, steps.b * (2.0 - m));
    advancePhase(s.phaseC, steps.c * (1.0 + 0.55 * (m - 1.0)));
    s.sampleIndex = n + 1;
    if (n + 1 >= D)
        endAnomaly(s, random, rate);
}

struct ChimeEnvelopes {
    double presence, crossing, impact;
};

void chimeLane(ChimeEnvelopes& e, const HalfMinuteChimeBlock& k, ChimeLanes& lanes, int j)
{
    e.presence += k.kPresence * (k.targets.presence - e.presence);
    e.crossing += k.kCrossing * (k.targets.crossing - e.crossing);
    e.impact += k.kImpact * (k.targets.impact - e.impact);
    const double P = e.presence;
    const double X = e.crossing;
    const double I = e.impact;
    lanes.audible.v[j] = (P > 0.0001) || (X > 0.0001) || (I > 0.0001) ? 1.0 : 0.0;
    lanes.presence.v[j] = P;
    lanes.crossing.v[j] = X;
    lanes.impact.v[j] = I;
}

// The steady phases live side by side for the length of a block; the voices'
// own fields hold them between blocks.
void gatherSteadyPhases(const SynthesisState& st, SteadyPhases& p)
{
    const double values[Steady::count] = {
        st.reactor.phase40,   st.reactor.phase80,     st.reactor.phase120,   st.reactor.phase200,
        st.reactor.phase320,  st.field.phaseA,        st.field.phaseB,       st.field.phaseC,
        st.field.phaseD,      st.field.pulsePhase,    st.field.motionPhase,  st.wave.phaseA,
        st.wave.phaseB,       st.wave.phaseC,         st.wave.phaseD,        st.wave.phaseE,
        st.wave.motionPhase,  st.wave.tidePhase,      st.wave.shimmerPhase,  st.filament.phaseA,
        st.filament.phaseB,   st.filament.phaseC,     st.filament.phaseD,    st.filament.phaseE,
        st.filament.phaseF,   st.filament.motionPhase, st.filament.breathPhase, st.chime.phaseSub,
        st.chime.phaseBody,   st.chime.phaseRing,     st.chime.phaseAir};
    std::copy(std::begin(values), std::end(values), p.value);
}

void scatterSteadyPhases(const SteadyPhases& p, SynthesisState& st)
{
    const double* v = p.value;
    st.reactor = {v[Steady::reactor40], v[Steady::reactor80], v[Steady::reactor120], v[Steady::reactor200],
                  v[Steady::reactor320]};
    FieldState& fi = st.field;
    fi.phaseA = v[Steady::fieldA];
    fi.phaseB = v[Steady::fieldB];
    fi.phaseC = v[Steady::fieldC];
    fi.phaseD = v[Steady::fieldD];
    fi.pulsePhase = v[Steady::fieldPulse];
    fi.motionPhase = v[Steady::fieldMotion];
    WaveState& wa = st.wave;
    wa.phaseA = v[Steady::waveA];
    wa.phaseB = v[Steady::waveB];
    wa.phaseC = v[Steady::waveC];
    wa.phaseD = v[Steady::waveD];
    wa.phaseE = v[Steady::waveE];
    wa.motionPhase = v[Steady::waveMotion];
    wa.tidePhase = v[Steady::waveTide];
    wa.shimmerPhase = v[Steady::waveShimmer];
    st.filament = {v[Steady::filamentA], v[Steady::filamentB], v[Steady::filamentC],     v[Steady::filamentD],
                   v[Steady::filamentE], v[Steady::filamentF], v[Steady::filamentMotion], v[Steady::filamentBreath]};
    HalfMinuteChimeState& ch = st.chime;
    ch.phaseSub = v[Steady::chimeSub];
    ch.phaseBody = v[Steady::chimeBody];
    ch.phaseRing = v[Steady::chimeRing];
    ch.phaseAir = v[Steady::chimeAir];
}

// A held phase steps by zero: x + 0 is x, so it holds to the bit.
void setSteadySteps(SteadyPhases& p, double rate, bool frozen)
{
    const ReactorIncrements re(rate);
    const FieldIncrements fi(rate);
    const WaveIncrements wa(rate);
    const FilamentIncrements fl(rate);
    const HalfMinuteChimeIncrements ch(rate);
    const double turning = frozen ? 0.0 : 1.0;
    const double steps[Steady::count] = {
        re.p40,   re.p80,   re.p120,  re.p200,  re.p320,
        fi.a,     fi.b,     fi.c,     fi.d,     turning * fi.pulse, turning * fi.motion,
        wa.a,     wa.b,     wa.c,     wa.d,     wa.e,     turning * wa.motion, turning * wa.tide, turning * wa.shimmer,
        fl.a,     fl.b,     fl.c,     fl.d,     fl.e,     fl.f,     fl.motion, turning * fl.breath,
        ch.sub,   ch.body,  ch.ring,  ch.air};
    std::copy(std::begin(steps), std::end(steps), p.step);
}

} // namespace

RenderCycle::RenderCycle(const Sources& sources, const Sinks& sinks)
    : m_sources(sources)
    , m_sinks(sinks)
    , m_kernel(&selectedChunkKernel())
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
    slm::cleanUpperVectorState();
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
    const SlowModulatorIncrements modulatorInc(r);
    const AnomalyIncrements anomalyInc(r);

    // One buffer of two or more channels is interleaved; anything else is one channel per buffer.
    const bool interleaved = buffers.size() == 1 && buffers[0].channels >= 2 && buffers[0].data != nullptr;
    const std::size_t stride = interleaved ? buffers[0].channels : 1;

    // Targets are 0 or 1, and a gate that has reached its target stays
    // there exactly: the ramp can be skipped for the whole block.
    const bool gatesSettled = sameGains(st.gates, gateTarget);
    const ChunkKernel& kernel = *m_kernel;
    ModulatorRotation& modulators = m_chunk.modulators;
    modulators.setSteps(modulatorInc);
    ChunkInput& in = m_chunk.in;
    ChunkOutput& out = m_chunk.out;
    in.reactorLevel = shaped.reactor;
    in.fieldLevel = shaped.field;
    in.waveLevel = shaped.wave;
    in.filamentLevel = filamentBlock.level;
    in.filamentBrightness = filamentBlock.brightness;
    in.anomalyLevel = shaped.anomaly;
    in.chimeSpread = chimeBlock.targets.spread;
    in.glowwormBlock = glowwormConstants(glowwormBlock);
    SteadyPhases& phases = m_chunk.phases;
    gatherSteadyPhases(st, phases);
    setSteadySteps(phases, r, F);
    SteadyRotation& sines = m_chunk.sines;
    sines.setSteps(phases);
    GlowwormSteps glowwormSteps(st.glowworm, glowwormBlock, r);
    AnomalySteps anomalySteps(st.anomaly, r);
    int spatialIndex[chunkFrames];
    // The frame loop's running sums, held apart from the state for the block:
    // stores into the lanes could otherwise alias them, and each frame would
    // wait for the last one's store to come back.
    NoiseState noise = st.noise;
    ChimeEnvelopes chime{st.chime.presenceEnvelope, st.chime.crossingEnvelope, st.chime.impactEnvelope};

    for (std::int64_t first = 0; first < n; first += chunkFrames) {
        const int count = static_cast<int>(std::min<std::int64_t>(chunkFrames, n - first));

        if (first % ModulatorRotation::anchorFrames == 0)
            modulators.anchor(st.modulators);
        modulators.chunk(in.m, count, st.modulators, modulatorInc, F);

        // Frame by frame, in the order the random stream and the events depend on.
        for (int j = 0; j < count; ++j) {
            // Events start and end here, drawing from the shared generator
            // between this frame's noise and the next frame's.
            in.startupGain.v[j] = st.startup.nextGain();
            in.transportGain.v[j] = st.transport.isOpen() ? 1.0 : st.transport.nextGain();
            if (!gatesSettled)
                rampGates(st.gates, gateTarget, kGate);
            in.gateReactor.v[j] = st.gates.reactor;
            in.gateField.v[j] = st.gates.field;
            in.gateWave.v[j] = st.gates.wave;
            in.gateAnomaly.v[j] = st.gates.anomaly;
            in.gateGlowworm.v[j] = st.gates.glowworm;
            noiseFrame(noise, noiseAlpha);
            in.noiseL.v[j] = noise.filteredNoiseL;
            in.noiseR.v[j] = noise.filteredNoiseR;

            anomalyLane(st.anomaly, anomalySteps, noise.noiseState, r, F, in.anomaly, j);
            glowwormLane(st.glowworm, glowwormSteps, noise.noiseState, r, F, glowwormBlock, in.glowworm, j);
            chimeLane(chime, chimeBlock, in.chime, j);

            const int w = st.spatialDelayIndex;
            spatialIndex[j] = w;
            in.fieldTapL.v[j] = st.field.delayL.tap(w, 4);
            in.fieldTapR.v[j] = st.field.delayR.tap(w, 13);
            in.waveTapL.v[j] = st.wave.delayL.tap(w, 9);
            in.waveTapR.v[j] = st.wave.delayR.tap(w, 23);
            st.spatialDelayIndex = nextSpatialIndex(w);

            advanceAnomaly(st.anomaly, anomalyInc, F);
            advanceGlowwormPulse(st.glowworm, glowwormBlock);
        }
        kernel.steadyPhases(phases, in, count);
        in.glowwormSounds = anyActive(in.glowworm.active, count);
        in.anomalySounds = anyActive(in.anomaly.active, count);
        in.chimeSounds = anyActive(in.chime.audible, count);
        kernel.steadySines(sines, phases, in, first % SteadyRotation::anchorFrames == 0, in.chimeSounds);
        kernel.voices(in, out);

        for (int j = 0; j < count; ++j) {
            const int w = spatialIndex[j];
            st.field.delayL.write(w, out.fieldDryL.v[j]);
            st.field.delayR.write(w, out.fieldDryR.v[j]);
            st.wave.delayL.write(w, out.waveDryL.v[j]);
            st.wave.delayR.write(w, out.waveDryR.v[j]);

            const double outL = out.outL.v[j];
            const double outR = out.outR.v[j];
            const double mono = outL + outR;

            // The analyser gets its own copy of the block, so writing on from index 0 is safe.
            if (st.spectrumWriteIndex < SynthesisState::spectrumBlockLength)
                st.spectrumBuffer[st.spectrumWriteIndex++] = static_cast<float>(V * mono * 0.5);
            if (st.spectrumWriteIndex == SynthesisState::spectrumBlockLength) {
                st.spectrumWriteIndex = 0;
                m_sinks.spectrum.ingest(std::span<const float>(st.spectrumBuffer), r);
                slm::cleanUpperVectorState(); // the hand-off copies the block through the C library
            }

            // Voice peaks after the gates, before the master; master peaks as the
            // listener hears them. A pause takes the voices' meters down with it.
            const double t = in.transportGain.v[j];
            MeterPeaks& peaks = st.meterPeaks;
            raisePeak(peaks.reactor, std::abs(out.reactorBus.v[j]) * t);
            raisePeak(peaks.field, std::max(std::abs(out.fieldL.v[j]), std::abs(out.fieldR.v[j])) * t);
            raisePeak(peaks.wave, std::max(std::abs(out.waveL.v[j]), std::abs(out.waveR.v[j])) * t);
            raisePeak(peaks.anomaly, std::max(std::abs(out.anomalyL.v[j]), std::abs(out.anomalyR.v[j])) * t);
            raisePeak(peaks.glowworm, std::max(std::abs(out.glowwormL.v[j]), std::abs(out.glowwormR.v[j])) * t);
            raisePeak(peaks.masterLeft, V * std::abs(outL));
            raisePeak(peaks.masterRight, V * std::abs(outR));

            const std::size_t i = static_cast<std::size_t>(first + j);
            const float left = static_cast<float>(outL);
            const float right = static_cast<float>(outR);
            const float mid = static_cast<float>(mono / 2.0);
            if (interleaved) {
                float* frame = buffers[0].data + i * stride;
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
        }
    }

    scatterSteadyPhases(phases, st);
    st.noise = noise;
    st.chime.presenceEnvelope = chime.presence;
    st.chime.crossingEnvelope = chime.crossing;
    st.chime.impactEnvelope = chime.impact;
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
