#include "GLSnapshot.h"

// The OpenGL renderer's offscreen entry point plugs in here.
QImage renderSnapshotWithGL(const DisplayList&, QSizeF, double, QString& error)
{
    error = QStringLiteral("the OpenGL renderer is not available in this build; use --renderer painter");
    return {};
}
