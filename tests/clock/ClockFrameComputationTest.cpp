#include "clock/ClockFrameComputation.h"

#include <QDateTime>
#include <QTimeZone>

#include <gtest/gtest.h>

namespace {

ClockFrame frameAt(int minute, int second, qint64 nanosecond, double t = 1000.0, QSizeF size = {800, 600})
{
    return computeClockFrame(ClockCalendarTime{t, 10, minute, second, nanosecond}, size);
}

TEST(ClockFrameComputation, MinuteAccentPeaksWithPulseAndScalesZoom)
{
    const ClockFrame peak = frameAt(5, 0, 725'000'000);
    EXPECT_EQ(peak.accent.kind, ClockAccentKind::minute);
    EXPECT_NEAR(peak.accent.level, 1.0, 1e-12);
    // Same t, so the slow cycle and the windows are equal: only pulse and accent scale differ.
    const ClockFrame quiet = frameAt(5, 10, 0);
    EXPECT_EQ(quiet.accent.kind, ClockAccentKind::none);
    EXPECT_NEAR(peak.S / quiet.S, 1.027 * 1.018, 1e-12);
    EXPECT_DOUBLE_EQ(peak.R, quiet.R);
}

TEST(ClockFrameComputation, HourAccentOutlastsThePulse)
{
    const ClockFrame f = frameAt(0, 1, 600'000'000);
    EXPECT_EQ(f.accent.kind, ClockAccentKind::hour);
    EXPECT_NEAR(f.accent.level, 1.0, 1e-12);
    const ClockFrame quiet = frameAt(0, 10, 0);
    EXPECT_NEAR(f.S / quiet.S, 1.07, 1e-12); // P is back to 1; K = 1.07
    // In the first minute of the hour the hour accent replaces the minute accent.
    EXPECT_EQ(frameAt(0, 0, 500'000'000).accent.kind, ClockAccentKind::hour);
    EXPECT_EQ(frameAt(0, 3, 200'000'000).accent.kind, ClockAccentKind::none);
}

TEST(ClockFrameComputation, HalfMinuteAccentWindow)
{
    EXPECT_EQ(frameAt(7, 29, 999'000'000).accent.kind, ClockAccentKind::none);
    const ClockFrame mid = frameAt(7, 30, 675'000'000);
    EXPECT_EQ(mid.accent.kind, ClockAccentKind::halfMinute);
    EXPECT_NEAR(mid.accent.level, 1.0, 1e-12);
    EXPECT_EQ(frameAt(7, 31, 349'000'000).accent.kind, ClockAccentKind::halfMinute);
    const ClockFrame end = frameAt(7, 31, 350'000'000);
    EXPECT_EQ(end.accent.kind, ClockAccentKind::none);
    EXPECT_EQ(end.accent.level, 0.0);
}

TEST(ClockFrameComputation, ChargeRisesBeforeAndFallsAfterEachHalfMinute)
{
    EXPECT_DOUBLE_EQ(frameAt(3, 30, 0).charge, 1.0);
    EXPECT_DOUBLE_EQ(frameAt(3, 0, 0).charge, 1.0);
    EXPECT_DOUBLE_EQ(frameAt(0, 0, 0).charge, 1.0);
    for (int s = 36; s < 56; ++s)
        EXPECT_EQ(frameAt(3, s, 500'000'000).charge, 0.0) << "second " << s;
    EXPECT_EQ(frameAt(3, 7, 200'000'000).charge, 0.0);

    // Rising towards 30 and 60, falling after: continuous at both ends.
    EXPECT_NEAR(frameAt(3, 29, 999'999'999).charge, 1.0, 1e-6);
    EXPECT_NEAR(frameAt(3, 59, 999'999'999).charge, 1.0, 1e-6);
    EXPECT_NEAR(frameAt(3, 26, 0).charge, 0.0, 1e-12);
    EXPECT_NEAR(frameAt(3, 35, 999'999'999).charge, 0.0, 1e-6);
    const double rising = frameAt(3, 28, 0).charge;
    EXPECT_NEAR(rising, 0.5, 1e-12);

    // The top of the hour discharges more slowly (8.2 s instead of 7.2 s).
    EXPECT_GT(frameAt(0, 4, 0).charge, frameAt(1, 4, 0).charge);
    // ...and without a jump where the ordinary discharge ends.
    EXPECT_NEAR(frameAt(0, 7, 199'999'999).charge, frameAt(0, 7, 200'000'000).charge, 1e-6);
    EXPECT_GT(frameAt(0, 7, 500'000'000).charge, 0.0);
    EXPECT_NEAR(frameAt(0, 8, 199'999'999).charge, 0.0, 1e-6);
}

TEST(ClockFrameComputation, WideWindowMovesTheClockLeftTallWindowKeepsItCentred)
{
    const ClockFrame wide = frameAt(1, 10, 0, 0.0, {900, 300});
    EXPECT_NEAR(wide.cx, 0.445 * 900, 1e-9);
    EXPECT_NEAR(wide.cy, 0.505 * 300, 1e-9);
    // m = 300, exC = 0.9; at t = 0 slow[0] = 0 and no window is open.
    EXPECT_NEAR(wide.R, 300 * (0.364 + 0.036 * 0.9) * 0.972, 1e-9);

    const ClockFrame tall = frameAt(1, 10, 0, 0.0, {300, 900});
    EXPECT_DOUBLE_EQ(tall.cx, 150);
    EXPECT_NEAR(tall.R, 300 * 0.364 * 0.972, 1e-9);

    const ClockFrame slightlyWide = frameAt(1, 10, 0, 0.0, {1200, 1000});
    EXPECT_NEAR(slightlyWide.cx, 1200 * (0.5 - 0.055 * 0.2), 1e-9);
}

TEST(ClockFrameComputation, HeightBelowOnePointCountsAsOnePointForTheAspect)
{
    const ClockFrame f = frameAt(1, 10, 0, 0.0, {1.5, 0.5});
    // ex = 1.5 / 1 − 1 = 0.5, not 1.5 / 0.5 − 1 = 2.
    EXPECT_NEAR(f.cx, 1.5 * (0.5 - 0.055 * 0.5), 1e-12);
    EXPECT_NEAR(f.R, 0.5 * (0.364 + 0.036 * 0.5) * 0.972, 1e-12);

    const ClockFrame empty = frameAt(1, 10, 0, 0.0, {640, 0});
    EXPECT_TRUE(std::isfinite(empty.cx));
    EXPECT_EQ(empty.R, 0.0);
}

TEST(ClockFrameComputation, SlowCycleAndAlignmentWindows)
{
    const auto slow0 = slowCycle(0);
    EXPECT_DOUBLE_EQ(slow0[0], 0.0);
    EXPECT_DOUBLE_EQ(slow0[5], 0.0);
    const auto slowHalf = slowCycle(210);
    EXPECT_NEAR(slowHalf[0], 1.0, 1e-12);
    for (double v : slowCycle(1234.5))
        EXPECT_TRUE(v >= -1 && v <= 1);

    // Window 0 opens fully at v = 0.17 and is shut 0.015 of the cycle away.
    EXPECT_NEAR(alignmentWindows(0.17 * 557)[0], 1.0, 1e-9);
    EXPECT_EQ(alignmentWindows((0.17 + 0.0151) * 557)[0], 0.0);
    EXPECT_NEAR(alignmentWindows((0.17 + 0.0075) * 557)[0], 0.5, 1e-9);
    // Dates before 2001 run the same cycle: v = 0.9 one tenth of a cycle before t = 0.
    EXPECT_NEAR(alignmentWindows(-0.1 * 557)[4], 1.0, 1e-9);
    EXPECT_NEAR(slowCycle(-105)[0], slowCycle(315)[0], 1e-12);

    const ClockFrame open = frameAt(1, 10, 0, 0.39 * 557);
    EXPECT_NEAR(open.align[1], 1.0, 1e-9);
    EXPECT_NEAR(open.A, 1.0, 1e-9);
    EXPECT_EQ(frameAt(1, 10, 0, 0.3 * 557).A, 0.0);
}

TEST(ClockFrameComputation, ReadsTheCalendarOfTheGivenZone)
{
    const QTimeZone utc = QTimeZone::utc();
    const QDateTime reference(QDate(2001, 1, 1), QTime(0, 0), utc);
    EXPECT_EQ(computeClockFrame(reference, {100, 100}, utc).t, 0.0);

    const QDateTime date(QDate(2024, 3, 9), QTime(15, 42, 7, 250), utc);
    const ClockFrame f = computeClockFrame(date, {100, 100}, utc);
    EXPECT_EQ(f.hour12, 3);
    EXPECT_EQ(f.minute, 42);
    EXPECT_DOUBLE_EQ(f.secF, 7.25);
    EXPECT_DOUBLE_EQ(f.minuteF, 42 + 7.25 / 60);
    EXPECT_DOUBLE_EQ(f.t, static_cast<double>(date.toMSecsSinceEpoch() - reference.toMSecsSinceEpoch()) / 1000);

    // The same instant in a zone 5:30 ahead.
    const ClockFrame ahead = computeClockFrame(date.toMSecsSinceEpoch(), {100, 100}, QTimeZone(5 * 3600 + 1800));
    EXPECT_EQ(ahead.hour12, 9);
    EXPECT_EQ(ahead.minute, 12);
    EXPECT_EQ(ahead.t, f.t);
}

} // namespace
