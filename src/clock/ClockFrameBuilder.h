#pragma once

#include "clock/ClockFrame.h"
#include "clock/DisplayList.h"

// One whole frame of the chaos clock, in drawing order, replacing what `list`
// held. Reuse one list across frames: after the first, building allocates nothing.
void buildClockFrame(DisplayList& list, const ClockFrame& frame);
