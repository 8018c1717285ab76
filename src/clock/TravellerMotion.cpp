#include "clock/MinuteTraveller.h"
#include "clock/StrandGeometry.h"

#include "math/Trig.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace {

constexpr double pi = std::numbers::pi;

constexpr std::array<double, 6> stops{0, 0.16, 0.36, 0.56, 0.78, 1.0};

constexpr std::array<TravellerKeyframe, 5> keyframes{{
    {{0.16, 0.44, 1.0}, {0.22, 0.9, 1.0}, {1.0, 1.0, 1.0}, 0.86, 1.18, 1.1, 0.85},
    {{0.16, 0.72, 0.96}, {0.24, 1.0, 0.82}, {0.96, 1.0, 0.9}, 0.98, 0.96, 0.92, 0.9},
    {{0.34, 0.48, 1.0}, {0.78, 0.38, 1.0}, {1.0, 0.96, 1.0}, 1.1, 1.08, 1.14, 1.08},
    {{0.92, 0.34, 0.48}, {1.0, 0.74, 0.2}, {1.0, 0.98, 0.78}, 1.22, 1.22, 1.3, 1.22},
    {{0.18, 0.68, 1.0}, {0.44, 0.84, 1.0}, {0.96, 1.0, 1.0}, 0.92, 0.88, 0.94, 0.94},
}};

double mix(double a, double b, double x) { return a + x * (b - a); }

TravellerColor mix(const TravellerColor& a, const TravellerColor& b, double x)
{
    return {mix(a.r, b.r, x), mix(a.g, b.g, x), mix(a.b, b.b, x)};
}

} // namespace

TravellerStage keyframeAt(double p)
{
    TravellerStage st;
    int s = 0;
    while (s < 4 && stops[s + 1] <= p)
        ++s;
    st.s = s;
    st.lp = (p - stops[s]) / std::max(stops[s + 1] - stops[s], 0.0001);
    const double x = std::clamp((st.lp - 0.72) / 0.28, 0.0, 1.0);
    st.b = x * x * (3 - 2 * x);

    const TravellerKeyframe& a = keyframes[s];
    const TravellerKeyframe& z = keyframes[std::min(s + 1, 4)];
    st.k.tail = mix(a.tail, z.tail, st.b);
    st.k.body = mix(a.body, z.body, st.b);
    st.k.head = mix(a.head, z.head, st.b);
    st.k.mass = mix(a.mass, z.mass, st.b);
    st.k.breath = mix(a.breath, z.breath, st.b);
    st.k.glow = mix(a.glow, z.glow, st.b);
    st.k.ring = mix(a.ring, z.ring, st.b);
    return st;
}

TravellerWander::TravellerWander(double seed, double t, double L)
    : m_L(L)
{
    const double base = seed * 12.9898;
    double h[13];
    for (int j = 1; j <= 12; ++j)
        h[j] = strandHash(base, j);
    m_f[0] = 1.8 + 2.4 * h[1];
    m_f[1] = 3.5 + 4.8 * h[2];
    m_f[2] = 7.0 + 7.5 * h[3];
    m_f[3] = 12 + 11 * h[4];
    for (int k = 0; k < 4; ++k)
        m_phase[k] = 2 * pi * h[5 + k];
    m_slide[0] = t * (0.1 + 0.1 * h[9]);
    m_slide[1] = t * (0.18 + 0.14 * h[10]);
    m_slide[2] = t * (0.27 + 0.18 * h[11]);
    m_slide[3] = t * (0.42 + 0.2 * h[12]);
}

double TravellerWander::offset(double p, double omega) const
{
    const double theta = 2 * pi * p;
    const double* f = m_f;
    const double* s = m_slide;
    const double phi1 = m_phase[0] + 0.6 * omega, phi2 = m_phase[1] - 0.9 * omega;
    const double phi3 = m_phase[2] + 1.4 * omega, phi4 = m_phase[3] - 1.8 * omega;
    // Each term is measured from its value at the centre (theta = pi), so the
    // path always crosses the clock centre at second 30.
    const double a1 = slm::math::sine(s[0] + f[0] * theta + phi1) - slm::math::sine(s[0] + pi * f[0] + phi1);
    const double a2 = slm::math::sine(f[1] * theta + phi2 - s[1]) - slm::math::sine(pi * f[1] + phi2 - s[1]);
    const double a3 = slm::math::sine(s[2] + f[2] * theta + phi3) - slm::math::sine(s[2] + pi * f[2] + phi3);
    const double a4 = slm::math::sine(f[3] * theta + phi4 - s[3]) - slm::math::sine(pi * f[3] + phi4 - s[3]);
    const double offset
        = 0.58 * m_L * (0.74 + 0.26 * slm::math::sine(pi * p)) * (0.95 * a1 + 0.55 * a2 + 0.28 * a3 + 0.15 * a4);
    return std::min(std::max(offset, -m_L), m_L);
}

double travellerOffset(double p, double seed, double omega, double t, double L)
{
    return TravellerWander(seed, t, L).offset(p, omega);
}
