#pragma once

#include "clock/ClockFrame.h"
#include "clock/DisplayList.h"

// The levels that drive the central core.
struct CoreLevels {
    double Q; // core charge
    double G; // core glow
    double U; // core unit, points
    double B; // breath
};
CoreLevels coreLevels(const ClockFrame& f);

// The glowing heart at the clock centre, drawn last in the zoomed layer.
void drawCentralCore(DisplayList& dl, const ClockFrame& f);
