#include "clock/BodyDrawing.h"
#include "clock/OrbitLayers.h"
#include "clock/OrbitModel.h"

#include "DisplayListProbe.h"

#include <cmath>
#include <numbers>

#include <gtest/gtest.h>

namespace {

constexpr double pi = std::numbers::pi;

// Undo the tilt and return the point in the ellipse's own axes.
QPointF untilted(QPointF p, double cx, double cy, double tilt)
{
    const double dx = p.x() - cx;
    const double dy = p.y() - cy;
    return {dx * std::cos(tilt) + dy * std::sin(tilt), -dx * std::sin(tilt) + dy * std::cos(tilt)};
}

TEST(OrbitModel, FirstObjectStartsAtItsPhaseOnTheTiltedEllipse)
{
    const auto& orbit = orbitDefinitions()[0];
    const auto& object = orbit.objects[0];
    const double R = 200;
    const double theta = orbitObjectAngle(orbit, object, 0);
    const QPointF p = orbitPoint(50, 60, R, orbit.rx, orbit.ry, orbitTilt(orbit.rotation, orbit.speed, 0), theta);
    const QPointF local = untilted(p, 50, 60, 0.1);
    EXPECT_NEAR(std::pow(local.x() / (0.99 * R), 2) + std::pow(local.y() / (0.58 * R), 2), 1.0, 1e-12);
    EXPECT_NEAR(std::atan2(local.y() / 0.58, local.x() / 0.99), 0.35, 1e-12);
}

TEST(OrbitModel, TiltTurnsClockwiseOnScreenAndSizeFactorScales)
{
    // A quarter turn takes the rightmost point to the bottom (y grows downwards).
    const QPointF p = orbitPoint(0, 0, 10, 1.0, 0.5, pi / 2, 0);
    EXPECT_NEAR(p.x(), 0, 1e-12);
    EXPECT_NEAR(p.y(), 10, 1e-12);
    const QPointF half = orbitPoint(3, 4, 10, 1.0, 0.5, 0.7, 2.0, 0.5);
    const QPointF full = orbitPoint(3, 4, 10, 1.0, 0.5, 0.7, 2.0, 1.0);
    EXPECT_NEAR(half.x() - 3, 0.5 * (full.x() - 3), 1e-12);
    EXPECT_NEAR(half.y() - 4, 0.5 * (full.y() - 4), 1e-12);
    EXPECT_NEAR(orbitDepth(pi / 2), 1.0, 1e-15);
    EXPECT_NEAR(orbitDepth(-pi / 2), 0.0, 1e-15);
}

TEST(OrbitLayers, QuietOutlineOpacityAndWidth)
{
    ClockFrame f = probe::quietFrame();
    f.slow[1] = 0.25;
    DisplayList dl;
    drawOrbitTable(dl, f);
    const DisplayOp& outline = dl.ops()[0];
    ASSERT_EQ(outline.kind, OpKind::Stroke);
    EXPECT_EQ(outline.path.count, 181u);
    EXPECT_FLOAT_EQ(outline.paint.color.a, static_cast<float>(0.62 * 0.22));
    EXPECT_FLOAT_EQ(outline.paint.color.g, tint(Tint::cyan).g);
    EXPECT_FLOAT_EQ(outline.width, static_cast<float>(0.7 * (0.78 + 0.1 * 0.25)));
    const auto pts = dl.points(outline.path);
    EXPECT_FLOAT_EQ(pts.front().x, pts.back().x);
    EXPECT_FLOAT_EQ(pts.front().y, pts.back().y);

    DisplayList local;
    drawLocalOrbits(local, f);
    EXPECT_EQ(local.ops()[0].path.count, 201u);
}

TEST(OrbitLayers, BrightnessNeverExceedsOne)
{
    // The body ring's width is 0.38 + 0.4·b: at full energy b would pass 1 without its cap.
    ClockFrame f = probe::quietFrame();
    f.accent = {ClockAccentKind::hour, 1.0};
    f.A = 1;
    f.align.fill(1);
    for (double t = 0; t < 120; t += 0.37) {
        f.t = t;
        DisplayList dl;
        drawOrbitTable(dl, f);
        drawLocalOrbits(dl, f);
        for (const DisplayOp& op : dl.ops()) {
            if (op.kind == OpKind::Stroke && op.paint.kind == PaintKind::Linear) {
                ASSERT_LE(op.width, 0.78f + 1e-6f) << "t " << t;
            }
        }
    }
}

TEST(BodyDrawing, TinyBodyKeepsAVisibleMoonAndTheMoonCircles)
{
    const ClockFrame f = probe::quietFrame(0);
    DisplayList dl;
    drawBody(dl, f, 100, 100, 0.1, 0.5, 0.5, tint(Tint::cyan));
    const auto whiteDots = probe::opsWhere(dl, [](const DisplayOp& op) {
        return probe::isDisc(op) && op.paint.kind == PaintKind::Solid && op.paint.color.a == 1.0f;
    });
    ASSERT_EQ(whiteDots.size(), 1u);
    EXPECT_NEAR(probe::ellipseOf(dl, whiteDots[0]).rx, 0.45, 1e-6);

    // One revolution of the moon takes 2π/(1.8 + 0.8·b) seconds, on an ellipse 0.72 as tall as wide.
    const auto moonAt = [](double t) {
        ClockFrame g = probe::quietFrame(t);
        DisplayList list;
        drawBody(list, g, 100, 100, 10, 1.0, 0.0, tint(Tint::cyan));
        for (const DisplayOp& op : list.ops())
            if (probe::isDisc(op) && op.paint.kind == PaintKind::Solid)
                return probe::ellipseOf(list, op);
        return probe::Circle{};
    };
    const double period = 2 * pi / 2.6;
    const probe::Circle a = moonAt(1.0);
    const probe::Circle b = moonAt(1.0 + period);
    EXPECT_NEAR(a.x, b.x, 1e-3);
    EXPECT_NEAR(a.y, b.y, 1e-3);
    const double D = 10 * (1.7 + 0.45);
    for (double t = 0; t < period; t += 0.3) {
        const probe::Circle m = moonAt(t);
        EXPECT_NEAR(std::pow((m.x - 100) / D, 2) + std::pow((m.y - 100) / (0.72 * D), 2), 1.0, 1e-4);
    }
}

} // namespace
