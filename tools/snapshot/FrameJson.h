#pragma once

#include "clock/ClockFrame.h"
#include "clock/Point2d.h"

#include <QJsonObject>

// The frame's values as the snapshot's --frame file holds them.
QJsonObject clockFrameJson(const ClockFrame& frame, Point2d travellerHead);
