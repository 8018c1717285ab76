#pragma once

#include "clock/ClockFrame.h"
#include "clock/DisplayList.h"

// Nebulae, the alignment flare and halo ring, and the stars; drawn unzoomed behind the clock.
void drawBackdrop(DisplayList& dl, const ClockFrame& f);

// Where star i of the backdrop sits in a w x h drawing area, and its radius.
struct BackdropStar {
    double x, y, radius;
};
inline constexpr int backdropStarCount = 48;
BackdropStar backdropStar(int i, double w, double h);
