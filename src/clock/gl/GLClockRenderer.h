#pragma once

#include "clock/DisplayList.h"
#include "clock/gl/ClockShaders.h"
#include "clock/gl/ClockTessellator.h"

#include <QSize>
#include <QString>
#include <qopengl.h>

class QOpenGLContext;
class QOpenGLExtraFunctions;

// Draws a DisplayList with OpenGL 3 / OpenGL ES 3 into the framebuffer bound
// at the time (which needs depth and stencil; multisampled for smooth edges).
// Tessellation runs on the CPU into buffers that are reused from frame to
// frame; a frame is one upload of each buffer and, unless a non-convex fill
// needs the stencil, a single draw call.
//
// Create, use and destroy it with the same context current.
class GLClockRenderer {
public:
    GLClockRenderer() = default;
    ~GLClockRenderer();
    GLClockRenderer(const GLClockRenderer&) = delete;
    GLClockRenderer& operator=(const GLClockRenderer&) = delete;

    // Compiles the shaders and creates the buffers in the current context.
    // False (see errorString) when the context is too old or compiling fails.
    bool initialize();
    bool isInitialized() const { return m_program != 0; }
    const QString& errorString() const { return m_error; }

    // Tessellates the list for a drawing `scale` device pixels per point. CPU only.
    void prepare(const DisplayList& list, double scale);
    // Uploads the prepared frame and draws it, clearing to transparent first,
    // into the bound framebuffer of `pixelSize`. Returns without waiting for the GPU.
    void submit(QSize pixelSize);
    void render(const DisplayList& list, QSize pixelSize, double scale)
    {
        prepare(list, scale);
        submit(pixelSize);
    }

    // Frees the GL objects now if their context is current (the destructor
    // does the same); otherwise they are left to the context's destruction.
    void release();

    const ClockTessellator& tessellator() const { return m_tessellator; }

    // The dialect to use for the current context, or false when it is older
    // than OpenGL 3.0 / OpenGL ES 3.0 (`version` receives its version string).
    static bool dialectForCurrentContext(ClockShaderDialect& dialect, QString& version);

private:
    GLuint compile(GLenum type, const QByteArray& source);
    void uploadTexture(GLuint texture, const void* texels, std::size_t count);

    ClockTessellator m_tessellator;
    QOpenGLContext* m_context = nullptr;
    QOpenGLExtraFunctions* m_gl = nullptr;
    GLuint m_program = 0;
    GLuint m_vao = 0;
    GLuint m_vertexBuffer = 0;
    GLuint m_indexBuffer = 0;
    GLuint m_paintTexture = 0;
    GLuint m_stopTexture = 0;
    GLint m_viewportUniform = -1;
    QString m_error;
};
