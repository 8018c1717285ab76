#include "clock/gl/StrokeStrip.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

std::vector<GLStripVertex> strip(std::vector<Point2> points, float halfWidth)
{
    PodArray<GLStripVertex> out;
    PodArray<Point2> scratch;
    const std::size_t n = appendStrokeStrip(points, {1, 0, 0}, halfWidth, 7, out, 0, scratch);
    EXPECT_EQ(n, out.size());
    return {out.view().begin(), out.view().end()};
}

// Twice the signed area of a strip triangle.
float area2(const GLStripVertex& a, const GLStripVertex& b, const GLStripVertex& c)
{
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

} // namespace

// The strip reaches the anti-aliasing margin past the edges and ends, and
// its distances across and along are those of the stroke.
TEST(StrokeStrip, StraightAndMitredLinesCarryTheirDistances)
{
    const float hw = 1.5f;
    const float side = hw + stripReach;
    const std::vector<GLStripVertex> v = strip({{0, 0}, {10, 0}, {10, 10}}, hw);
    ASSERT_EQ(v.size(), 6u); // start, mitred corner, end
    for (const GLStripVertex& p : v) {
        EXPECT_EQ(std::abs(p.across), side);
        EXPECT_EQ(p.length, 20.0f);
        EXPECT_EQ(p.op, 7u);
    }
    EXPECT_FLOAT_EQ(v[0].x, -stripReach);
    EXPECT_FLOAT_EQ(v[0].along, -stripReach);
    EXPECT_FLOAT_EQ(v[2].along, 10.0f);
    EXPECT_FLOAT_EQ(v[5].y, 10 + stripReach);
    EXPECT_FLOAT_EQ(v[5].along, 20 + stripReach);
    // The mitre's vertices lie `side` from both segments' lines, on their own side.
    for (const GLStripVertex& p : {v[2], v[3]}) {
        EXPECT_NEAR(std::abs(p.y), side, 1e-5);
        EXPECT_NEAR(std::abs(p.x - 10), side, 1e-5);
        EXPECT_EQ(p.y > 0, p.across > 0);
    }
}

// A hairpin is bevelled rather than mitred far out; a broken point splits
// the line in two, joined by triangles without area.
TEST(StrokeStrip, SharpTurnsBevelAndBrokenPointsSplit)
{
    const std::vector<GLStripVertex> hairpin = strip({{0, 0}, {10, 0}, {0, 1}}, 1);
    ASSERT_EQ(hairpin.size(), 8u);
    for (const GLStripVertex& p : hairpin)
        EXPECT_LT(std::hypot(p.x - 5, p.y), 5 + 1 + stripReach + 1e-4);

    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::vector<GLStripVertex> broken = strip({{0, 0}, {10, 0}, {nan, 0}, {0, 5}, {0, 5}, {10, 5}}, 1);
    ASSERT_EQ(broken.size(), 4u + 2u + 4u);
    for (std::size_t i = 2; i < 6; ++i)
        EXPECT_EQ(area2(broken[i], broken[i + 1], broken[i + 2]), 0.0f) << i;
    EXPECT_EQ(broken[4].y, broken[3].y);
    EXPECT_EQ(broken[5].y, broken[6].y);
    EXPECT_GT(broken[6].y, 3.0f);
    EXPECT_EQ(broken.back().length, 10.0f);
    EXPECT_TRUE(strip({{0, 0}, {0, 0}}, 1).empty());
}

// A ring closes on itself, shows no ends, and its chords stay close to the circle.
TEST(StrokeStrip, RingsCloseAndFollowTheEllipse)
{
    PodArray<GLStripVertex> out;
    const float r = 200, hw = 2;
    const std::size_t n = appendRingStrip({300, 300}, r, r, hw, 3, out, 0);
    ASSERT_EQ(n, out.size());
    ASSERT_GT(n, 40u);
    EXPECT_LT(n, 400u);
    EXPECT_EQ(out[0].x, out[n - 2].x);
    EXPECT_EQ(out[0].y, out[n - 2].y);
    const float side = hw + stripReach;
    for (std::size_t i = 0; i < n; ++i) {
        const GLStripVertex& a = out[i];
        // Inner and outer vertices sit `side` off the circle...
        EXPECT_EQ(std::abs(a.across), side);
        EXPECT_NEAR(std::hypot(a.x - 300, a.y - 300), r + a.across, 1e-2);
        EXPECT_GT(a.along - 0.5f, 0.0f);
        EXPECT_LT(a.along + 0.5f, a.length);
        // ...and the outer chords fall short of their arcs by little.
        if (a.across > 0 && i + 2 < n) {
            EXPECT_GT(std::hypot((a.x + out[i + 2].x) / 2 - 300, (a.y + out[i + 2].y) / 2 - 300), r + side - 0.16f);
        }
    }
}
