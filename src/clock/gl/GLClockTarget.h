#pragma once

#include <QImage>
#include <QSize>
#include <QSizeF>
#include <qopengl.h>

#include <memory>

class QOpenGLFramebufferObject;

// Where GLClockRenderer draws: a multisampled framebuffer with depth and
// stencil, resolved into a plain texture that can be shown or read back.
// Without multisampling support it draws into the texture's framebuffer directly.
// Use with the context that created it current.
class GLClockTarget {
public:
    static constexpr int preferredSamples = 4;

    GLClockTarget();
    ~GLClockTarget();
    GLClockTarget(const GLClockTarget&) = delete;
    GLClockTarget& operator=(const GLClockTarget&) = delete;

    // The pixels that hold `size` points at `scale` pixels per point.
    static QSize pixelSizeFor(QSizeF size, double scale);

    // (Re)creates the framebuffers when the size changes; false if they are incomplete.
    bool ensure(QSize pixelSize);
    QSize size() const { return m_size; }
    int samples() const { return m_samples; }

    void bindForDrawing();
    // Resolves the samples into texture() and rebinds the context's default framebuffer.
    void resolve();
    GLuint texture() const;
    // Premultiplied, upright, at the target's pixel size.
    QImage toImage() const;

    void release();

private:
    std::unique_ptr<QOpenGLFramebufferObject> m_multisampled;
    std::unique_ptr<QOpenGLFramebufferObject> m_resolved;
    QSize m_size;
    int m_samples = 0;
};
