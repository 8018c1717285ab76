#pragma once

#include "clock/ClockFrame.h"
#include "clock/DisplayList.h"

// The clock face without numerals: rings, two dotted tracks, the vertical axis
// and the four cardinal markers (blue at the top).
void drawDial(DisplayList& dl, const ClockFrame& f);
