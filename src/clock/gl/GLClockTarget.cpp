#include "clock/gl/GLClockTarget.h"

#include <QOpenGLContext>
#include <QOpenGLExtraFunctions>
#include <QOpenGLFramebufferObject>

#include <algorithm>
#include <cmath>

GLClockTarget::GLClockTarget() = default;

QSize GLClockTarget::pixelSizeFor(QSizeF size, double scale)
{
    // The epsilon keeps 100.0000001 from costing a whole row.
    return {static_cast<int>(std::ceil(size.width() * scale - 1e-6)),
            static_cast<int>(std::ceil(size.height() * scale - 1e-6))};
}
GLClockTarget::~GLClockTarget() = default;

void GLClockTarget::release()
{
    m_multisampled.reset();
    m_resolved.reset();
    m_size = {};
    m_samples = 0;
}

bool GLClockTarget::ensure(QSize pixelSize)
{
    if (pixelSize == m_size && m_resolved)
        return true;
    release();
    if (pixelSize.isEmpty())
        return false;

    GLint maxSamples = 0;
    QOpenGLContext::currentContext()->functions()->glGetIntegerv(GL_MAX_SAMPLES, &maxSamples);
    const int samples = std::min<int>(preferredSamples, maxSamples);

    QOpenGLFramebufferObjectFormat plain;
    plain.setInternalTextureFormat(GL_RGBA8);
    if (samples > 1) {
        QOpenGLFramebufferObjectFormat ms;
        ms.setSamples(samples);
        ms.setAttachment(QOpenGLFramebufferObject::CombinedDepthStencil);
        ms.setInternalTextureFormat(GL_RGBA8);
        m_multisampled = std::make_unique<QOpenGLFramebufferObject>(pixelSize, ms);
        plain.setAttachment(QOpenGLFramebufferObject::NoAttachment);
    } else {
        plain.setAttachment(QOpenGLFramebufferObject::CombinedDepthStencil);
    }
    m_resolved = std::make_unique<QOpenGLFramebufferObject>(pixelSize, plain);
    // When the driver cannot allocate the depth and stencil buffer, Qt quietly
    // makes the framebuffer without it; the clock cannot be drawn into that.
    QOpenGLFramebufferObject& drawn = m_multisampled ? *m_multisampled : *m_resolved;
    if (!m_resolved->isValid() || !drawn.isValid()
        || drawn.attachment() != QOpenGLFramebufferObject::CombinedDepthStencil) {
        release();
        return false;
    }
    m_samples = m_multisampled ? m_multisampled->format().samples() : 0;
    m_size = pixelSize;
    return true;
}

void GLClockTarget::bindForDrawing()
{
    if (m_multisampled)
        m_multisampled->bind();
    else if (m_resolved)
        m_resolved->bind();
}

void GLClockTarget::resolve()
{
    if (m_multisampled && m_resolved)
        QOpenGLFramebufferObject::blitFramebuffer(m_resolved.get(), m_multisampled.get(), GL_COLOR_BUFFER_BIT,
                                                  GL_NEAREST);
    QOpenGLFramebufferObject::bindDefault();
}

GLuint GLClockTarget::texture() const
{
    return m_resolved ? m_resolved->texture() : 0;
}

QImage GLClockTarget::toImage() const
{
    if (!m_resolved)
        return {};
    return m_resolved->toImage(true).convertToFormat(QImage::Format_ARGB32_Premultiplied);
}
