#pragma once

#include "clock/ClockFrame.h"

#include <QDateTime>
#include <QSizeF>
#include <QTimeZone>
#include <QtGlobal>

// The wall-clock reading a frame starts from: the local calendar's fields and
// the continuous clock.
struct ClockCalendarTime {
    double t = 0; // seconds since 2001-01-01 00:00:00 UTC
    int hour = 0;
    int minute = 0;
    int second = 0;
    qint64 nanosecond = 0;
};

// Unix epoch milliseconds of 2001-01-01 00:00:00 UTC.
inline constexpr qint64 clockReferenceEpochMs = 978307200000;

// The frame of one moment in the local calendar of `zone`, or of the system's
// local time when no zone is given (read afresh each call, so a change of the
// system zone shows at the next frame).
ClockFrame computeClockFrame(qint64 epochMs, QSizeF size);
ClockFrame computeClockFrame(qint64 epochMs, QSizeF size, const QTimeZone& zone);
ClockFrame computeClockFrame(const QDateTime& date, QSizeF size);
ClockFrame computeClockFrame(const QDateTime& date, QSizeF size, const QTimeZone& zone);

// The frame from calendar fields already read; everything else derives from these.
ClockFrame computeClockFrame(const ClockCalendarTime& time, QSizeF size);

ClockCalendarTime clockCalendarTime(const QDateTime& localDate);

// The steps of the computation, for the layers and tests that need one of them.
double minutePulse(double secF);
ClockAccent clockAccentAt(int minute, double secF);
double accentScale(const ClockAccent& accent);
double chargeLevel(int minute, double secF);
std::array<double, 6> slowCycle(double t);
std::array<double, 5> alignmentWindows(double t);
