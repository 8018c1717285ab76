#include "clock/ClockFrameComputation.h"

#include "clock/ClockMath.h"

#include "math/Trig.h"

#include <algorithm>
#include <cmath>

using namespace clockmath;

double minutePulse(double secF)
{
    return secF < 1.45 ? 1 + 0.027 * slm::math::sine(pi * secF / 1.45) : 1.0;
}

ClockAccent clockAccentAt(int minute, double secF)
{
    if (minute == 0 && secF < 3.2)
        return {ClockAccentKind::hour, slm::math::sine(pi * std::min(secF / 3.2, 1.0))};
    if (secF < 1.45)
        return {ClockAccentKind::minute, slm::math::sine(pi * std::min(secF / 1.45, 1.0))};
    if (30 <= secF && secF < 31.35)
        return {ClockAccentKind::halfMinute, slm::math::sine(pi * std::min((secF - 30) / 1.35, 1.0))};
    return {ClockAccentKind::none, 0.0};
}

double accentScale(const ClockAccent& accent)
{
    switch (accent.kind) {
    case ClockAccentKind::minute: return 1 + 0.018 * accent.level;
    case ClockAccentKind::halfMinute: return 1 + 0.012 * accent.level;
    case ClockAccentKind::hour: return 1 + 0.07 * accent.level;
    case ClockAccentKind::none: break;
    }
    return 1.0;
}

double chargeLevel(int minute, double secF)
{
    if (26 <= secF && secF < 30)
        return smoothstep01((secF - 26) * 0.25);
    if (30 <= secF && secF < 36)
        return 1 - smoothstep01((secF - 30) / 6);
    if (56 <= secF && secF < 60)
        return smoothstep01((secF - 56) * 0.25);
    // The top of the hour discharges over its full 8.2 s; stopping at 7.2 s would
    // drop the last few percent of charge in one frame.
    const double D = minute == 0 ? 8.2 : 7.2;
    if (0 <= secF && secF < D)
        return 1 - smoothstep01(secF / D);
    return 0.0;
}

std::array<double, 6> slowCycle(double t)
{
    const double u = cyclePosition(t, 420);
    std::array<double, 6> slow{};
    slow[0] = (1 - slm::math::cosine(twoPi * u)) / 2;
    const double offsets[3] = {0.18, 0.31, 0.73};
    for (int i = 0; i < 3; ++i)
        slow[1 + i] = (1 - slm::math::cosine(twoPi * fractionalPart(u + offsets[i]))) / 2;
    slow[4] = (1 - slm::math::cosine(twoPi * fractionalPart(2 * u + 0.13))) / 2;
    slow[5] = slm::math::sine(twoPi * u);
    return slow;
}

std::array<double, 5> alignmentWindows(double t)
{
    static constexpr double centre[5] = {0.17, 0.39, 0.56, 0.73, 0.9};
    static constexpr double halfWidth[5] = {0.015, 0.018, 0.016, 0.02, 0.012};
    const double v = cyclePosition(t, 557);
    std::array<double, 5> align{};
    for (int i = 0; i < 5; ++i) {
        double d = std::abs(v - centre[i]);
        d = std::min(d, 1 - d);
        const double x = std::max(0.0, 1 - d / halfWidth[i]);
        align[i] = x * x * (3 - 2 * x);
    }
    return align;
}

ClockFrame computeClockFrame(const ClockCalendarTime& time, QSizeF size)
{
    ClockFrame f;
    f.t = time.t;
    f.hour12 = time.hour % 12;
    f.minute = time.minute;
    f.secF = time.second + static_cast<double>(time.nanosecond) / 1e9;
    f.minuteF = f.minute + f.secF / 60;

    const double P = minutePulse(f.secF);
    f.accent = clockAccentAt(f.minute, f.secF);
    f.slow = slowCycle(f.t);
    f.align = alignmentWindows(f.t);
    f.A = std::min(*std::max_element(f.align.begin(), f.align.end()), 1.0);
    f.charge = chargeLevel(f.minute, f.secF);

    const double w = std::max(size.width(), 0.0);
    const double h = std::max(size.height(), 0.0);
    f.width = w;
    f.height = h;
    const double m = std::min(w, h);
    const double ex = w / std::max(h, 1.0) - 1;
    f.cx = ex > 0 ? w * (0.5 - 0.055 * std::min(ex, 1.0)) : w * 0.5;
    f.cy = h * 0.505;
    const double exC = std::clamp(ex, 0.0, 0.9);
    f.R = m * (0.364 + 0.036 * exC) * (0.972 + 0.034 * f.slow[0] + 0.012 * f.A);
    const double K = accentScale(f.accent);
    f.S = P * K * (0.988 + 0.016 * f.slow[0] + 0.004 * f.A);
    return f;
}

ClockCalendarTime clockCalendarTime(const QDateTime& localDate)
{
    const QTime clock = localDate.time();
    ClockCalendarTime time;
    time.t = static_cast<double>(localDate.toMSecsSinceEpoch() - clockReferenceEpochMs) / 1000.0;
    time.hour = clock.isValid() ? clock.hour() : 0;
    time.minute = clock.isValid() ? clock.minute() : 0;
    time.second = clock.isValid() ? clock.second() : 0;
    time.nanosecond = clock.isValid() ? static_cast<qint64>(clock.msec()) * 1000000 : 0;
    return time;
}

ClockFrame computeClockFrame(qint64 epochMs, QSizeF size)
{
    return computeClockFrame(clockCalendarTime(QDateTime::fromMSecsSinceEpoch(epochMs, Qt::LocalTime)), size);
}

ClockFrame computeClockFrame(qint64 epochMs, QSizeF size, const QTimeZone& zone)
{
    return computeClockFrame(clockCalendarTime(QDateTime::fromMSecsSinceEpoch(epochMs, zone)), size);
}

ClockFrame computeClockFrame(const QDateTime& date, QSizeF size)
{
    return computeClockFrame(date.toMSecsSinceEpoch(), size);
}

ClockFrame computeClockFrame(const QDateTime& date, QSizeF size, const QTimeZone& zone)
{
    return computeClockFrame(date.toMSecsSinceEpoch(), size, zone);
}
