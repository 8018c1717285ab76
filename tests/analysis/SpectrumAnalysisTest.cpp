#include "analysis/SpectrumAnalysis.h"

#include "SpectrumSignals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

using slm::spectrum::Bands;
using slm::spectrum::centerFrequencies;
using slm::test::sineBlock;

constexpr int band1000 = 14;
constexpr int band6300 = 22;
constexpr int band10000 = 23;

TEST(SpectrumAnalysis, TwentyFourThirdOctaveCentresWithout8k)
{
    const Bands expected = {40,   50,   63,   80,   100,  125,  160,  200,  250,  315,  400,  500,
                            630,  800,  1000, 1250, 1600, 2000, 2500, 3150, 4000, 5000, 6300, 10000};
    EXPECT_EQ(centerFrequencies, expected);
}

TEST(SpectrumAnalysis, SineReadsItsAmplitudeInItsBandAndNothingFarAway)
{
    const std::vector<float> block = sineBlock(1000.0, 0.5, 48000.0);
    const Bands levels = slm::spectrum::measure(block, 48000.0);
    EXPECT_NEAR(levels[band1000], -6.02, 0.05);

    const Bands published = slm::spectrum::analyse(block, 48000.0, slm::spectrum::floorBands());
    EXPECT_NEAR(published[band1000], -72.0 + (levels[band1000] + 72.0) * 0.68, 1e-12);
    EXPECT_NEAR(published[band1000], -27.1, 0.05);
    for (int b = 0; b < slm::spectrum::bandCount; ++b) {
        if (centerFrequencies[b] < 500.0 || centerFrequencies[b] > 2000.0) {
            EXPECT_EQ(published[b], -72.0) << centerFrequencies[b] << " Hz";
        }
    }

    // Full scale at another rate and band reads about 0 dB.
    const Bands low = slm::spectrum::measure(sineBlock(100.0, 1.0, 44100.0), 44100.0);
    EXPECT_NEAR(low[4], 0.0, 0.05);
    EXPECT_EQ(low[band1000], -72.0);
}

TEST(SpectrumAnalysis, SilenceReadsTheFloorAndBandsDecayByTheFallStep)
{
    const std::vector<float> zeros(4096, 0.0f);
    const Bands levels = slm::spectrum::measure(zeros, 48000.0);
    for (double level : levels)
        EXPECT_EQ(level, -72.0);

    Bands bands;
    bands.fill(0.0);
    bands = slm::spectrum::analyse(zeros, 48000.0, bands);
    for (double band : bands)
        EXPECT_NEAR(band, -11.52, 1e-12);

    // Each silent block leaves 84 % of the remaining gap above the floor.
    double gap = 72.0 - 11.52;
    for (int block = 0; block < 20; ++block) {
        bands = slm::spectrum::analyse(zeros, 48000.0, bands);
        gap *= 0.84;
        ASSERT_NEAR(bands[0] + 72.0, gap, 1e-9) << block;
    }
}

// Above 0.45 x rate a band is measured at that limit instead of aliasing.
TEST(SpectrumAnalysis, BandsAboveTheFrequencyLimitAreMeasuredAtTheLimit)
{
    const Bands at16k = slm::spectrum::measure(sineBlock(7200.0, 0.5, 16000.0), 16000.0);
    EXPECT_NEAR(at16k[band10000], -6.02, 0.05);

    const Bands below = slm::spectrum::measure(sineBlock(6300.0, 0.5, 16000.0), 16000.0);
    EXPECT_NEAR(below[band6300], -6.02, 0.05);
    EXPECT_LT(below[band10000], -30.0);

    // At 48 kHz the 10 kHz band keeps its own centre and ignores 7.2 kHz.
    const Bands at48k = slm::spectrum::measure(sineBlock(7200.0, 0.5, 48000.0), 48000.0);
    EXPECT_EQ(at48k[band10000], -72.0);
}

TEST(SpectrumAnalysis, ShortAndDegenerateBlocks)
{
    // One sample: the window weights it by zero.
    const std::vector<float> one = {1.0f};
    for (double level : slm::spectrum::measure(one, 48000.0))
        EXPECT_EQ(level, -72.0);

    // Three samples with a centred impulse: the window's middle weight is 1,
    // every band sees 4/3 of full scale, which is held at the ceiling.
    const std::vector<float> impulse = {0.0f, 1.0f, 0.0f};
    for (double level : slm::spectrum::measure(impulse, 48000.0))
        EXPECT_EQ(level, 0.0);
    const std::vector<float> quieter = {0.0f, 0.01f, 0.0f};
    for (double level : slm::spectrum::measure(quieter, 48000.0))
        EXPECT_NEAR(level, 20.0 * std::log10(4.0 * double(0.01f) / 3.0), 1e-9);

    // Lengths that are not a multiple of the internal chunking agree with a
    // sine's expected level.
    EXPECT_NEAR(slm::spectrum::measure(sineBlock(1000.0, 0.5, 48000.0, 4099), 48000.0)[band1000], -6.02, 0.05);

    for (double rate : {0.0, -48000.0, std::numeric_limits<double>::quiet_NaN()}) {
        for (double level : slm::spectrum::measure(sineBlock(1000.0, 1.0, 48000.0), rate))
            EXPECT_EQ(level, -72.0) << rate;
    }
    for (double level : slm::spectrum::measure({}, 48000.0))
        EXPECT_EQ(level, -72.0);
}

TEST(SpectrumAnalysis, LoudOrBrokenInputStaysWithinTheFloorAndCeiling)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    std::vector<std::vector<float>> blocks = {
        std::vector<float>(4096, 1.0f),
        std::vector<float>(4096, 40.0f),
        sineBlock(40.0, 1.0, 48000.0),
        sineBlock(10000.0, 1.0, 48000.0),
        sineBlock(2000.0, 30.0, 48000.0),
    };
    std::vector<float> square(4096);
    for (std::size_t n = 0; n < square.size(); ++n)
        square[n] = (n / 12) % 2 ? 1.0f : -1.0f;
    blocks.push_back(square);
    std::vector<float> broken = sineBlock(1000.0, 1.0, 48000.0);
    broken[100] = nan;
    blocks.push_back(broken);
    broken[100] = inf;
    blocks.push_back(broken);

    Bands bands = slm::spectrum::floorBands();
    for (int round = 0; round < 40; ++round) {
        bands = slm::spectrum::analyse(blocks[round % blocks.size()], 48000.0, bands);
        for (double band : bands) {
            ASSERT_LE(band, 0.0);
            ASSERT_GE(band, -72.0);
        }
    }
}

} // namespace
