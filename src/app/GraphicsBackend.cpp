#include "app/GraphicsBackend.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QQuickWindow>
#include <QSGRendererInterface>

bool hasDisplayEnvironment()
{
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        if (!qEnvironmentVariableIsEmpty(name))
            return true;
    return false;
}

namespace {

bool canMakeOpenGLContext()
{
    QOpenGLContext context;
    if (!context.create())
        return false;
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    const bool current = surface.isValid() && context.makeCurrent(&surface);
    if (current)
        context.doneCurrent();
    return current;
}

} // namespace

GraphicsBackend selectGraphicsBackend()
{
    const QString requested = qEnvironmentVariable("QT_QUICK_BACKEND");
    if (requested == QLatin1String("software"))
        return GraphicsBackend::software;
    if (canMakeOpenGLContext()) {
        QQuickWindow::setGraphicsApi(QSGRendererInterface::OpenGL);
        return GraphicsBackend::openGL;
    }
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    return GraphicsBackend::software;
}
