#include "clock/ClockShapes.h"
#include "clock/FieldAndDust.h"
#include "clock/OrbitLayers.h"
#include "clock/OrbitModel.h"

#include "DisplayListProbe.h"

#include <cmath>
#include <numbers>

#include <gtest/gtest.h>

// The curves the layers build from angle tables and rotations lie where the
// C library's sine and cosine put them, to far below a pixel, at a large
// size and at a date whose phases are large.
namespace {

constexpr double twoPi = 2 * std::numbers::pi;

double worstDistance(std::span<const Point2> points, const auto& expected)
{
    double worst = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const auto [x, y] = expected(static_cast<int>(i));
        worst = std::max({worst, std::abs(points[i].x - x), std::abs(points[i].y - y)});
    }
    return worst;
}

TEST(ClockCurves, TurnedArcFollowsItsEllipse)
{
    DisplayList dl;
    const double cx = 1900, cy = 1100, a = 700, b = 420, turn = 8.1e8 * 0.025, start = -0.75, sweep = twoPi;
    const int count = 181;
    const PathRef arc = clockdraw::turnedArc(dl, cx, cy, a, b, turn, start, sweep, count);
    ASSERT_EQ(arc.count, 181u);
    const double worst = worstDistance(dl.points(arc), [&](int i) {
        const double theta = start + sweep * i / (count - 1);
        const double X = a * std::cos(theta), Y = b * std::sin(theta);
        return std::pair{cx + X * std::cos(turn) - Y * std::sin(turn), cy + X * std::sin(turn) + Y * std::cos(turn)};
    });
    EXPECT_LT(worst, 1e-3);
}

TEST(ClockCurves, OrbitOutlinesAndFieldLinesFollowTheirFormulas)
{
    ClockFrame f = probe::quietFrame(8.1e8 + 0.37, 3840, 2160);
    f.R = 780;
    DisplayList orbits;
    drawOrbitTable(orbits, f);
    const OrbitDefinition& o = orbitDefinitions()[0];
    const double tilt = orbitTilt(o.rotation, o.speed, f.t);
    const auto outline = orbits.points(orbits.ops()[0].path);
    ASSERT_EQ(outline.size(), static_cast<std::size_t>(orbitOutlineSegments + 1));
    EXPECT_LT(worstDistance(outline, [&](int k) {
                  const double theta = twoPi * k / orbitOutlineSegments;
                  const double X = o.rx * f.R * std::cos(theta), Y = o.ry * f.R * std::sin(theta);
                  return std::pair{f.cx + X * std::cos(tilt) - Y * std::sin(tilt),
                                   f.cy + X * std::sin(tilt) + Y * std::cos(tilt)};
              }),
              1e-3);

    DisplayList field;
    drawFieldAndDust(field, f);
    const auto line = field.points(field.ops()[0].path);
    ASSERT_EQ(line.size(), 221u);
    const double a = f.R * 0.3, b = f.R * 0.14, drift = 0.012 * f.R * std::sin(0.045 * f.t);
    const double E = std::min(0.26 * f.A, 1.0);
    EXPECT_LT(worstDistance(line, [&](int k) {
                  const double theta = twoPi * k / 220;
                  const double s = std::sin(theta), c = std::cos(theta);
                  const double q = 1 - 0.1 * E * s * s;
                  const double X = a * c * q, Y = b * s * q;
                  return std::pair{f.cx + drift + X + 0.18 * Y, f.cy + Y - 0.045 * X};
              }),
              1e-3);
}

} // namespace
