#pragma once

#include "clock/ClockFrame.h"
#include "clock/DisplayList.h"

#include <QPointF>

// The hour body (whole hours only) and the minute body, clockwise from the top.
void drawTimeBodies(DisplayList& dl, const ClockFrame& f);

struct TimeBody {
    QPointF position;
    double radius; // the sphere's radius
    double depth;
};
TimeBody hourBody(const ClockFrame& f);
TimeBody minuteBody(const ClockFrame& f);
