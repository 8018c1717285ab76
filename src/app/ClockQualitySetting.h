#pragma once

#include "clock/gl/ClockQuality.h"

// The clock quality asked for on this machine: STARLUME_CLOCK_QUALITY if set,
// else the per-user setting "SLM.ClockQuality" (full, reduced or auto), else
// automatic. A value that cannot be read is reported once on stderr.
ClockQualityMode requestedClockQuality();

inline constexpr const char* clockQualitySettingKey = "SLM.ClockQuality";
