#include "clock/Backdrop.h"
#include "clock/CentralCore.h"
#include "clock/ClockFrameComputation.h"
#include "clock/Dial.h"
#include "clock/FieldAndDust.h"
#include "clock/TimeBodies.h"

#include "DisplayListProbe.h"

#include <cmath>

#include <gtest/gtest.h>

namespace {

ClockFrame frameAt(int hour, int minute, int second, double t = 100.0)
{
    return computeClockFrame(ClockCalendarTime{t, hour, minute, second, 0}, {1000, 800});
}

TEST(TimeBodies, HourBodyPointsAtTheHourFromTheTop)
{
    const ClockFrame three = frameAt(3, 0, 0);
    const TimeBody at3 = hourBody(three);
    EXPECT_NEAR(at3.position.x(), three.cx + 0.86 * three.R, 1e-9);
    EXPECT_NEAR(at3.position.y(), three.cy, 1e-9);

    for (int hour : {0, 12}) {
        const ClockFrame f = frameAt(hour, 0, 0);
        const TimeBody top = hourBody(f);
        EXPECT_NEAR(top.position.x(), f.cx, 1e-9);
        EXPECT_NEAR(top.position.y(), f.cy - 0.94 * 0.86 * f.R, 1e-9);
    }

    // Whole hours only: still at 3:59:59, moved at 4:00:00.
    EXPECT_EQ(hourBody(frameAt(3, 59, 59)).position, at3.position);
    EXPECT_GT(hourBody(frameAt(4, 0, 0)).position.y(), at3.position.y() + 1);

    // The drawing puts the hour sphere there.
    DisplayList dl;
    drawTimeBodies(dl, three);
    const probe::Circle glow = probe::ellipseOf(dl, dl.ops()[0]);
    EXPECT_NEAR(glow.x, at3.position.x(), 1e-3);
    EXPECT_NEAR(glow.y, at3.position.y(), 1e-3);
    EXPECT_NEAR(glow.rx, 1.9 * at3.radius, 1e-3);
}

TEST(TimeBodies, MinuteBodyIsLargestAtHalfPastAtTheBottom)
{
    const ClockFrame half = frameAt(7, 30, 0);
    const TimeBody m = minuteBody(half);
    EXPECT_NEAR(m.position.x(), half.cx, 1e-9);
    EXPECT_NEAR(m.position.y(), half.cy + 0.94 * 0.86 * half.R, 1e-9);
    EXPECT_NEAR(m.depth, 1.0, 1e-12);
    for (int minute = 0; minute < 60; ++minute) {
        if (minute == 30)
            continue;
        ClockFrame f = half;
        f.minuteF = minute;
        EXPECT_LT(minuteBody(f).radius, m.radius) << minute;
    }
    // The minute body moves continuously with the seconds.
    EXPECT_GT(minuteBody(frameAt(7, 0, 30)).position.x(), minuteBody(frameAt(7, 0, 0)).position.x());
}

TEST(Backdrop, StarsSitInsideTheWindowAndTheFirstAtTheCorner)
{
    const ClockFrame f = probe::quietFrame(10, 640, 480);
    DisplayList dl;
    drawBackdrop(dl, f);
    const auto ops = dl.ops();
    ASSERT_GE(ops.size(), static_cast<std::size_t>(backdropStarCount));
    const auto stars = ops.subspan(ops.size() - backdropStarCount);
    const probe::Circle first = probe::ellipseOf(dl, stars[0]);
    EXPECT_FLOAT_EQ(first.x, 0);
    EXPECT_FLOAT_EQ(first.y, 0);
    EXPECT_FLOAT_EQ(first.rx, 0.7f);
    int large = 0;
    for (const DisplayOp& op : stars) {
        const probe::Circle s = probe::ellipseOf(dl, op);
        EXPECT_TRUE(s.x >= 0 && s.x < 640 && s.y >= 0 && s.y < 480);
        EXPECT_GT(op.paint.color.a, 0.054f);
        EXPECT_LT(op.paint.color.a, 0.121f);
        large += s.rx > 0.5;
    }
    EXPECT_EQ(large, 4); // stars 0, 13, 26 and 39
}

TEST(FieldAndDust, QuietCoreGlow)
{
    const ClockFrame f = probe::quietFrame();
    DisplayList dl;
    drawFieldAndDust(dl, f);
    ASSERT_EQ(dl.ops().size(), 7u + 1u + 20u);
    const DisplayOp& glow = dl.ops()[7];
    ASSERT_EQ(glow.paint.kind, PaintKind::Radial);
    const auto stops = dl.stops(glow.paint);
    ASSERT_EQ(stops.size(), 4u);
    EXPECT_FLOAT_EQ(stops[0].a, 0.11f);
    EXPECT_FLOAT_EQ(stops[1].a, 0.075f);
    EXPECT_FLOAT_EQ(stops[2].a, 0.07f);
    EXPECT_FLOAT_EQ(stops[3].a, 0.0f);
    EXPECT_FLOAT_EQ(glow.paint.r1, static_cast<float>(0.82 * f.R));
}

TEST(Dial, TopMarkerIsBlueAndOthersOrange)
{
    const ClockFrame f = probe::quietFrame();
    DisplayList dl;
    drawDial(dl, f);
    const auto dots = probe::opsWhere(dl, [](const DisplayOp& op) {
        return probe::isDisc(op) && op.paint.kind == PaintKind::Solid && op.paint.color.a == 1.0f;
    });
    ASSERT_EQ(dots.size(), 4u);
    const probe::Circle top = probe::ellipseOf(dl, dots[0]);
    EXPECT_NEAR(top.x, f.cx, 1e-3);
    EXPECT_NEAR(top.y, f.cy - 0.94 * 0.99 * f.R, 1e-3);
    EXPECT_FLOAT_EQ(dots[0].paint.color.b, tint(Tint::blue).b);
    for (int i = 1; i < 4; ++i)
        EXPECT_FLOAT_EQ(dots[i].paint.color.r, tint(Tint::orange).r);
}

TEST(CentralCore, FullChargeSwellsTheCore)
{
    ClockFrame f = frameAt(5, 30, 0);
    f.A = 0; // the charge alone
    f.align.fill(0);
    const CoreLevels full = coreLevels(f);
    EXPECT_DOUBLE_EQ(full.Q, 1.0);
    EXPECT_DOUBLE_EQ(full.G, 1.0);
    EXPECT_NEAR(full.U, 0.094 * f.R, 1e-12);
    DisplayList dl;
    drawCentralCore(dl, f);
    EXPECT_NEAR(probe::ellipseOf(dl, dl.ops()[0]).rx, 9.6 * full.U, 1e-3);
}

TEST(CentralCore, ChargeRingsNeedSomeCharge)
{
    ClockFrame f = probe::quietFrame();
    f.slow[1] = 0;
    ASSERT_EQ(coreLevels(f).Q, 0.0);
    DisplayList empty;
    drawCentralCore(empty, f);
    f.slow[1] = 0.2; // Q = 0.01 between seconds 36 and 56
    DisplayList charged;
    drawCentralCore(charged, f);
    // The two charge rings, and the two glow rings (G = Q > 0).
    EXPECT_EQ(charged.ops().size(), empty.ops().size() + 4);
}

TEST(CentralCore, AccentRingsFollowTheAccentKind)
{
    ClockFrame f = probe::quietFrame();
    f.slow[1] = 0; // no charge, so no glow rings without an accent
    DisplayList none;
    drawCentralCore(none, f);
    const auto extra = [&](ClockAccentKind kind, double t) {
        ClockFrame g = f;
        g.t = t;
        g.accent = {kind, 0.5};
        DisplayList dl;
        drawCentralCore(dl, g);
        return dl;
    };
    // G > 0 with an accent adds the two glow rings as well.
    EXPECT_EQ(extra(ClockAccentKind::minute, f.t).ops().size(), none.ops().size() + 2 + 2);
    EXPECT_EQ(extra(ClockAccentKind::hour, f.t).ops().size(), none.ops().size() + 2 + 3);
    EXPECT_EQ(extra(ClockAccentKind::halfMinute, f.t).ops().size(), none.ops().size() + 2 + 5);

    // The half-minute arcs turn with t: two half minutes never look alike.
    const DisplayList a = extra(ClockAccentKind::halfMinute, 30);
    const DisplayList b = extra(ClockAccentKind::halfMinute, 90);
    const auto lastArc = [](const DisplayList& dl) { return dl.points(dl.ops().back().path)[0]; };
    EXPECT_GT(std::hypot(lastArc(a).x - lastArc(b).x, lastArc(a).y - lastArc(b).y), 1.0);
}

} // namespace
