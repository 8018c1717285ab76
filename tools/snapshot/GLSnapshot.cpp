#include "GLSnapshot.h"

#include "clock/gl/GLOffscreenClockRenderer.h"

#include <QtGlobal>

bool glPlatformAvailable(QString& error)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        error = QStringLiteral("--renderer gl needs a display (DISPLAY or WAYLAND_DISPLAY), or QT_QPA_PLATFORM set");
        return false;
    }
    return true;
}

QImage renderSnapshotWithGL(const DisplayList& list, QSize pixelSize, double devicePixelRatio, QString& error)
{
    QImage image = renderClockImageGL(list, pixelSize, devicePixelRatio, &error);
    if (image.isNull() && error.isEmpty())
        error = QStringLiteral("the OpenGL renderer produced no image");
    error.replace(u'\n', u' ');
    return image;
}
