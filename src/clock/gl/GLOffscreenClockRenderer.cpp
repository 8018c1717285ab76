#include "clock/gl/GLOffscreenClockRenderer.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>

namespace {

bool tryContext(QOpenGLContext& context, QOffscreenSurface& surface, const QSurfaceFormat& format)
{
    context.setFormat(format);
    if (!context.create())
        return false;
    surface.setFormat(context.format());
    surface.create();
    return surface.isValid() && context.makeCurrent(&surface);
}

} // namespace

GLOffscreenClockRenderer::GLOffscreenClockRenderer()
{
    if (!QGuiApplication::instance()) {
        m_error = QStringLiteral("OpenGL clock rendering needs a QGuiApplication");
        return;
    }
    m_context = std::make_unique<QOpenGLContext>();
    m_surface = std::make_unique<QOffscreenSurface>();
    if (!tryContext(*m_context, *m_surface, QSurfaceFormat::defaultFormat())) {
        m_error = QStringLiteral("no OpenGL context could be created on the \"%1\" platform")
                      .arg(QGuiApplication::platformName());
        return;
    }
    m_renderer = std::make_unique<GLClockRenderer>();
    if (!m_renderer->initialize()) {
        // Some drivers give only an old compatibility context by default but
        // a modern one when asked for a core profile.
        QSurfaceFormat core = QSurfaceFormat::defaultFormat();
        core.setRenderableType(QSurfaceFormat::OpenGL);
        core.setVersion(3, 3);
        core.setProfile(QSurfaceFormat::CoreProfile);
        auto context = std::make_unique<QOpenGLContext>();
        auto surface = std::make_unique<QOffscreenSurface>();
        auto renderer = std::make_unique<GLClockRenderer>();
        if (!tryContext(*context, *surface, core) || !renderer->initialize()) {
            m_error = m_renderer->errorString();
            return;
        }
        m_context = std::move(context);
        m_surface = std::move(surface);
        m_renderer = std::move(renderer);
    }
    m_target = std::make_unique<GLClockTarget>();
    m_valid = true;
}

GLOffscreenClockRenderer::~GLOffscreenClockRenderer()
{
    if (m_context && m_surface && m_context->makeCurrent(m_surface.get())) {
        m_target.reset();
        m_renderer.reset();
        m_context->doneCurrent();
    }
}

bool GLOffscreenClockRenderer::makeCurrent()
{
    return m_valid && m_context->makeCurrent(m_surface.get());
}

void GLOffscreenClockRenderer::finish()
{
    m_context->functions()->glFinish();
}

QImage GLOffscreenClockRenderer::render(const DisplayList& list, QSize pixelSize, double devicePixelRatio,
                                        PolylineThinning thinning, bool strokeStrips)
{
    if (!m_valid)
        return {};
    if (pixelSize.isEmpty()) {
        m_error = QStringLiteral("cannot render an empty image");
        return {};
    }
    if (!makeCurrent()) {
        m_error = QStringLiteral("the offscreen OpenGL context could not be made current");
        return {};
    }
    if (!m_target->ensure(pixelSize)) {
        m_error = QStringLiteral("no %1x%2 framebuffer could be created").arg(pixelSize.width()).arg(pixelSize.height());
        return {};
    }
    QOpenGLFunctions* gl = m_context->functions();
    while (gl->glGetError() != GL_NO_ERROR) {
    }
    m_target->bindForDrawing();
    m_renderer->render(list, pixelSize, devicePixelRatio, thinning, strokeStrips);
    m_target->resolve();
    QImage image = m_target->toImage();
    // A driver short of memory may leave the picture undrawn without
    // failing anything else: better no image than a blank one.
    if (const GLenum glError = gl->glGetError(); glError != GL_NO_ERROR) {
        m_error = QStringLiteral("OpenGL error 0x%1 while drawing %2x%3 pixels")
                      .arg(glError, 0, 16)
                      .arg(pixelSize.width())
                      .arg(pixelSize.height());
        return {};
    }
    image.setDevicePixelRatio(devicePixelRatio);
    return image;
}

QImage renderClockImageGL(const DisplayList& list, QSize pixelSize, double devicePixelRatio, QString* error)
{
    GLOffscreenClockRenderer renderer;
    QImage image = renderer.render(list, pixelSize, devicePixelRatio);
    if (image.isNull() && error)
        *error = renderer.errorString();
    return image;
}
