#pragma once

#include "clock/DisplayList.h"

#include <QDateTime>
#include <QSizeF>

#include <functional>

// Builds the display list of one frame for a moment and a drawing size in
// points, replacing what the list held. Called on the scene graph's render
// thread, so it must depend on its arguments alone.
using ClockFrameSource = std::function<void(DisplayList&, const QDateTime&, QSizeF)>;
