#pragma once

#include "clock/ClockFrame.h"

#include "math/Trig.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

// Small numeric helpers shared by the clock's frame computation and layers.
namespace clockmath {

inline constexpr double pi = std::numbers::pi;
inline constexpr double twoPi = 2 * std::numbers::pi;

// x²·(3 − 2x) of x clamped to [0, 1].
inline double smoothstep01(double x)
{
    x = std::clamp(x, 0.0, 1.0);
    return x * x * (3 - 2 * x);
}

inline double fractionalPart(double x) { return x - std::floor(x); }

// (x mod period) / period in [0, 1), also for negative x (dates before 2001).
inline double cyclePosition(double x, double period)
{
    double m = std::fmod(x, period);
    if (m < 0)
        m += period;
    return m / period;
}

// cos and sin of multiple · 2π·k/N for k = 0 ... N, worked out once: the
// clock's closed curves visit the same angles every frame.
template <int N, int multiple = 1>
const std::array<slm::math::SinCos, N + 1>& turnAngles()
{
    static const std::array<slm::math::SinCos, N + 1> table = [] {
        std::array<slm::math::SinCos, N + 1> angles{};
        for (int k = 0; k <= N; ++k)
            angles[k] = slm::math::sinCos(multiple * (twoPi * k / N));
        return angles;
    }();
    return table;
}

inline double accentLevel(const ClockFrame& f) { return f.accent.active() ? f.accent.level : 0.0; }

// E of the orbit layers and the field lines: the accent and the alignment peak, capped at 1.
inline double layerEnergy(const ClockFrame& f) { return std::min(accentLevel(f) + 0.26 * f.A, 1.0); }

} // namespace clockmath
