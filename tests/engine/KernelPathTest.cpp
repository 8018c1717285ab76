// The render's chunk kernels: every one this CPU runs renders the same bits,
// and the chunking itself does not show in the sound.

#include "OfflineEngine.h"

#include "engine/SimdDispatch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using slm::test::OfflineEngine;

namespace {

// Sets STARLUME_SIMD for the engines built in its lifetime.
class SimdRequest {
public:
    explicit SimdRequest(const char* path) { ::setenv("STARLUME_SIMD", path, 1); }
    ~SimdRequest() { ::unsetenv("STARLUME_SIMD"); }
};

using Channels = std::vector<std::vector<float>>;

// Twenty seconds with everything that sounds: the glowworm's first call (3 s),
// the anomaly's first (18 s), the half-minute chime, a mute and a freeze on
// the way, and with `moveControls` the glowworm pushed hard. Controls glide
// once per block, so only a scene without them sounds the same at every
// block size.
Channels busyScene(OfflineEngine& e, std::uint32_t block, bool moveControls = true)
{
    Channels all;
    const auto take = [&all](Channels part) {
        all.resize(part.size());
        for (std::size_t c = 0; c < part.size(); ++c)
            all[c].insert(all[c].end(), part[c].begin(), part[c].end());
    };
    const double rate = e.rate();
    e.engine().setWallClock(27.0, 0);
    if (moveControls) {
        e.parameters().setGlowwormActivity(1.0);
        e.parameters().setGlowwormBrightness(0.9);
    }
    take(e.render(static_cast<std::int64_t>(rate * 6), block));
    if (moveControls)
        e.parameters().setGlowwormMasterDB(9.0);
    e.parameters().setFieldMuted(true);
    take(e.render(static_cast<std::int64_t>(rate * 4), block));
    e.engine().setIsFrozen(true);
    take(e.render(static_cast<std::int64_t>(rate * 1), block));
    e.engine().setIsFrozen(false);
    take(e.render(static_cast<std::int64_t>(rate * 10), block));
    return all;
}

bool sameBits(const Channels& a, const Channels& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t c = 0; c < a.size(); ++c)
        if (a[c].size() != b[c].size() || std::memcmp(a[c].data(), b[c].data(), a[c].size() * sizeof(float)) != 0)
            return false;
    return true;
}

// The largest sample difference between two renders of one length; infinity
// when their shapes differ.
double largestDifference(const Channels& a, const Channels& b)
{
    if (a.size() != b.size())
        return HUGE_VAL;
    double largest = 0.0;
    for (std::size_t c = 0; c < a.size(); ++c) {
        if (a[c].size() != b[c].size())
            return HUGE_VAL;
        for (std::size_t i = 0; i < a[c].size(); ++i)
            largest = std::max(largest, std::abs(static_cast<double>(a[c][i]) - b[c][i]));
    }
    return largest;
}

} // namespace

TEST(KernelPaths, EveryPathThisCpuRunsRendersTheSameBits)
{
    const double rate = 24000.0;
    Channels baseline;
    std::uint64_t baselineRandom = 0;
    {
        SimdRequest request("sse2");
        OfflineEngine e(rate);
        ASSERT_STREQ(e.engine().simdPath(), "sse2");
        baseline = busyScene(e, 512);
        baselineRandom = e.state().noise.noiseState;
        ASSERT_TRUE(e.state().anomaly.active) << "the scene must reach the anomaly";
    }
    if (!slm::synth::cpuRunsAvx2())
        GTEST_SKIP() << "this CPU runs only the baseline kernel";
    SimdRequest request("avx2");
    OfflineEngine e(rate);
    ASSERT_STREQ(e.engine().simdPath(), "avx2");
    const Channels wide = busyScene(e, 512);
    EXPECT_EQ(e.state().noise.noiseState, baselineRandom);
    EXPECT_TRUE(sameBits(wide, baseline));
}

TEST(KernelPaths, AutomaticChoiceIsTheWidestAndUnknownRequestsFallBackToIt)
{
    const char* widest = slm::synth::cpuRunsAvx2() ? "avx2" : "sse2";
    EXPECT_STREQ(slm::synth::chunkKernelFor("auto").name, widest);
    EXPECT_STREQ(slm::synth::chunkKernelFor("avx512").name, widest);
    EXPECT_STREQ(slm::synth::chunkKernelFor("sse2").name, "sse2");
    EXPECT_STREQ(slm::synth::chunkKernelFor("avx2").name, widest);
}

// Blocks that end mid-chunk (and one-frame blocks) leave the chunk's spare
// lanes holding other frames; none of that may reach the sound or the state.
TEST(KernelPaths, BlockSizeDoesNotChangeTheSound)
{
    const double rate = 24000.0;
    // The rotating sines restart at each block, so where blocks begin moves
    // a sample by a rounding at most; a block-boundary fault moves far more.
    constexpr double rounding = 1e-6;
    OfflineEngine whole(rate), odd(rate);
    EXPECT_LE(largestDifference(busyScene(odd, 37, false), busyScene(whole, 512, false)), rounding);

    // One frame per block: every chunk is a short one. Four seconds reach the
    // glowworm's first call.
    OfflineEngine single(rate), usual(rate);
    const auto frames = static_cast<std::int64_t>(rate * 4);
    EXPECT_LE(largestDifference(single.render(frames, 1), usual.render(frames, 512)), rounding);
}
