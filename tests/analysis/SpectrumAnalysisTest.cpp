#include "analysis/SpectrumAnalysis.h"

#include "SpectrumSignals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
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

// The plain evaluation, straight from the C library, that the analyser's
// table-driven window, vector bank and own log10 must reproduce.
sp::Bands directLevels(const std::vector<float>& block, double rate)
{
    const std::size_t n = block.size();
    const double span = n > 1 ? double(n - 1) : 1.0;
    const double norm = n > 1 ? double(n) : 1.0;
    sp::Bands out;
    for (int b = 0; b < sp::bandCount; ++b) {
        const double f = std::min(sp::centerFrequencies[b], 0.45 * rate);
        const double c = 2 * std::cos(2 * std::numbers::pi * f / rate);
        double s1 = 0, s2 = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const double w = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * double(i) / span);
            const double s = c * s1 + w * block[i] - s2;
            s2 = s1;
            s1 = s;
        }
        const double amplitude = std::sqrt(s1 * s1 + s2 * s2 - c * s1 * s2) / norm * 4;
        out[b] = amplitude > 1e-7 ? std::clamp(20 * std::log10(amplitude), -72.0, 0.0) : -72.0;
    }
    return out;
}

std::vector<std::pair<std::vector<float>, double>> assortedBlocks()
{
    std::vector<std::pair<std::vector<float>, double>> blocks;
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> noise(-0.5f, 0.5f);
    // Lengths off the 64-sample chunks and the vector widths, and a long one.
    for (std::size_t length : {4096u, 4099u, 70u, 8192u, 200u}) {
        for (double rate : {48000.0, 44100.0, 16000.0}) {
            std::vector<float> block = sineBlock(1000.0, 0.3, rate, length);
            const std::vector<float> low = sineBlock(63.0, 0.2, rate, length);
            for (std::size_t i = 0; i < length; ++i)
                block[i] += low[i] + 0.05f * noise(rng);
            blocks.emplace_back(block, rate);
        }
    }
    return blocks;
}

TEST(SpectrumAnalysis, AgreesWithThePlainEvaluation)
{
    for (const auto& [block, rate] : assortedBlocks()) {
        const sp::Bands fast = sp::measure(block, rate);
        const sp::Bands plain = directLevels(block, rate);
        for (int b = 0; b < sp::bandCount; ++b)
            EXPECT_NEAR(fast[b], plain[b], 1e-9) << block.size() << " samples at " << rate << ", band " << b;
    }
}

TEST(SpectrumAnalysis, EveryVectorPathGivesTheSameBits)
{
    int paths = 0;
    for (sp::KernelPath path : {sp::KernelPath::sse2, sp::KernelPath::avx2}) {
        if (!sp::kernelPathAvailable(path))
            continue;
        ++paths;
        for (const auto& [block, rate] : assortedBlocks()) {
            const sp::Bands a = sp::measure(block, rate, path);
            const sp::Bands b = sp::measure(block, rate, sp::KernelPath::sse2);
            EXPECT_EQ(std::memcmp(a.data(), b.data(), sizeof a), 0) << block.size() << " at " << rate;
        }
    }
    EXPECT_GE(paths, 1);
}

} // namespace
