#pragma once

#include "clock/DisplayList.h"

#include <QImage>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QSizeF>

class QPainter;

// The reference renderer: replays a display list onto a QPainter. Slow at full-screen
// sizes, but exact; used for snapshots, tests and where OpenGL is missing.
class QPainterClockRenderer {
public:
    QPainterClockRenderer();

    // Draws in points through the painter's current transform (which carries the
    // device pixel ratio of the paint device). Leaves the painter's state as it found it.
    void render(QPainter& painter, const DisplayList& list);

    // A transparent image of sizeInPoints·devicePixelRatio pixels (rounded) with
    // the list drawn on it; the image carries the device pixel ratio.
    QImage renderImage(const DisplayList& list, QSizeF sizeInPoints, double devicePixelRatio = 1.0);

private:
    void buildPath(const DisplayList& list, const PathRef& ref, bool forFill);

    QPainterPath m_path; // reused: clear() keeps its storage
    QPainterPathStroker m_stroker;
};
