#pragma once

#include "math/Sine.h"

#include <bit>
#include <cmath>
#include <cstdint>

// Sine and cosine together, for the clock's geometry and the analyser's
// window and filter coefficients: quarter-turn series (the voices' sine
// uses half turns) after a reduction that stays accurate up to 2^32, as
// the clock's phases are time (about 8e8 s since 2001) times a rate.
// Branch-free below that limit, no fused multiply-adds, so every x86-64
// build gives the same bits. Within
// 2.5e-16 of the exact sine and cosine of the double argument.
namespace slm::math {

struct SinCos {
    double sin, cos;
};

namespace detail {

// Beyond this k * c1 is no longer exact.
constexpr double wideReductionLimit = 0x1p32;

// x = k * pi/2 + r. pi/2 is split into two 21-bit parts, so that k * c1 and
// k * c2 are exact for every k below 2^32, and a full-precision third part.
// x - k * c1 is exact (the two are within a factor of two), and what is left
// after k * c2 is no larger than about pi/4, so its one rounding is below
// 6e-17; the rest of pi/2 beyond c3 times 2^32 is below 1e-21.
[[gnu::always_inline]] inline double reduceQuarterTurnsWide(double x, double& shifted)
{
    constexpr double twoOverPi = 0x1.45f306dc9c883p-1;
    constexpr double c1 = 0x1.921fb00000000p+0;
    constexpr double c2 = 0x1.5110b00000000p-22;
    constexpr double c3 = 0x1.18469898cc517p-44;
    constexpr double roundingShift = 0x1.8p52;
    shifted = x * twoOverPi + roundingShift;
    const double k = shifted - roundingShift;
    return ((x - k * c1) - k * c2) - k * c3;
}

} // namespace detail

[[gnu::always_inline]] inline SinCos sinCos(double x)
{
    if (!(std::fabs(x) < detail::wideReductionLimit))
        return {std::sin(x), std::cos(x)};
    double shifted;
    const double r = detail::reduceQuarterTurnsWide(x, shifted);
    const double r2 = r * r;
    const std::uint64_t s = std::bit_cast<std::uint64_t>(synth::detail::sineSeries(r, r2));
    const std::uint64_t c = std::bit_cast<std::uint64_t>(synth::detail::cosineSeries(r2));

    // Quadrant q of x: sin is s, c, -s, -c and cos is c, -s, -c, s.
    const std::uint64_t q = std::bit_cast<std::uint64_t>(shifted);
    const std::uint64_t swap = 0 - (q & 1);
    const std::uint64_t sinSign = (q & 2) << 62;
    const std::uint64_t cosSign = ((q + 1) & 2) << 62;
    return {std::bit_cast<double>(((s & ~swap) | (c & swap)) ^ sinSign),
            std::bit_cast<double>(((c & ~swap) | (s & swap)) ^ cosSign)};
}

[[gnu::always_inline]] inline double sine(double x) { return sinCos(x).sin; }
[[gnu::always_inline]] inline double cosine(double x) { return sinCos(x).cos; }

// cos and sin of start + i * step for i = 0, 1, 2, ...: one rotation per
// angle instead of a reduction and two series. Each turn rounds a little;
// over n angles the values drift by about n * 2e-16, so a walk is for runs
// of at most a few thousand points.
class AngleWalk {
public:
    AngleWalk(double start, double step)
        : m_at(sinCos(start))
        , m_step(sinCos(step))
    {
    }

    SinCos next()
    {
        const SinCos at = m_at;
        m_at = {at.sin * m_step.cos + at.cos * m_step.sin, at.cos * m_step.cos - at.sin * m_step.sin};
        return at;
    }

private:
    SinCos m_at;
    SinCos m_step;
};

} // namespace slm::math
