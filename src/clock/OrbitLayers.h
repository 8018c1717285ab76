#pragma once

#include "clock/ClockFrame.h"
#include "clock/DisplayList.h"

// The three orbits of the orbit table with their markers and six bodies.
void drawOrbitTable(DisplayList& dl, const ClockFrame& f);

// The three faint outer orbits, one body each.
void drawLocalOrbits(DisplayList& dl, const ClockFrame& f);
