// The render against hostile control values: whatever the parameters hold,
// every sample is a finite number within [-1, 1], and once sane values return
// the soundscape plays as before.

#include "OfflineEngine.h"

#include "control/SLMSystemOutputVolume.h"
#include "engine/VoiceRecovery.h"

#include <QVariant>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

using slm::test::OfflineEngine;

namespace {

constexpr const char* continuousControls[] = {
    "reactorLevel",  "fieldLevel",       "waveLevel",          "anomalyLevel", "glowwormMasterDB",
    "glowwormLevel", "glowwormActivity", "glowwormBrightness", "glowwormTrail", "glowwormStereoTravel"};
constexpr const char* switches[] = {"reactorMuted", "reactorSolo", "fieldMuted",   "fieldSolo",    "waveMuted",
                                    "waveSolo",     "anomalyMuted", "anomalySolo", "glowwormMuted", "glowwormSolo"};

// Mostly extremes, sometimes ordinary values, so that the render also moves
// between the two within a block's glide.
double hostileValue(std::mt19937_64& random)
{
    using limits = std::numeric_limits<double>;
    static const double extremes[] = {limits::max(), -limits::max(), limits::infinity(), -limits::infinity(),
                                      limits::quiet_NaN(), limits::denorm_min(), -limits::denorm_min(),
                                      limits::min(), 1e-310, 1e300, -1e300, 1e12, -1e12, 0.0, -0.0, 3.0, -3.0};
    std::uniform_int_distribution<int> kind(0, 3);
    switch (kind(random)) {
    case 0:
        return std::uniform_real_distribution<double>(-1e6, 1e6)(random);
    case 1:
        return std::uniform_real_distribution<double>(0.0, 1.0)(random);
    default:
        return extremes[std::uniform_int_distribution<std::size_t>(0, std::size(extremes) - 1)(random)];
    }
}

void restoreSaneValues(OfflineEngine& e)
{
    SLMAudioParameters fresh;
    for (const char* name : continuousControls)
        e.parameters().setByName(QString::fromLatin1(name), fresh.property(name).toDouble());
    for (const char* name : switches)
        e.parameters().setByName(QString::fromLatin1(name), 0.0);
    e.engine().systemOutput()->setVolume(1.0);
    e.engine().setIsFrozen(false);
}

double rmsOf(const std::vector<std::vector<float>>& channels)
{
    double sum = 0.0;
    std::size_t count = 0;
    for (const auto& channel : channels) {
        for (const float x : channel)
            sum += static_cast<double>(x) * x;
        count += channel.size();
    }
    return std::sqrt(sum / static_cast<double>(count));
}

} // namespace

TEST(RenderFuzz, HostileControlsEveryBlockKeepTheOutputFiniteAndTheSoundRecovers)
{
    const double rate = 16000.0;
    const std::uint32_t block = 128;
    OfflineEngine e(rate, 3);
    e.skipTo(static_cast<std::int64_t>(rate * 6.0)); // past the start-up fade
    std::mt19937_64 random(20261207);

    for (int round = 0; round < 1500; ++round) { // 12 s of rendered time
        for (const char* name : continuousControls) {
            if (random() % 2)
                e.parameters().setByName(QString::fromLatin1(name), hostileValue(random));
        }
        for (const char* name : switches)
            e.parameters().setByName(QString::fromLatin1(name), static_cast<double>(random() % 4 == 0));
        if (random() % 8 == 0)
            e.engine().systemOutput()->setVolume(hostileValue(random));
        if (random() % 16 == 0)
            e.engine().setIsFrozen(!e.engine().isFrozen());

        const auto out = e.render(block, block);
        for (std::size_t c = 0; c < out.size(); ++c) {
            for (std::size_t i = 0; i < out[c].size(); ++i) {
                const float x = out[c][i];
                ASSERT_TRUE(std::isfinite(x) && std::abs(x) <= 1.0f)
                    << "round " << round << " channel " << c << " frame " << i << ": " << x;
            }
        }
    }

    // Back to the defaults: after two seconds to settle, the next four play
    // at about the level of a render that never saw a hostile value.
    restoreSaneValues(e);
    e.skip(static_cast<std::int64_t>(rate * 2.0), block);
    const std::int64_t from = e.framesRendered();
    const auto recovered = e.render(static_cast<std::int64_t>(rate * 4.0), block);
    OfflineEngine clean(rate, 3);
    clean.skipTo(from, block);
    const auto reference = clean.render(static_cast<std::int64_t>(rate * 4.0), block);

    for (const auto& channel : recovered)
        for (const float x : channel)
            ASSERT_TRUE(std::isfinite(x));
    const double level = rmsOf(recovered);
    const double cleanLevel = rmsOf(reference);
    ASSERT_GT(cleanLevel, 0.01);
    EXPECT_NEAR(20.0 * std::log10(level / cleanLevel), 0.0, 3.0) << level << " against " << cleanLevel;
}

TEST(RenderFuzz, AVoiceWithNonFiniteStateIsResetToSilenceAndTheOthersAreLeftAlone)
{
    using namespace slm::synth;
    SynthesisState st;
    st.field.phaseA = 1.0;
    st.wave.delayL.samples[17] = 0.25;
    st.reactor.phase80 = 2.0;
    ASSERT_FALSE(silenceNonFiniteVoices(st)) << "a finite state is kept";

    st.field.delayR.samples[100] = std::numeric_limits<double>::quiet_NaN();
    st.glowworm.active = true;
    st.glowworm.samplesUntilNext = 4321;
    st.glowworm.headPhase = std::numeric_limits<double>::infinity();
    EXPECT_TRUE(silenceNonFiniteVoices(st));
    EXPECT_EQ(st.field.phaseA, 0.0);
    EXPECT_EQ(st.field.delayR.samples[100], 0.0);
    EXPECT_FALSE(st.glowworm.active);
    EXPECT_EQ(st.glowworm.headPhase, 0.0);
    EXPECT_EQ(st.glowworm.samplesUntilNext, 4321) << "the next call keeps its schedule";
    EXPECT_EQ(st.wave.delayL.samples[17], 0.25);
    EXPECT_EQ(st.reactor.phase80, 2.0);
}
