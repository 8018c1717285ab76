#pragma once

#include "clock/ClockFrame.h"
#include "clock/DisplayList.h"

// Field lines around the centre, the warm core glow and twenty fixed specks of dust.
void drawFieldAndDust(DisplayList& dl, const ClockFrame& f);
