#include "clock/OrbitModel.h"

#include "clock/ClockMath.h"

#include "math/Trig.h"

#include <cmath>

namespace {

constexpr OrbitObject orbit0Objects[] = {
    {0.35, 1.0, 1.8, Tint::cyan, 6},
    {3.25, 0.72, 1.3, Tint::purple, 5},
};
constexpr OrbitObject orbit1Objects[] = {
    {1.45, 0.82, 1.5, Tint::purple, 5},
    {4.55, 1.12, 1.1, Tint::blue, 4},
};
constexpr OrbitObject orbit2Objects[] = {
    {2.2, 1.0, 1.2, Tint::orange, 5},
    {5.1, 0.65, 1.0, Tint::yellow, 4},
};

constexpr std::array<OrbitDefinition, 3> definitions{{
    {0.99, 0.58, 0.1, 0.035, Tint::cyan, 0.22, 0.7, 0.18, orbit0Objects},
    {0.73, 0.98, -0.42, -0.028, Tint::purple, 0.18, 0.62, 0.22, orbit1Objects},
    {0.91, 0.91, 0.78, 0.02, Tint::orange, 0.14, 0.55, 0.15, orbit2Objects},
}};

constexpr std::array<LocalOrbit, 3> locals{{
    {1.16, 0.46, -0.3, 0.01, Tint::cyan, 0.075, 0.56, 0.6, 2.3},
    {0.86, 1.06, 0.54, -0.014, Tint::purple, 0.06, 0.5, 2.5, 1.8},
    {1.05, 0.79, 1.02, 0.008, Tint::orange, 0.045, 0.44, 4.4, 1.45},
}};

} // namespace

const std::array<OrbitDefinition, 3>& orbitDefinitions() { return definitions; }

const std::array<LocalOrbit, 3>& localOrbits() { return locals; }

QPointF orbitPoint(double cx, double cy, double R, double rx, double ry, double tilt, double theta, double m)
{
    const slm::math::SinCos at = slm::math::sinCos(theta);
    const slm::math::SinCos turn = slm::math::sinCos(tilt);
    const double X = m * rx * R * at.cos;
    const double Y = m * ry * R * at.sin;
    const double c = turn.cos;
    const double s = turn.sin;
    return {cx + X * c - Y * s, cy + X * s + Y * c};
}

double orbitDepth(double theta) { return (slm::math::sine(theta) + 1) / 2; }

double orbitObjectAngle(const OrbitDefinition& orbit, const OrbitObject& object, double t)
{
    return object.phase + t * orbit.objectSpeed * object.speedMultiplier;
}

double orbitMarkerAAngle(const OrbitDefinition& orbit, int i, double t)
{
    return 0.66 * i + 0.52 * orbit.objectSpeed * t;
}

double orbitMarkerBAngle(const OrbitDefinition& orbit, int i, double t)
{
    return 0.66 * i + clockmath::pi + 0.68 * orbit.objectSpeed * t;
}

double localOrbitBodyAngle(const LocalOrbit& orbit, int i, double t) { return orbit.phase + t * (0.075 + 0.018 * i); }

double localOrbitSizeFactor(int i, double E) { return 1 - E * (i == 0 ? 0.05 : 0.028); }
