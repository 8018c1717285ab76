#include "OffscreenQuickScene.h"

#include <QOpenGLFunctions>
#include <QQuickGraphicsDevice>
#include <QQuickRenderTarget>

OffscreenQuickScene::OffscreenQuickScene(QSize size)
    : m_context(std::make_unique<QOpenGLContext>())
    , m_window(std::make_unique<QQuickWindow>(&m_control))
{
    QSurfaceFormat format;
    format.setSamples(0);
    m_context->setFormat(format);
    m_surface.setFormat(format);
    m_surface.create();
    if (!m_context->create() || !m_context->makeCurrent(&m_surface)) {
        m_error = "no OpenGL context";
        return;
    }
    QOpenGLFunctions* gl = m_context->functions();
    gl->glGenTextures(1, &m_texture);
    gl->glBindTexture(GL_TEXTURE_2D, m_texture);
    gl->glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, size.width(), size.height(), 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);

    m_window->setGraphicsDevice(QQuickGraphicsDevice::fromOpenGLContext(m_context.get()));
    if (!m_control.initialize()) {
        m_error = "render control did not initialise";
        return;
    }
    m_window->setRenderTarget(QQuickRenderTarget::fromOpenGLTexture(m_texture, size));
    m_window->resize(size);
}

OffscreenQuickScene::~OffscreenQuickScene()
{
    if (m_texture != 0 && m_context->makeCurrent(&m_surface))
        m_context->functions()->glDeleteTextures(1, &m_texture);
}

void OffscreenQuickScene::render()
{
    m_control.beginFrame();
    m_control.sync();
    m_control.render();
    m_control.endFrame();
    m_context->functions()->glFinish();
}
