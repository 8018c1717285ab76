#include "clock/gl/ClockGLNode.h"

#include "clock/gl/ClockQuality.h"

#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QQuickWindow>
#include <QSGTexture>
#include <QtQuick/qsgtexture_platform.h>

#include <cmath>

ClockGLNode::ClockGLNode(QQuickWindow* window, std::shared_ptr<std::atomic<quint64>> framesDrawn)
    : m_window(window)
    , m_framesDrawn(std::move(framesDrawn))
{
    // The framebuffer's first row is the picture's bottom.
    setTextureCoordinatesTransform(QSGSimpleTextureNode::MirrorVertically);
    setFiltering(QSGTexture::Linear);
}

ClockGLNode::~ClockGLNode()
{
    QObject::disconnect(m_beforeRendering);
    m_texture.reset();
    m_renderer.release();
    m_target.release();
}

bool ClockGLNode::initialize()
{
    if (!m_renderer.initialize())
        return false;
    QOpenGLContext* context = QOpenGLContext::currentContext();
    m_softwareRasteriser = ::isSoftwareRasteriser(
        reinterpret_cast<const char*>(context->functions()->glGetString(GL_RENDERER)));
    // No receiver object: the call runs directly on the render thread that
    // emits it, while this node exists (the destructor disconnects).
    m_beforeRendering = QObject::connect(m_window, &QQuickWindow::beforeRendering, [this] { draw(); });
    return true;
}

bool ClockGLNode::setFrame(const ClockFrameSource& source, const QDateTime& date, QSizeF size, double devicePixelRatio,
                           double renderScale, PolylineThinning thinning, bool strokeStrips)
{
    const double scale = devicePixelRatio * renderScale;
    const QSize pixels = GLClockTarget::pixelSizeFor(size, scale);
    if (pixels != m_target.size() || !m_texture) {
        if (!m_target.ensure(pixels))
            return false;
        // Shown as opaque: the clock fills its window, whose colour is black,
        // so copying its premultiplied pixels looks the same as blending
        // them, and a software rasteriser copies a window's worth of pixels
        // much faster than it blends them.
        auto texture = std::unique_ptr<QSGTexture>(
            QNativeInterface::QSGOpenGLTexture::fromNative(m_target.texture(), m_window, pixels));
        setTexture(texture.get());
        m_texture = std::move(texture);
    }
    setRect(0, 0, size.width(), size.height());
    m_source = source;
    m_date = date;
    m_size = size;
    m_scale = scale;
    m_thinning = thinning;
    m_strokeStrips = strokeStrips;
    m_pending = true;
    markDirty(QSGNode::DirtyMaterial);
    return true;
}

void ClockGLNode::draw()
{
    if (!m_pending || !m_source)
        return;
    m_pending = false;
    // Building here rather than in the sync step keeps the GUI thread free
    // while the layers run; they depend on the date and size alone.
    m_source(m_list, m_date, m_size);
    m_window->beginExternalCommands();
    m_target.bindForDrawing();
    m_renderer.render(m_list, m_target.size(), m_scale, m_thinning, m_strokeStrips);
    m_target.resolve();
    m_window->endExternalCommands();
    m_framesDrawn->fetch_add(1, std::memory_order_relaxed);
}
