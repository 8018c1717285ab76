// The whole render cycle, driven offline as the tools drive it.

#include "OfflineEngine.h"

#include "analysis/SLMAudioMeters.h"
#include "analysis/SLMAudioSpectrum.h"
#include "support/EventLoop.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

using slm::test::OfflineEngine;
using slm::test::peakOf;

namespace {

// Past the start-up hold and fade at any rate.
std::int64_t afterFade(double rate) { return static_cast<std::int64_t>(rate * 6.0) + 1; }

void muteAll(SLMAudioParameters& p, bool muted)
{
    p.setReactorMuted(muted);
    p.setFieldMuted(muted);
    p.setWaveMuted(muted);
    p.setAnomalyMuted(muted);
    p.setGlowwormMuted(muted);
}

std::array<double, 31> steadyPhasesOf(const SynthesisState& s)
{
    const auto& re = s.reactor;
    const auto& fi = s.field;
    const auto& wa = s.wave;
    const auto& fl = s.filament;
    const auto& ch = s.chime;
    return {re.phase40,      re.phase80,       re.phase120,   re.phase200,     re.phase320,  fi.phaseA,
            fi.phaseB,       fi.phaseC,        fi.phaseD,     fi.pulsePhase,   fi.motionPhase, wa.phaseA,
            wa.phaseB,       wa.phaseC,        wa.phaseD,     wa.phaseE,       wa.motionPhase, wa.tidePhase,
            wa.shimmerPhase, fl.phaseA,        fl.phaseB,     fl.phaseC,       fl.phaseD,    fl.phaseE,
            fl.phaseF,       fl.motionPhase,   fl.breathPhase, ch.phaseSub,    ch.phaseBody, ch.phaseRing,
            ch.phaseAir};
}

} // namespace

TEST(EngineStartup, HoldIsExactSilenceForMetersAndSpectrumToo)
{
    OfflineEngine e(48000.0);
    const auto out = e.render(40000);
    for (std::size_t i = 0; i <= 36000; ++i) {
        ASSERT_EQ(out[0][i], 0.0f) << "frame " << i;
        ASSERT_EQ(out[1][i], 0.0f) << "frame " << i;
    }
    EXPECT_GT(peakOf(out[0], 36001), 0.0f) << "the fade has begun";

    // The voices already move during the hold; the master does not.
    ASSERT_GT(e.engine().deliverPendingMeterUpdates(), 0);
    const SLMAudioMeters& meters = *e.engine().meters();
    EXPECT_GT(meters.reactorDB(), -60.0);
    EXPECT_GT(meters.fieldDB(), -60.0);
    EXPECT_EQ(meters.masterLeftPeakDB(), -60.0);
    EXPECT_EQ(meters.masterRightPeakDB(), -60.0);

    e.engine().spectrum()->waitUntilIdle();
    for (const double band : e.engine().spectrum()->bands())
        EXPECT_EQ(band, -72.0);
}

TEST(EngineGates, MutingEveryVoiceGivesExactSilenceWithinMilliseconds)
{
    const double rate = 16000.0;
    OfflineEngine e(rate);
    e.skip(afterFade(rate));
    muteAll(e.parameters(), true);

    const auto closing = e.render(static_cast<std::int64_t>(rate * 0.03), 64);
    EXPECT_GT(peakOf(closing[0], 0, 16), 0.0f) << "a ramp, not a cut";
    const auto silent = e.render(static_cast<std::int64_t>(rate));
    EXPECT_EQ(peakOf(silent[0]), 0.0f);
    EXPECT_EQ(peakOf(silent[1]), 0.0f);

    muteAll(e.parameters(), false);
    const auto back = e.render(static_cast<std::int64_t>(rate * 0.03), 64);
    EXPECT_GT(peakOf(back[0], back[0].size() / 2), 0.01f);
}

TEST(EngineGates, SoloSelectsVoicesAndMuteStillWins)
{
    const double rate = 16000.0;
    OfflineEngine e(rate);
    e.skip(afterFade(rate));
    SLMAudioParameters& p = e.parameters();
    const std::int64_t settle = static_cast<std::int64_t>(rate * 0.03);

    // Only the reactor sounds: it is mono, so both sides match exactly.
    p.setReactorSolo(true);
    e.skip(settle);
    auto out = e.render(static_cast<std::int64_t>(rate * 0.5));
    EXPECT_EQ(out[0], out[1]);
    EXPECT_GT(peakOf(out[0]), 0.05f);
    const auto& gates = e.state().gates;
    EXPECT_EQ(gates.reactor, 1.0);
    EXPECT_EQ(gates.field + gates.wave + gates.anomaly + gates.glowworm, 0.0);

    // A second solo adds the field, which is not mono.
    p.setFieldSolo(true);
    e.skip(settle);
    out = e.render(static_cast<std::int64_t>(rate * 0.5));
    EXPECT_NE(out[0], out[1]);
    EXPECT_EQ(e.state().gates.field, 1.0);
    EXPECT_EQ(e.state().gates.wave, 0.0);

    // Muting both soloed voices leaves everything silent.
    p.setReactorMuted(true);
    p.setFieldMuted(true);
    e.skip(settle);
    out = e.render(static_cast<std::int64_t>(rate * 0.5));
    EXPECT_EQ(peakOf(out[0]), 0.0f);

    // Clearing the solos lets the unmuted voices back in.
    p.setReactorSolo(false);
    p.setFieldSolo(false);
    e.skip(settle);
    EXPECT_EQ(e.state().gates.reactor, 0.0);
    EXPECT_EQ(e.state().gates.wave, 1.0);
    EXPECT_EQ(e.state().gates.glowworm, 1.0);
}

TEST(EngineLevels, OutputStaysWithinFullScaleAtExtremeSettings)
{
    const double rate = 16000.0;
    OfflineEngine e(rate);
    SLMAudioParameters& p = e.parameters();
    for (auto setter : {&SLMAudioParameters::setReactorLevel, &SLMAudioParameters::setFieldLevel,
                        &SLMAudioParameters::setWaveLevel, &SLMAudioParameters::setAnomalyLevel,
                        &SLMAudioParameters::setGlowwormLevel})
        (p.*setter)(50.0);
    p.setGlowwormMasterDB(40.0);
    p.setGlowwormActivity(5.0);
    p.setGlowwormBrightness(1.0);
    p.setGlowwormTrail(-3.0);
    p.setGlowwormStereoTravel(9.0);
    e.engine().setWallClock(30.1, 0);

    // 20 s: past the first glowworm calls and into the first anomaly.
    const auto out = e.render(static_cast<std::int64_t>(rate * 20), 1024);
    EXPECT_TRUE(e.state().anomaly.active);
    for (const auto& channel : out)
        for (const float x : channel)
            ASSERT_TRUE(std::isfinite(x) && std::fabs(x) <= 1.0f) << x;
    EXPECT_GT(peakOf(out[0]), 0.9f);

    // Unusable values are ignored rather than let into the synthesis.
    p.setReactorLevel(std::numeric_limits<double>::infinity());
    p.setGlowwormActivity(std::numeric_limits<double>::quiet_NaN());
    const auto after = e.render(static_cast<std::int64_t>(rate * 2));
    for (const float x : after[1])
        ASSERT_TRUE(std::isfinite(x) && std::fabs(x) <= 1.0f) << x;
}

TEST(EngineLevels, SystemVolumeScalesOnlyWhatMetersAndAnalyserShow)
{
    const double rate = 16000.0;
    OfflineEngine e(rate);
    e.engine().systemOutput()->setVolume(0.0);
    const auto out = e.render(afterFade(rate) + 16384);
    EXPECT_GT(peakOf(out[0], out[0].size() - 16384), 0.05f) << "the device applies the volume, not the engine";

    e.engine().deliverPendingMeterUpdates();
    EXPECT_EQ(e.engine().meters()->masterLeftPeakDB(), -60.0);
    EXPECT_EQ(e.engine().meters()->masterRightDB(), -60.0);
    EXPECT_GT(e.engine().meters()->reactorDB(), -60.0);
    e.engine().spectrum()->waitUntilIdle();
    for (const double band : e.engine().spectrum()->bands())
        EXPECT_EQ(band, -72.0);

    e.engine().systemOutput()->setVolume(1.0);
    e.skip(4096 * 3);
    e.engine().deliverPendingMeterUpdates();
    e.engine().spectrum()->waitUntilIdle();
    EXPECT_GT(e.engine().meters()->masterLeftPeakDB(), -60.0);
    EXPECT_GT(e.engine().spectrum()->bands().at(0), -72.0) << "40 Hz: the reactor's fundamental";
}

TEST(EngineFreeze, HoldsSlowCyclesAndCountdownsWhileTonesGoOn)
{
    const double rate = 16000.0;
    OfflineEngine e(rate);
    e.skip(static_cast<std::int64_t>(rate));
    e.engine().setIsFrozen(true);
    const SynthesisState before = e.state();

    e.skip(static_cast<std::int64_t>(rate * 25)); // past both first events' times
    const SynthesisState& frozen = e.state();
    EXPECT_EQ(frozen.modulators.macroPhase, before.modulators.macroPhase);
    EXPECT_EQ(frozen.modulators.longFormPhaseA, before.modulators.longFormPhaseA);
    EXPECT_EQ(frozen.modulators.longFormPhaseD, before.modulators.longFormPhaseD);
    EXPECT_EQ(frozen.modulators.breathPhase, before.modulators.breathPhase);
    EXPECT_EQ(frozen.field.pulsePhase, before.field.pulsePhase);
    EXPECT_EQ(frozen.wave.tidePhase, before.wave.tidePhase);
    EXPECT_EQ(frozen.filament.breathPhase, before.filament.breathPhase);
    EXPECT_EQ(frozen.anomaly.flutterPhase, before.anomaly.flutterPhase);
    EXPECT_NE(frozen.reactor.phase40, before.reactor.phase40);
    EXPECT_NE(frozen.filament.motionPhase, before.filament.motionPhase);
    EXPECT_FALSE(frozen.glowworm.active);
    EXPECT_FALSE(frozen.anomaly.active);
    EXPECT_EQ(frozen.glowworm.samplesUntilNext, before.glowworm.samplesUntilNext);
    EXPECT_EQ(frozen.anomaly.samplesUntilNext, before.anomaly.samplesUntilNext);

    // Unfreezing resumes the countdowns where they stopped.
    e.engine().setIsFrozen(false);
    e.skip(512);
    EXPECT_EQ(e.state().glowworm.samplesUntilNext, before.glowworm.samplesUntilNext - 512);
    EXPECT_EQ(e.state().anomaly.samplesUntilNext, before.anomaly.samplesUntilNext - 512);
    EXPECT_NE(e.state().modulators.macroPhase, before.modulators.macroPhase);
}

// The render turns the steady phases side by side, in chunks; they must land
// where the voices' own one-frame steps take them, phase for phase.
TEST(EngineFreeze, SteadyPhasesTakeTheVoicesOwnStepsInOddBlocks)
{
    const double rate = 44100.0;
    OfflineEngine e(rate);
    e.skip(1000, 37);
    for (const bool frozen : {false, true}) {
        e.engine().setIsFrozen(frozen);
        SynthesisState walked = e.state();
        constexpr int frames = 301;
        e.skip(frames, 37);
        for (int n = 0; n < frames; ++n) {
            slm::synth::advanceReactor(walked.reactor, slm::synth::ReactorIncrements(rate));
            slm::synth::advanceField(walked.field, slm::synth::FieldIncrements(rate), frozen);
            slm::synth::advanceWave(walked.wave, slm::synth::WaveIncrements(rate), frozen);
            slm::synth::advanceFilament(walked.filament, slm::synth::FilamentIncrements(rate), frozen);
            slm::synth::advanceHalfMinuteChime(walked.chime, slm::synth::HalfMinuteChimeIncrements(rate));
        }
        const auto rendered = steadyPhasesOf(e.state());
        const auto expected = steadyPhasesOf(walked);
        for (std::size_t i = 0; i < rendered.size(); ++i)
            EXPECT_EQ(rendered[i], expected[i]) << "phase " << i << (frozen ? " frozen" : "");
    }
}

TEST(EngineFreeze, ASoundingCallPlaysToItsEndAndNoNewOneStarts)
{
    const double rate = 8000.0;
    OfflineEngine e(rate);
    while (!e.state().glowworm.active)
        e.skip(64, 64);
    e.engine().setIsFrozen(true);
    const double pulse = e.state().glowworm.pulsePhase;

    e.skip(static_cast<std::int64_t>(rate * 12)); // longer than any call
    EXPECT_FALSE(e.state().glowworm.active);
    EXPECT_NE(e.state().glowworm.pulsePhase, pulse) << "the pulse ran on while the call sounded";
    const auto countdown = e.state().glowworm.samplesUntilNext;
    EXPECT_GT(countdown, 0);
    e.skip(static_cast<std::int64_t>(rate * 30));
    EXPECT_FALSE(e.state().glowworm.active);
    EXPECT_EQ(e.state().glowworm.samplesUntilNext, countdown);
}

TEST(EngineEvents, FirstGlowwormCallStartsAtThe144000thSampleAt48kHz)
{
    OfflineEngine e(48000.0);
    e.parameters().setGlowwormSolo(true);
    e.skip(143999 - 64);
    const auto out = e.render(64 + 8, 1);
    // Frame 143999 is the call's first sample, which is silent; its second is not.
    EXPECT_EQ(peakOf(out[0], 0, 65), 0.0f);
    EXPECT_NE(out[0][65], 0.0f);
    EXPECT_TRUE(e.state().glowworm.active);
    EXPECT_EQ(e.state().glowworm.sampleIndex, 8);
}

TEST(EngineEvents, FirstAnomalyStartsAfterEighteenSecondsOfRenderedTime)
{
    const double rate = 16000.0;
    OfflineEngine e(rate);
    e.skip(288000 - 1);
    EXPECT_FALSE(e.state().anomaly.active);
    e.skip(1, 1);
    EXPECT_TRUE(e.state().anomaly.active);
    EXPECT_EQ(e.state().anomaly.sampleIndex, 1);
}

TEST(EngineEvents, CallsAndAnomaliesStayWithinTheirRangesAtTheDefaults)
{
    const double rate = 8000.0;
    OfflineEngine e(rate);
    int calls = 0;
    bool wasActive = false;
    bool anomalySeen = false;
    bool anomalyWasActive = false;
    for (std::int64_t t = 0; t < static_cast<std::int64_t>(rate * 75); t += 64) {
        e.skip(64, 64);
        const auto& g = e.state().glowworm;
        if (g.active && !wasActive) {
            ++calls;
            EXPECT_GE(g.durationSamples, static_cast<std::int64_t>(6.55 * rate) - 1);
            EXPECT_LE(g.durationSamples, static_cast<std::int64_t>(8.15 * rate));
            EXPECT_GE(g.rootFrequency, 374.67);
            EXPECT_LE(g.rootFrequency, 469.67);
            EXPECT_EQ(g.bodyFrequencyA, g.rootFrequency);
            EXPECT_GE(g.panStart, -0.35);
            EXPECT_LE(g.panStart, 0.35);
        }
        if (!g.active && wasActive) {
            EXPECT_GE(g.samplesUntilNext, static_cast<std::int64_t>(8.45 * rate) - 64);
            EXPECT_LE(g.samplesUntilNext, static_cast<std::int64_t>(15.2 * rate));
        }
        wasActive = g.active;

        const auto& a = e.state().anomaly;
        if (a.active && !anomalySeen) {
            anomalySeen = true;
            EXPECT_GE(a.durationSamples, static_cast<std::int64_t>(5.5 * rate));
            EXPECT_LE(a.durationSamples, static_cast<std::int64_t>(11 * rate));
            EXPECT_GE(a.frequencyA, 610.0);
            EXPECT_LE(a.frequencyA, 870.0);
            EXPECT_GE(a.frequencyB / a.frequencyA, 1.47);
            EXPECT_LE(a.frequencyB / a.frequencyA, 1.55);
            EXPECT_GE(a.frequencyC / a.frequencyA, 2.03);
            EXPECT_LE(a.frequencyC / a.frequencyA, 2.17);
            EXPECT_GE(a.intensity, 0.62);
            EXPECT_LE(a.intensity, 1.0);
        }
        if (anomalyWasActive && !a.active) {
            EXPECT_GE(a.samplesUntilNext, static_cast<std::int64_t>(22 * rate) - 64);
            EXPECT_LE(a.samplesUntilNext, static_cast<std::int64_t>(52 * rate));
        }
        anomalyWasActive = a.active;
    }
    EXPECT_GE(calls, 3);
    EXPECT_TRUE(anomalySeen);
}

TEST(EngineEvents, CreatureSilencedByMasterGainStillRunsAndTheChimeStillSounds)
{
    const double rate = 8000.0;
    OfflineEngine e(rate);
    e.parameters().setGlowwormSolo(true);
    e.parameters().setGlowwormMasterDB(-60.0);
    e.skip(afterFade(rate));
    bool called = false;
    for (int tenth = 0; tenth < 100; ++tenth) {
        const auto out = e.render(static_cast<std::int64_t>(rate / 10));
        ASSERT_EQ(peakOf(out[0]), 0.0f);
        called = called || e.state().glowworm.active;
    }
    EXPECT_TRUE(called) << "calls are still scheduled and run";

    e.engine().setWallClock(30.2, 0);
    auto out = e.render(static_cast<std::int64_t>(rate * 0.5));
    EXPECT_GT(peakOf(out[0]), 0.05f);

    e.parameters().setGlowwormMuted(true);
    e.skip(static_cast<std::int64_t>(rate * 0.05));
    out = e.render(static_cast<std::int64_t>(rate * 0.5));
    EXPECT_EQ(peakOf(out[0]), 0.0f);
}

TEST(EngineDeterminism, SameHistoryRendersIdentically)
{
    const double rate = 8000.0;
    const auto history = [rate](OfflineEngine& e, double anomalyLevel) {
        std::vector<std::vector<float>> all;
        auto take = [&all](std::vector<std::vector<float>> part) {
            all.resize(part.size());
            for (std::size_t c = 0; c < part.size(); ++c)
                all[c].insert(all[c].end(), part[c].begin(), part[c].end());
        };
        e.engine().setWallClock(28.0, 3);
        take(e.render(static_cast<std::int64_t>(rate * 4)));
        e.parameters().setWaveLevel(0.12);
        e.parameters().setAnomalyLevel(anomalyLevel);
        e.engine().setWallClock(30.3, 3);
        take(e.render(static_cast<std::int64_t>(rate * 3), 256));
        e.engine().setIsFrozen(true);
        take(e.render(static_cast<std::int64_t>(rate * 2)));
        e.engine().setIsFrozen(false);
        take(e.render(static_cast<std::int64_t>(rate * 15), 1000));
        return all;
    };
    OfflineEngine a(rate), b(rate), c(rate);
    const auto first = history(a, 0.085);
    const auto second = history(b, 0.085);
    EXPECT_EQ(first, second);
    EXPECT_EQ(a.state().noise.noiseState, b.state().noise.noiseState);

    // The anomaly level shapes only its loudness: the random stream, and with
    // it every later event, is the same.
    const auto other = history(c, 0.0);
    EXPECT_NE(first, other);
    EXPECT_EQ(a.state().noise.noiseState, c.state().noise.noiseState);
    EXPECT_EQ(a.state().glowworm.rootFrequency, c.state().glowworm.rootFrequency);
}

TEST(EngineGlide, TakesTheSameTimeAtBlockSizes64And4096)
{
    const double rate = 48000.0;
    OfflineEngine small(rate), large(rate);
    small.skip(8192, 64);
    large.skip(8192, 4096);
    small.parameters().setFieldLevel(0.2);
    large.parameters().setFieldLevel(0.2);

    for (int blocks = 1; blocks <= 4; ++blocks) {
        small.skip(4096, 64);
        large.skip(4096, 4096);
        const double expected = 0.2 + (0.078 - 0.2) * std::exp(-4096.0 * blocks / (0.065 * rate));
        EXPECT_NEAR(small.state().controls.fieldLevel, expected, 1e-12);
        EXPECT_NEAR(large.state().controls.fieldLevel, expected, 1e-12);
    }
}

TEST(EngineBlocks, AnEmptyBlockChangesNothing)
{
    OfflineEngine e(48000.0);
    e.skip(1000, 100);
    const SynthesisState before = e.state();
    e.parameters().setReactorLevel(0.4);
    e.output().render(0);
    const SynthesisState& after = e.state();
    EXPECT_EQ(after.reactor.phase40, before.reactor.phase40);
    EXPECT_EQ(after.controls.reactorLevel, before.controls.reactorLevel);
    EXPECT_EQ(after.startup.sampleIndex, before.startup.sampleIndex);
    EXPECT_EQ(after.noise.noiseState, before.noise.noiseState);
    EXPECT_EQ(after.meterFramesUntilPublish, before.meterFramesUntilPublish);
    EXPECT_EQ(after.spectrumWriteIndex, before.spectrumWriteIndex);
}

TEST(EngineMeters, HandOffEveryFourth512FrameBlockAt48kHz)
{
    OfflineEngine e(48000.0);
    EXPECT_EQ(e.state().meterFramesUntilPublish, 1600);
    e.skip(512 * 3);
    EXPECT_EQ(e.engine().deliverPendingMeterUpdates(), 0);
    e.skip(512);
    EXPECT_EQ(e.engine().deliverPendingMeterUpdates(), 1);
    e.skip(512 * 3);
    EXPECT_EQ(e.engine().deliverPendingMeterUpdates(), 0);
    e.skip(512);
    EXPECT_EQ(e.engine().deliverPendingMeterUpdates(), 1);

    OfflineEngine at44k(44100.0);
    EXPECT_EQ(at44k.state().meterFramesUntilPublish, 1470);
    at44k.skip(512 * 3);
    EXPECT_EQ(at44k.engine().deliverPendingMeterUpdates(), 1);
}

TEST(EngineMeters, TheMainLoopDeliversHandOffsByItself)
{
    OfflineEngine e(48000.0);
    e.skip(512 * 4);
    const SLMAudioMeters& meters = *e.engine().meters();
    EXPECT_EQ(meters.reactorDB(), -60.0);
    EXPECT_TRUE(slm::test::processEventsUntil([&] { return meters.reactorDB() > -60.0; }));
    EXPECT_EQ(e.engine().deliverPendingMeterUpdates(), 0) << "already delivered";
}

TEST(EngineOutputLayout, ExtraChannelsCarryTheMidSignal)
{
    const double rate = 16000.0;
    OfflineEngine e(rate, 6);
    ASSERT_EQ(e.output().streamChannels(), 6u);
    const auto out = e.render(afterFade(rate) + 4000);
    for (std::size_t i = out[0].size() - 4000; i < out[0].size(); ++i) {
        const float mid = static_cast<float>((static_cast<double>(out[0][i]) + out[1][i]) / 2.0);
        for (int c = 2; c < 6; ++c)
            ASSERT_NEAR(out[c][i], mid, 1e-7f) << "channel " << c << " frame " << i;
    }
    EXPECT_GT(peakOf(out[5]), 0.05f);

    OfflineEngine mono(rate, 1);
    EXPECT_EQ(mono.output().streamChannels(), 2u) << "a mono device still gets a stereo stream";
}

TEST(EngineOutputLayout, InterleavedAndSeparateBuffersCarryTheSameSound)
{
    const double rate = 16000.0;
    OfflineEngine separate(rate, 6);
    OfflineEngine interleaved(rate, 6, OfflineAudioOutput::Layout::Interleaved);
    const auto a = separate.render(afterFade(rate) + 2000, 333);
    const auto b = interleaved.render(afterFade(rate) + 2000, 333);
    EXPECT_EQ(a, b);
    EXPECT_NE(a[0], a[1]);
}
