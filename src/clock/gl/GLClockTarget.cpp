#include "clock/gl/GLClockTarget.h"

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
    m_framebuffer.reset();
    m_size = {};
}

bool GLClockTarget::ensure(QSize pixelSize)
{
    if (pixelSize == m_size && m_framebuffer)
        return true;
    release();
    if (pixelSize.isEmpty())
        return false;

    QOpenGLFramebufferObjectFormat format;
    format.setInternalTextureFormat(GL_RGBA8);
    format.setAttachment(QOpenGLFramebufferObject::CombinedDepthStencil);
    m_framebuffer = std::make_unique<QOpenGLFramebufferObject>(pixelSize, format);
    // When the driver cannot allocate the depth and stencil buffer, Qt quietly
    // makes the framebuffer without it; the clock cannot be drawn into that.
    if (!m_framebuffer->isValid() || m_framebuffer->attachment() != QOpenGLFramebufferObject::CombinedDepthStencil) {
        release();
        return false;
    }
    m_size = pixelSize;
    return true;
}

void GLClockTarget::bindForDrawing()
{
    if (m_framebuffer)
        m_framebuffer->bind();
}

void GLClockTarget::resolve()
{
    QOpenGLFramebufferObject::bindDefault();
}

GLuint GLClockTarget::texture() const
{
    return m_framebuffer ? m_framebuffer->texture() : 0;
}

QImage GLClockTarget::toImage() const
{
    if (!m_framebuffer)
        return {};
    return m_framebuffer->toImage(true).convertToFormat(QImage::Format_ARGB32_Premultiplied);
}
