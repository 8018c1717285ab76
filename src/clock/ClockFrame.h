#pragma once

#include <array>

// The kinds of clock accent, in the order the layers test them.
enum class ClockAccentKind { minute, halfMinute, hour, none };

struct ClockAccent {
    ClockAccentKind kind = ClockAccentKind::none;
    double level = 0; // 0...1; 0 for none

    bool active() const { return kind != ClockAccentKind::none; }
};

// Everything one frame of the chaos clock derives from its date and size.
// Units: points for lengths, seconds since 2001-01-01 00:00:00 UTC for t.
struct ClockFrame {
    double t = 0;
    int hour12 = 0;
    int minute = 0;
    double secF = 0;
    double minuteF = 0;
    double width = 0, height = 0;
    double cx = 0, cy = 0;
    double R = 0;
    double S = 1;
    ClockAccent accent;
    std::array<double, 6> slow{};
    std::array<double, 5> align{};
    double A = 0;
    double charge = 0;
};
