#include "math/Trig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <random>

namespace {

using slm::math::sinCos;

double worstError(double lo, double hi, int samples, std::uint64_t seed)
{
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> pick(lo, hi);
    double worst = 0;
    for (int i = 0; i < samples; ++i) {
        const double x = pick(rng);
        const auto sc = sinCos(x);
        worst = std::max({worst, std::abs(sc.sin - std::sin(x)), std::abs(sc.cos - std::cos(x))});
    }
    return worst;
}

// Geometry angles (a few turns) and the clock's phases: time since 2001
// (up to about 1.2e9 s by 2040) times rates up to about 3.5.
TEST(SinCos, WithinAFewUlpOfTheCLibraryOverTheRangesUsed)
{
    EXPECT_LE(worstError(-8 * std::numbers::pi, 8 * std::numbers::pi, 400000, 1), 2.5e-16);
    EXPECT_LE(worstError(-2000, 2000, 200000, 2), 2.5e-16);
    EXPECT_LE(worstError(1e8, 4.2e9, 200000, 3), 2.5e-16);
    EXPECT_LE(worstError(-4.2e9, -1e6, 200000, 4), 2.5e-16);
    EXPECT_EQ(sinCos(0.0).sin, 0.0);
    EXPECT_EQ(sinCos(0.0).cos, 1.0);
    // Close to a multiple of pi/2 the result keeps its small size.
    EXPECT_NEAR(sinCos(1000 * std::numbers::pi).sin, std::sin(1000 * std::numbers::pi), 1e-18);
}

TEST(SinCos, BeyondTheReductionRangeItIsTheCLibrarys)
{
    for (double x : {0x1p32, -0x1p33, 1e15, std::numeric_limits<double>::infinity()}) {
        const auto sc = sinCos(x);
        const double s = std::sin(x), c = std::cos(x);
        EXPECT_TRUE(sc.sin == s || (std::isnan(sc.sin) && std::isnan(s))) << x;
        EXPECT_TRUE(sc.cos == c || (std::isnan(sc.cos) && std::isnan(c))) << x;
    }
    EXPECT_TRUE(std::isnan(sinCos(std::nan("")).sin));
}

TEST(AngleWalk, FollowsTheDirectValuesOverLongRuns)
{
    for (double step : {2 * std::numbers::pi / 560, 0.7, -0.013}) {
        slm::math::AngleWalk walk(5e8 * 1.3, step);
        const double start = 5e8 * 1.3;
        const auto at0 = sinCos(start);
        double worst = 0;
        for (int i = 0; i < 3000; ++i) {
            const auto w = walk.next();
            // The direct value of start + i step, by angle addition so that
            // the large start does not round the sum.
            const auto d = sinCos(i * step);
            const double s = at0.sin * d.cos + at0.cos * d.sin;
            const double c = at0.cos * d.cos - at0.sin * d.sin;
            worst = std::max({worst, std::abs(w.sin - s), std::abs(w.cos - c)});
        }
        EXPECT_LT(worst, 1e-12) << step;
    }
}

} // namespace
