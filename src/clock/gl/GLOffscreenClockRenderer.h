#pragma once

#include "clock/DisplayList.h"
#include "clock/gl/GLClockRenderer.h"
#include "clock/gl/GLClockTarget.h"

#include <QImage>
#include <QString>

#include <memory>

class QOffscreenSurface;
class QOpenGLContext;

// Renders display lists into images with the OpenGL renderer, without a
// window: its own context on an offscreen surface. Create and use it on the
// GUI thread (a QGuiApplication must exist).
class GLOffscreenClockRenderer {
public:
    GLOffscreenClockRenderer();
    ~GLOffscreenClockRenderer();
    GLOffscreenClockRenderer(const GLOffscreenClockRenderer&) = delete;
    GLOffscreenClockRenderer& operator=(const GLOffscreenClockRenderer&) = delete;

    // False when no usable OpenGL context could be made; errorString says why.
    bool isValid() const { return m_valid; }
    const QString& errorString() const { return m_error; }

    // The list drawn at `devicePixelRatio` pixels per point into an image of
    // `pixelSize` (premultiplied ARGB, its devicePixelRatio set), polylines
    // thinned so far, solid strokes as strips if asked. A null image on
    // failure, with errorString set.
    QImage render(const DisplayList& list, QSize pixelSize, double devicePixelRatio, PolylineThinning thinning = {},
                  bool strokeStrips = false);

    // The steps of render() apart, for measuring: makeCurrent, then
    // target().ensure / bindForDrawing, renderer().render, target().resolve.
    bool makeCurrent();
    void finish();
    GLClockRenderer& renderer() { return *m_renderer; }
    GLClockTarget& target() { return *m_target; }

private:
    std::unique_ptr<QOpenGLContext> m_context;
    std::unique_ptr<QOffscreenSurface> m_surface;
    std::unique_ptr<GLClockRenderer> m_renderer;
    std::unique_ptr<GLClockTarget> m_target;
    bool m_valid = false;
    QString m_error;
};

// One image, with a context made for the occasion. `error` (optional)
// receives the reason when the result is null.
QImage renderClockImageGL(const DisplayList& list, QSize pixelSize, double devicePixelRatio, QString* error = nullptr);
