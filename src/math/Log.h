#pragma once

#include <bit>
#include <cstdint>

// Base-10 logarithm for the level meters and the analyser, which turn
// amplitudes into decibels. Branch-free, no fused multiply-adds, the same
// bits on every x86-64 build, within 4 ulp of the C library's.
//
// For positive, finite, normal x. +inf gives about 308.25 (the last binade),
// which every caller clamps to its ceiling anyway; zero, subnormals,
// negatives and NaN give meaningless values, so callers test for silence
// first (they all have a floor far above the subnormals).
namespace slm::math {

namespace detail {

// 2 atanh(s) = ln((1 + s) / (1 - s)), |s| <= 3 - 2 sqrt(2) = 0.1716: the
// series to s^21 leaves less than 1e-18 relative.
[[gnu::always_inline]] inline double lnOfRatio(double s)
{
    const double s2 = s * s;
    const double p = 1.0 / 3.0
        + s2
            * (1.0 / 5.0
               + s2
                   * (1.0 / 7.0
                      + s2
                          * (1.0 / 9.0
                             + s2
                                 * (1.0 / 11.0
                                    + s2
                                        * (1.0 / 13.0
                                           + s2 * (1.0 / 15.0 + s2 * (1.0 / 17.0 + s2 * (1.0 / 19.0 + s2 / 21.0))))))));
    return 2.0 * s + 2.0 * s * (s2 * p);
}

} // namespace detail

[[gnu::always_inline]] inline double log10(double x)
{
    // x = 2^e * m with m in [sqrt(1/2), sqrt(2)): subtracting the bits of
    // sqrt(1/2) carries into the exponent exactly when m would reach sqrt(2).
    constexpr std::uint64_t sqrtHalfBits = 0x3fe6a09e667f3bcd;
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(x);
    const std::int64_t e = static_cast<std::int64_t>(bits - sqrtHalfBits) >> 52;
    const double m = std::bit_cast<double>(bits - (static_cast<std::uint64_t>(e) << 52));

    // m - 1 is exact; ln m = 2 atanh((m - 1) / (m + 1)).
    const double f = m - 1.0;
    const double lnM = detail::lnOfRatio(f / (2.0 + f));

    // log10(2) in two parts: e * hi is exact for every exponent.
    constexpr double log10TwoHi = 0x1.3441350800000p-2;
    constexpr double log10TwoLo = 0x1.f79fef311f12bp-34;
    constexpr double inverseLn10 = 0x1.bcb7b1526e50ep-2;
    const double ed = static_cast<double>(e);
    return ed * log10TwoHi + (ed * log10TwoLo + lnM * inverseLn10);
}

} // namespace slm::math
