#pragma once

#include "clock/ClockFrame.h"
#include "clock/DisplayList.h"
#include "clock/Palette.h"

// A shaded sphere: glow, lit body, white rim. Used for orbit bodies and the time bodies.
void drawSphere(DisplayList& dl, double x, double y, double r, Rgba color);

// An orbiting body: halo, sheen, sphere, highlight, ring, moon and glint.
// b is its brightness (0...1), d its depth (0 far, 1 near); the frame gives t and align[4].
void drawBody(DisplayList& dl, const ClockFrame& f, double x, double y, double r, double b, double d, Rgba color);
