#pragma once

#include <QImage>
#include <QSize>
#include <QSizeF>
#include <qopengl.h>

#include <memory>

class QOpenGLFramebufferObject;

// Where GLClockRenderer draws: a framebuffer with depth and stencil around a
// plain texture that can be shown or read back. The renderer anti-aliases in
// its shaders, so there are no samples to resolve.
// Use with the context that created it current.
class GLClockTarget {
public:
    GLClockTarget();
    ~GLClockTarget();
    GLClockTarget(const GLClockTarget&) = delete;
    GLClockTarget& operator=(const GLClockTarget&) = delete;

    // The pixels that hold `size` points at `scale` pixels per point.
    static QSize pixelSizeFor(QSizeF size, double scale);

    // (Re)creates the framebuffer when the size changes; false if it is incomplete.
    bool ensure(QSize pixelSize);
    QSize size() const { return m_size; }

    void bindForDrawing();
    // Rebinds the context's default framebuffer; texture() then holds the picture.
    void resolve();
    GLuint texture() const;
    // Premultiplied, upright, at the target's pixel size.
    QImage toImage() const;

    void release();

private:
    std::unique_ptr<QOpenGLFramebufferObject> m_framebuffer;
    QSize m_size;
};
