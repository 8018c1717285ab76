// The small per-voice pieces, tested alone where a slip in a formula or a
// boundary would otherwise hide inside the whole render.

#include "control/SLMAudioParameters.h"
#include "engine/ControlSmoothing.h"
#include "engine/FilamentLayer.h"
#include "engine/GlowwormVoice.h"
#include "engine/HalfMinuteChime.h"
#include "engine/NoiseLayer.h"
#include "math/Sine.h"
#include "engine/StartupFade.h"
#include "engine/VoiceGates.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>

using namespace slm::synth;

TEST(Sine, AgreesWithTheLibraryWithinAnUlpOverEveryArgumentTheVoicesUse)
{
    double worst = 0.0;
    for (double x = -80.0; x < 80.0; x += 0.0000731)
        worst = std::max(worst, std::fabs(sine(x) - std::sin(x)));
    EXPECT_LE(worst, 0x1p-53 * 2);

    EXPECT_EQ(sine(0.0), 0.0);
    EXPECT_EQ(sine(std::numbers::pi / 2), 1.0);
    EXPECT_DOUBLE_EQ(sine(-std::numbers::pi / 6), -0.5);
    // Far arguments and non-numbers go to the library.
    EXPECT_EQ(sine(3.0e7), std::sin(3.0e7));
    EXPECT_TRUE(std::isnan(sine(std::numeric_limits<double>::infinity())));
    EXPECT_TRUE(std::isnan(sine(std::numeric_limits<double>::quiet_NaN())));
}

TEST(Sine, PairGivesTheSameBitsAsTwoSingleSines)
{
    const auto same = [](double a, double b) {
        return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
    };
    int different = 0;
    // Both lanes in different quadrants and signs, so a lane mix-up shows.
    for (double x = -80.0; x < 80.0; x += 0.000913) {
        const double y = 1.37 - 0.61 * x;
        const SinePair pair = sine(x, y);
        different += same(pair.first, sine(x)) && same(pair.second, sine(y)) ? 0 : 1;
    }
    EXPECT_EQ(different, 0);

    // One far or non-numeric argument sends both to the single path.
    const SinePair far = sine(3.0e7, 0.5);
    EXPECT_EQ(far.first, std::sin(3.0e7));
    EXPECT_EQ(far.second, sine(0.5));
    EXPECT_TRUE(std::isnan(sine(0.5, std::numeric_limits<double>::quiet_NaN()).second));
}

TEST(StartupFade, HoldsExactSilenceThenReachesFullGainAfterSixSeconds)
{
    StartupFade fade;
    fade.arm(48000.0);
    ASSERT_EQ(fade.holdSamples, 36000);
    ASSERT_EQ(fade.fadeSamples, 252000);

    double previous = 0.0;
    for (std::int64_t j = 0; j < 290000; ++j) {
        const double g = fade.nextGain();
        if (j <= 36000) {
            ASSERT_EQ(g, 0.0) << "frame " << j;
        } else if (j < 288000) {
            ASSERT_GT(g, previous) << "frame " << j;
            ASSERT_LT(g, 1.0) << "frame " << j;
        } else {
            ASSERT_EQ(g, 1.0) << "frame " << j;
        }
        if (j == 36000 + 126000) {
            EXPECT_NEAR(g, 0.5, 1e-12);
        }
        previous = g;
    }

    StartupFade at44k;
    at44k.arm(44100.0);
    EXPECT_EQ(at44k.holdSamples, 33075);
    EXPECT_EQ(at44k.fadeSamples, 231525);
}

TEST(VoiceGates, RampClosesAndOpensExactlyWithinAFewDozenMilliseconds)
{
    const double rate = 48000.0;
    const double k = smoothingCoefficient(1.0, gateRampSeconds, rate);
    for (const double target : {0.0, 1.0}) {
        double gate = 1.0 - target;
        int frames = 0;
        while (gate != target && frames < 48000) {
            rampGate(gate, target, k);
            ++frames;
        }
        EXPECT_EQ(gate, target);
        EXPECT_GT(frames, 48 * 15) << "a ramp, not a switch";
        EXPECT_LT(frames, 48 * 30) << "closed within 30 ms";
        rampGate(gate, target, k);
        EXPECT_EQ(gate, target) << "and stays there";
    }
}

TEST(ControlShaping, LevelCurveKeepsDefaultsAndSilencesAtOrBelowZero)
{
    EXPECT_EQ(shapedLevel(0.2, 0.2), 0.2);
    EXPECT_EQ(shapedLevel(0.078, 0.078), 0.078);
    EXPECT_NEAR(shapedLevel(0.4, 0.2), 0.2 * std::pow(2.0, 1.7), 1e-15);
    EXPECT_LT(shapedLevel(0.1, 0.2), 0.1) << "gentler below the default";
    EXPECT_EQ(shapedLevel(0.0, 0.2), 0.0);
    EXPECT_EQ(shapedLevel(-0.1, 0.2), 0.0);

    EXPECT_EQ(glowwormMasterGain(-59.5), 0.0);
    EXPECT_EQ(glowwormMasterGain(-60.0), 0.0);
    EXPECT_GT(glowwormMasterGain(-59.4), 0.0);
    EXPECT_EQ(glowwormMasterGain(0.0), 1.0);
    EXPECT_NEAR(glowwormMasterGain(-8.0), 0.398107, 1e-6);
}

TEST(ControlShaping, GlideIgnoresNonFiniteControls)
{
    SLMAudioParameters p;
    SmoothedControls c;
    p.setReactorLevel(std::numeric_limits<double>::quiet_NaN());
    p.setFieldLevel(std::numeric_limits<double>::infinity());
    p.setWaveLevel(0.15);
    glideControls(c, p, 0.5);
    EXPECT_EQ(c.reactorLevel, 0.2);
    EXPECT_EQ(c.fieldLevel, 0.078);
    EXPECT_NEAR(c.waveLevel, 0.1, 1e-15);
}

TEST(FilamentLayer, LevelHasAFloorAndACap)
{
    EXPECT_EQ(FilamentBlock(0.0, 0.0, 0.0, 0.0).level, 0.006);
    const double B = smoothstep(0.55);
    EXPECT_NEAR(FilamentBlock(0.05, 0.085, 0.5, B).level, 0.057, 0.0005);
    EXPECT_EQ(FilamentBlock(shapedLevel(0.15, 0.05), 0.0, 0.0, 0.0).level, 0.06);
}

TEST(NoiseLayer, GeneratorStaysInRangeAndTheFilteredNoiseIsCentred)
{
    NoiseState noise;
    std::uint64_t state = noise.noiseState;
    double sum = 0.0;
    const int draws = 200000;
    for (int i = 0; i < draws; ++i) {
        const double u = nextRandom(state);
        ASSERT_GE(u, 0.0);
        ASSERT_LE(u, 1.0);
        ASSERT_NE(state, 0u);
        sum += u;
    }
    EXPECT_NEAR(sum / draws, 0.5, 0.005);

    const double alpha = noiseSmoothing(48000.0);
    double mean = 0.0;
    for (int i = 0; i < draws; ++i) {
        noiseFrame(noise, alpha);
        ASSERT_LE(std::fabs(noise.filteredNoiseL), 1.0);
        ASSERT_LE(std::fabs(noise.filteredNoiseR), 1.0);
        mean += noise.filteredNoiseL;
    }
    EXPECT_NEAR(mean / draws, 0.0, 0.01);
    EXPECT_NE(noise.filteredNoiseL, noise.filteredNoiseR) << "two independent streams";
}

TEST(HalfMinuteChime, TargetsFollowTheSecondOfTheMinute)
{
    const auto at = [](double s) { return halfMinuteChimeTargets(s); };

    for (const double s : {0.0, 10.0, 24.9, 25.0, 35.0, 59.9}) {
        const auto t = at(s);
        EXPECT_EQ(t.presence, 0.0) << s;
        EXPECT_EQ(t.crossing, 0.0) << s;
        EXPECT_EQ(t.impact, 0.0) << s;
    }
    EXPECT_NEAR(at(27.5).presence, 0.605, 0.001);
    EXPECT_EQ(at(27.5).crossing, 0.0);

    const auto half = at(30.0);
    EXPECT_EQ(half.presence, 1.0);
    EXPECT_NEAR(half.crossing, std::pow(std::sin(0.65 / 1.7 * std::numbers::pi), 0.82), 1e-12);
    EXPECT_EQ(half.impact, 0.0);
    EXPECT_EQ(half.spread, 0.0);

    EXPECT_NEAR(at(30.4).impact, 0.171, 0.001);
    EXPECT_NEAR(at(30.05).impact, std::sin(0.625 * std::numbers::pi / 2) * std::pow(0.9375, 2.55), 1e-12);
    EXPECT_EQ(at(30.8).impact, 0.0);
    EXPECT_EQ(at(31.05).crossing, 0.0);
    EXPECT_GT(at(31.0).crossing, 0.0);
    EXPECT_NEAR(at(31.1).spread, 0.5, 1e-12);
    EXPECT_EQ(at(40.0).spread, 1.0);
    EXPECT_NEAR(at(32.5).presence, std::pow(std::cos(0.5 * std::numbers::pi / 2), 1.18), 1e-12);
}

TEST(HalfMinuteChime, SilentOutsideItsWindowOnceTheEnvelopesHaveDecayed)
{
    HalfMinuteChimeState chime;
    const double rate = 48000.0;
    const HalfMinuteChimeBlock swelling{halfMinuteChimeTargets(30.2), smoothingCoefficient(1.0, 0.04, rate),
                                        smoothingCoefficient(1.0, 0.018, rate), smoothingCoefficient(1.0, 0.01, rate)};
    const HalfMinuteChimeIncrements inc(rate);
    double loudest = 0.0;
    for (int i = 0; i < 4800; ++i) {
        const StereoFrame f = halfMinuteChimeFrame(chime, swelling, 0.3, 0.7);
        loudest = std::max(loudest, std::fabs(f.L));
        ASSERT_LE(std::fabs(f.L), 0.7);
        advanceHalfMinuteChime(chime, inc);
    }
    EXPECT_GT(loudest, 0.1);

    HalfMinuteChimeBlock quiet = swelling;
    quiet.targets = halfMinuteChimeTargets(10.0);
    int framesUntilSilent = 0;
    for (; framesUntilSilent < 48000; ++framesUntilSilent) {
        const StereoFrame f = halfMinuteChimeFrame(chime, quiet, 0.3, 0.7);
        advanceHalfMinuteChime(chime, inc);
        if (f.L == 0.0 && f.R == 0.0)
            break;
    }
    EXPECT_LT(framesUntilSilent, 48000 / 2) << "the 40 ms envelope decays below the threshold within half a second";
}

