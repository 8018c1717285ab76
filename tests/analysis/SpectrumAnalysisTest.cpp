#include "analysis/SpectrumAnalysis.h"

#include "SpectrumSignals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

namespace sp = slm::spectrum;
using slm::test::sineBlock;

TEST(SpectrumAnalysis, SineReadsItsAmplitudeInItsBandAndNothingFarAway)
{
    EXPECT_EQ(sp::centerFrequencies, (sp::Bands{40, 50, 63, 80, 100, 125, 160, 200, 250, 315, 400, 500, 630, 800,
                                                1000, 1250, 1600, 2000, 2500, 3150, 4000, 5000, 6300, 10000}));
    const std::vector<float> block = sineBlock(1000.0, 0.5, 48000.0);
    EXPECT_NEAR(sp::measure(block, 48000.0)[14], -6.02, 0.05);
    const sp::Bands published = sp::analyse(block, 48000.0, sp::floorBands());
    EXPECT_NEAR(published[14], -27.1, 0.05);
    for (int b = 0; b < sp::bandCount; ++b) {
        if (sp::centerFrequencies[b] < 500.0 || sp::centerFrequencies[b] > 2000.0) {
            EXPECT_EQ(published[b], -72.0) << sp::centerFrequencies[b];
        }
    }
    // Full scale at another rate and band reads about 0 dB.
    EXPECT_NEAR(sp::measure(sineBlock(100.0, 1.0, 44100.0), 44100.0)[4], 0.0, 0.05);
}

TEST(SpectrumAnalysis, SilenceSinksByTheFallStep)
{
    const std::vector<float> zeros(4096, 0.0f);
    sp::Bands bands;
    bands.fill(0.0);
    bands = sp::analyse(zeros, 48000.0, bands);
    for (double band : bands)
        EXPECT_NEAR(band, -11.52, 1e-12);
    double gap = 72.0 - 11.52;
    for (int block = 0; block < 20; ++block) {
        bands = sp::analyse(zeros, 48000.0, bands);
        gap *= 0.84;
        ASSERT_NEAR(bands[7] + 72.0, gap, 1e-9) << block;
    }
}

// Above 0.45 x rate a band is measured at that limit instead of aliasing.
TEST(SpectrumAnalysis, BandsAboveTheFrequencyLimitAreMeasuredAtTheLimit)
{
    EXPECT_NEAR(sp::measure(sineBlock(7200.0, 0.5, 16000.0), 16000.0)[23], -6.02, 0.05);
    const sp::Bands below = sp::measure(sineBlock(6300.0, 0.5, 16000.0), 16000.0);
    EXPECT_NEAR(below[22], -6.02, 0.05);
    EXPECT_LT(below[23], -30.0);
    EXPECT_EQ(sp::measure(sineBlock(7200.0, 0.5, 48000.0), 48000.0)[23], -72.0);
}

TEST(SpectrumAnalysis, ShortAndDegenerateBlocks)
{
    auto expectAll = [](const sp::Bands& bands, double db) {
        for (double band : bands)
            EXPECT_NEAR(band, db, 1e-9);
    };
    expectAll(sp::measure(std::vector<float>{1.0f}, 48000.0), -72.0); // its window weight is 0
    // A centred impulse in three samples: every band sees 4/3 of its size.
    expectAll(sp::measure(std::vector<float>{0.0f, 1.0f, 0.0f}, 48000.0), 0.0);
    expectAll(sp::measure(std::vector<float>{0.0f, 0.01f, 0.0f}, 48000.0), 20 * std::log10(4 * double(0.01f) / 3));
    EXPECT_NEAR(sp::measure(sineBlock(1000.0, 0.5, 48000.0, 4099), 48000.0)[14], -6.02, 0.05);
    expectAll(sp::measure({}, 48000.0), -72.0);
    for (double rate : {0.0, -48000.0, std::numeric_limits<double>::quiet_NaN()})
        expectAll(sp::measure(sineBlock(1000.0, 1.0, 48000.0), rate), -72.0);
}

TEST(SpectrumAnalysis, LoudOrBrokenInputStaysWithinTheFloorAndCeiling)
{
    std::vector<std::vector<float>> blocks = {std::vector<float>(4096, 40.0f), sineBlock(40.0, 1.0, 48000.0),
                                              sineBlock(10000.0, 1.0, 48000.0), sineBlock(2000.0, 30.0, 48000.0)};
    for (float broken : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
        blocks.push_back(sineBlock(1000.0, 1.0, 48000.0));
        blocks.back()[100] = broken;
    }
    sp::Bands bands = sp::floorBands();
    for (int round = 0; round < 30; ++round) {
        bands = sp::analyse(blocks[round % blocks.size()], 48000.0, bands);
        for (double band : bands)
            ASSERT_TRUE(band <= 0.0 && band >= -72.0) << band;
    }
}

} // namespace
