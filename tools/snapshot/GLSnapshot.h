#pragma once

#include "clock/DisplayList.h"

#include <QImage>
#include <QSize>
#include <QSizeF>
#include <QString>

// Whether a window system is reachable for an OpenGL context; if not, `error` says so.
// Checked before the QGuiApplication exists, which would otherwise abort the process.
bool glPlatformAvailable(QString& error);

// Renders the list with the OpenGL renderer offscreen into an image of
// `pixelSize`. A null image and a one-line reason when there is no usable OpenGL.
QImage renderSnapshotWithGL(const DisplayList& list, QSize pixelSize, double devicePixelRatio, QString& error);
