// The voices' own exponential, hyperbolic tangent and powers against the C
// library, over the arguments the voices and the master produce.

#include "math/Exp.h"
#include "math/Pow.h"
#include "math/SineLanes.h"
#include "math/Tanh.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

using namespace slm::synth;

namespace {

double ulpsApart(double a, double b)
{
    if (a == b)
        return 0.0;
    const double ulp = std::fabs(std::nextafter(b, std::numeric_limits<double>::infinity()) - b);
    return std::fabs(a - b) / ulp;
}

bool sameBits(double a, double b) { return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b); }

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();

} // namespace

// The master sees sums of a few voices times the drive; the glowworm's
// oscillators see up to about +-3, its call can be pushed far further.
TEST(Tanh, WithinFourUlpOfTheLibraryAcrossTheSaturationsRange)
{
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> wide(-30.0, 30.0);
    double worst = 0.0;
    for (int i = 0; i < 300000; ++i) {
        double x = wide(random);
        x *= i % 3 == 0 ? 1e-3 : (i % 7 == 0 ? 1e-9 : 1.0); // small ones keep their relative accuracy
        worst = std::max(worst, ulpsApart(slm::synth::tanh(x), std::tanh(x)));
    }
    EXPECT_LE(worst, 4.0);

    EXPECT_TRUE(sameBits(slm::synth::tanh(0.0), 0.0));
    EXPECT_TRUE(sameBits(slm::synth::tanh(-0.0), -0.0));
    EXPECT_EQ(slm::synth::tanh(22.0), 1.0);
    EXPECT_EQ(slm::synth::tanh(-1e300), -1.0);
    EXPECT_EQ(slm::synth::tanh(inf), 1.0);
    EXPECT_EQ(slm::synth::tanh(-inf), -1.0);
    // The master plays a NaN frame as silence, so NaN must stay NaN.
    EXPECT_TRUE(std::isnan(slm::synth::tanh(notANumber)));
    EXPECT_EQ(slm::synth::tanh(5e-324), 5e-324);
}

TEST(Exp, BothFormsWithinTwoUlpOfTheLibrary)
{
    std::mt19937_64 random(11);
    std::uniform_real_distribution<double> span(-708.0, 709.0);
    double worstExp = 0.0, worstMinusOne = 0.0;
    for (int i = 0; i < 300000; ++i) {
        const double x = span(random);
        worstExp = std::max(worstExp, ulpsApart(slm::synth::exp(x), std::exp(x)));
        const double y = i % 2 ? x / 1000.0 : x * 1e-12;
        worstMinusOne = std::max(worstMinusOne, ulpsApart(expMinusOne(y), std::expm1(y)));
    }
    EXPECT_LE(worstExp, 2.0);
    EXPECT_LE(worstMinusOne, 2.0);
    EXPECT_EQ(slm::synth::exp(0.0), 1.0);
    EXPECT_EQ(slm::synth::exp(-709.0), 0.0) << "no subnormal results";
    EXPECT_EQ(slm::synth::exp(-inf), 0.0);
    EXPECT_TRUE(std::isnan(slm::synth::exp(notANumber)));
}

// Envelope shapes: bases in 0...1 (and a little beyond), the exponents the voices use.
TEST(Power, WithinItsStatedBoundOfTheLibraryForTheVoicesExponents)
{
    std::mt19937_64 random(13);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (const double y : {0.48, 0.54, 1.25, 1.7, 7.0}) {
        double worst = 0.0;
        for (int i = 0; i < 100000; ++i) {
            double x = unit(random);
            if (i % 3 == 0)
                x = std::ldexp(x, -(i % 1000)); // down to the subnormals
            if (i % 11 == 0)
                x *= 3.0;
            const double expected = std::pow(x, y);
            if (expected < 1e-300) {
                ASSERT_LE(power(x, y), 1e-300) << x << "^" << y;
                continue;
            }
            const double bound = 0x1p-52 * (2.0 + 2.0 * std::fabs(y * std::log(x)));
            worst = std::max(worst, std::fabs(power(x, y) - expected) / expected / bound);
        }
        EXPECT_LE(worst, 1.0) << "exponent " << y;
    }
    EXPECT_EQ(power(0.0, 1.7), 0.0);
    EXPECT_EQ(power(1.0, 0.54), 1.0);
    EXPECT_TRUE(std::isnan(power(notANumber, 1.25)));
}

TEST(Power, WholePowersWithinTheirCountOfUlps)
{
    std::mt19937_64 random(17);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int i = 0; i < 100000; ++i) {
        const double x = unit(random);
        ASSERT_LE(ulpsApart(wholePower<6>(x), std::pow(x, 6.0)), 6.0) << x;
        ASSERT_LE(ulpsApart(wholePower<7>(x), std::pow(x, 7.0)), 7.0) << x;
    }
    EXPECT_TRUE(sameBits(wholePower<7>(-0.0), -0.0));
}

// Every lane computes what the scalar function does, to the bit: this is what
// lets kernels of different widths agree.
TEST(Lanes, FourLanesGiveTheScalarBitsForEveryFunction)
{
    std::mt19937_64 random(19);
    std::uniform_real_distribution<double> span(-40.0, 40.0);
    int different = 0;
    for (int i = 0; i < 20000; ++i) {
        Doubles<4> x;
        for (int k = 0; k < 4; ++k)
            x[k] = span(random);
        x[i % 4] = i % 5 == 0 ? notANumber : x[i % 4];
        const Doubles<4> t = tanhLanes(x);
        const Doubles<4> e = expMinusOneLanes(x);
        const Doubles<4> p = powerLanes(x * x, 1.7);
        Doubles<4> far = x;
        far[(i + 1) % 4] = i % 3 == 0 ? 3.0e7 : far[(i + 1) % 4]; // one lane out of the reduction's range
        const Doubles<4> s = sineLanes(far);
        for (int k = 0; k < 4; ++k) {
            different += sameBits(t[k], slm::synth::tanh(x[k])) ? 0 : 1;
            different += sameBits(e[k], expMinusOne(x[k])) ? 0 : 1;
            different += sameBits(p[k], power(x[k] * x[k], 1.7)) ? 0 : 1;
            different += sameBits(s[k], sine(far[k])) ? 0 : 1;
        }
    }
    EXPECT_EQ(different, 0);
}
