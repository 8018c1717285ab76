#pragma once

#include "clock/ClockFrame.h"

#include <cmath>

// A frame put together by hand: a quiet moment (no accent, charge or
// alignment) at second `secF` of minute number `minuteIndex` since 2001.
inline ClockFrame handFrame(double minuteIndex, double secF, double width = 1000, double height = 800)
{
    ClockFrame f;
    f.t = minuteIndex * 60 + secF;
    f.secF = secF;
    f.minute = static_cast<int>(std::fmod(minuteIndex, 60.0));
    f.minuteF = f.minute + secF / 60;
    f.width = width;
    f.height = height;
    f.cx = width / 2;
    f.cy = height * 0.505;
    f.R = std::min(width, height) * 0.364;
    f.S = 1;
    return f;
}

// Minutes since 2001 around the time of writing: large enough that t is near 8e8.
inline constexpr double someMinute = 13'166'667;
