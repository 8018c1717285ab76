#pragma once

#include "clock/DisplayList.h"
#include "clock/gl/ClockBatcher.h"
#include "clock/gl/ClockShaders.h"

#include <QSize>
#include <QString>
#include <cstddef>
#include <span>
#include <qopengl.h>

class QOpenGLContext;
class QOpenGLExtraFunctions;

// Draws a DisplayList with OpenGL 3 / OpenGL ES 3 into the framebuffer bound
// at the time (which needs depth and stencil, and no multisampling: the
// shaders anti-alias every edge but those of polygon fills). The CPU writes
// one record per operation and one index per segment into arrays reused
// from frame to frame and uploads the list's points as they are; unless a
// polygon fill comes between shapes, a frame is a single instanced draw call.
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
    bool isInitialized() const { return m_program.id != 0; }
    const QString& errorString() const { return m_error; }

    // Batches the list for a drawing `scale` device pixels per point, its
    // polylines thinned so far. CPU only.
    // With `strips`, solid strokes are drawn as triangle strips: cheaper on
    // a software rasteriser, close enough for a picture drawn small.
    void prepare(const DisplayList& list, double scale, PolylineThinning thinning = {}, bool strips = false);
    // Uploads the prepared frame and draws it, clearing to transparent first,
    // into the bound framebuffer of `pixelSize`. Returns without waiting for the GPU.
    void submit(QSize pixelSize);
    void render(const DisplayList& list, QSize pixelSize, double scale, PolylineThinning thinning = {},
                bool strips = false)
    {
        prepare(list, scale, thinning, strips);
        submit(pixelSize);
    }

    // Frees the GL objects now if their context is current (the destructor
    // does the same); otherwise they are left to the context's destruction.
    void release();

    const ClockBatcher& batcher() const { return m_batcher; }

    // The dialect to use for the current context, or false when it is older
    // than OpenGL 3.0 / OpenGL ES 3.0 (`version` receives its version string).
    static bool dialectForCurrentContext(ClockShaderDialect& dialect, QString& version);

private:
    struct Program {
        GLuint id = 0;
        GLint viewport = -1;
        GLint instanceBase = -1;
    };
    GLuint compile(GLenum type, const QByteArray& source);
    Program link(const QByteArray& vertexShader, const QByteArray& fragmentShader);
    void use(const Program& program, QSize pixelSize);
    // Storage that grows and is then kept: respecifying it every frame made
    // drivers allocate, and the kernel clear, fresh pages for every upload.
    void reserveTexture(GLuint texture, GLenum format, std::size_t rows, std::size_t& capacityRows);
    void uploadBuffer(GLenum target, std::span<const std::byte> bytes, std::size_t& capacity);
    void uploadTexture(GLuint texture, const void* texels, std::size_t count, std::size_t& capacityRows);
    void uploadPoints();

    ClockBatcher m_batcher;
    QOpenGLContext* m_context = nullptr;
    QOpenGLExtraFunctions* m_gl = nullptr;
    Program m_program;             // every shape and paint
    Program m_solidStrokeProgram;  // solid strokes only
    Program m_stripProgram;        // solid strokes as strips
    GLuint m_stripVao = 0;
    GLuint m_stripBuffer = 0;
    std::size_t m_stripBytes = 0;
    GLuint m_shapeVao = 0;
    GLuint m_polygonVao = 0;
    GLuint m_instanceBuffer = 0;
    GLuint m_polygonBuffer = 0;
    GLuint m_indexBuffer = 0;
    GLuint m_recordTexture = 0;
    GLuint m_stopTexture = 0;
    GLuint m_pointTexture = 0;
    std::size_t m_recordRows = 0, m_stopRows = 0, m_pointRows = 0;
    std::size_t m_instanceBytes = 0, m_polygonBytes = 0, m_indexBytes = 0;
    QString m_error;
};
