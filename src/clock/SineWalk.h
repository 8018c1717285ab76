#pragma once

#include "math/Trig.h"

#include <numbers>

// sin(phase + f·θ) at θ = 2π·i/560, two points at a time: a register holds
// points i and i + 1, and s[i+2] = 2 cos 2δ · s[i] − s[i−2] costs one multiply
// and one subtraction per pair instead of two sines. The large phase is
// reduced only once. Rounding grows by at most about 1/sin 2δ per step; over
// the 281 steps of a strand at the slowest strand frequency that stays below
// 1e-11 of the amplitude, far below what a float vertex can hold.
class SineWalk {
public:
    // Two neighbouring points, in one SSE2 register.
    using Pair = double __attribute__((vector_size(16)));

    SineWalk(double phase, double f)
    {
        const double delta = f * (2 * std::numbers::pi) / 560;
        const slm::math::SinCos at = slm::math::sinCos(phase);
        const slm::math::SinCos one = slm::math::sinCos(delta);
        const slm::math::SinCos two = slm::math::sinCos(2 * delta);
        m_current = Pair{at.sin, at.sin * one.cos + at.cos * one.sin};
        m_previous = Pair{at.sin * two.cos - at.cos * two.sin, at.sin * one.cos - at.cos * one.sin};
        m_twoCos = Pair{2 * two.cos, 2 * two.cos};
    }
    Pair next()
    {
        const Pair value = m_current;
        m_current = m_twoCos * value - m_previous;
        m_previous = value;
        return value;
    }

private:
    Pair m_current, m_previous, m_twoCos;
};
