#pragma once

#include "clock/DisplayList.h"

#include <QImage>
#include <QSizeF>
#include <QString>

// Renders the list with the OpenGL renderer offscreen. A null image and a
// one-line reason when it cannot (no OpenGL context, or no GL renderer in this build).
QImage renderSnapshotWithGL(const DisplayList& list, QSizeF sizeInPoints, double devicePixelRatio, QString& error);
