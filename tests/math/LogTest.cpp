#include "math/Log.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace {

double ulpsFromLibrary(double x)
{
    const double exact = std::log10(x);
    const double ulp = std::nextafter(std::abs(exact), std::numeric_limits<double>::infinity()) - std::abs(exact);
    return std::abs(slm::math::log10(x) - exact) / ulp;
}

// Levels the meters and the analyser convert: 1e-14 (squared amplitudes)
// up past full scale, and the whole normal range for good measure.
TEST(Log10, WithinFourUlpOfTheCLibrary)
{
    std::mt19937_64 rng(5);
    std::uniform_real_distribution<double> exponent(-14.5, 3);
    std::uniform_real_distribution<double> wide(-307, 308);
    std::uniform_real_distribution<double> nearOne(0.5, 2);
    double worst = 0;
    for (int i = 0; i < 300000; ++i) {
        worst = std::max(worst, ulpsFromLibrary(std::pow(10.0, exponent(rng))));
        worst = std::max(worst, ulpsFromLibrary(std::pow(10.0, wide(rng))));
        worst = std::max(worst, ulpsFromLibrary(nearOne(rng)));
    }
    EXPECT_LE(worst, 4.0);
}

TEST(Log10, ExactAtOneAndAcrossTheMantissaSwitch)
{
    EXPECT_EQ(slm::math::log10(1.0), 0.0);
    // The mantissa switches halves at sqrt(2): both sides stay accurate.
    const double edge = std::sqrt(2.0);
    for (double x : {edge, std::nextafter(edge, 0.0), 0.5 * edge, 0x1p-1022, 0x1p1023})
        EXPECT_LE(ulpsFromLibrary(x), 4.0) << x;
    // Infinity lands above every ceiling a caller clamps to.
    EXPECT_GT(slm::math::log10(std::numeric_limits<double>::infinity()), 308.0);
}

} // namespace
