#include "clock/gl/GLClockRenderer.h"

#include <QOpenGLContext>
#include <QOpenGLExtraFunctions>
#include <QRegularExpression>

namespace {

constexpr GLuint positionAttribute = 0;
constexpr GLuint opAttribute = 1;
constexpr GLuint lengthAttribute = 2;

} // namespace

GLClockRenderer::~GLClockRenderer()
{
    release();
}

bool GLClockRenderer::dialectForCurrentContext(ClockShaderDialect& dialect, QString& version)
{
    QOpenGLContext* context = QOpenGLContext::currentContext();
    if (!context) {
        version = QStringLiteral("no current context");
        return false;
    }
    // The context's format may report what was asked for rather than what
    // the driver gave (the offscreen platform does), so read the driver.
    const auto* text = reinterpret_cast<const char*>(context->functions()->glGetString(GL_VERSION));
    version = QString::fromLatin1(text ? text : "unknown");
    static const QRegularExpression number(QStringLiteral("(\\d+)\\.(\\d+)"));
    const QRegularExpressionMatch m = number.match(version);
    if (!m.hasMatch())
        return false;
    const int major = m.captured(1).toInt();
    const int minor = m.captured(2).toInt();
    if (context->isOpenGLES()) {
        dialect = ClockShaderDialect::Essl300;
        return major >= 3;
    }
    if (major < 3)
        return false;
    dialect = major > 3 || minor >= 3 ? ClockShaderDialect::Glsl330 : ClockShaderDialect::Glsl130;
    return true;
}

GLuint GLClockRenderer::compile(GLenum type, const QByteArray& source)
{
    const GLuint shader = m_gl->glCreateShader(type);
    const char* text = source.constData();
    m_gl->glShaderSource(shader, 1, &text, nullptr);
    m_gl->glCompileShader(shader);
    GLint ok = 0;
    m_gl->glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[2048] = {};
        m_gl->glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        m_error = QStringLiteral("clock shader does not compile: %1").arg(QString::fromLatin1(log).trimmed());
        m_gl->glDeleteShader(shader);
        return 0;
    }
    return shader;
}

GLClockRenderer::Program GLClockRenderer::link(const QByteArray& vertexShader, const QByteArray& fragmentShader)
{
    const GLuint vs = compile(GL_VERTEX_SHADER, vertexShader);
    const GLuint fs = vs ? compile(GL_FRAGMENT_SHADER, fragmentShader) : 0;
    if (!vs || !fs) {
        if (vs)
            m_gl->glDeleteShader(vs);
        return {};
    }
    const GLuint program = m_gl->glCreateProgram();
    m_gl->glAttachShader(program, vs);
    m_gl->glAttachShader(program, fs);
    m_gl->glBindAttribLocation(program, positionAttribute, "a_pos");
    m_gl->glBindAttribLocation(program, opAttribute, "a_op");
    m_gl->glBindAttribLocation(program, lengthAttribute, "a_length");
    m_gl->glLinkProgram(program);
    m_gl->glDeleteShader(vs);
    m_gl->glDeleteShader(fs);
    GLint ok = 0;
    m_gl->glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) {
        char log[2048] = {};
        m_gl->glGetProgramInfoLog(program, sizeof log, nullptr, log);
        m_error = QStringLiteral("clock shaders do not link: %1").arg(QString::fromLatin1(log).trimmed());
        m_gl->glDeleteProgram(program);
        return {};
    }
    Program p;
    p.id = program;
    p.viewport = m_gl->glGetUniformLocation(program, "u_viewport");
    p.instanceBase = m_gl->glGetUniformLocation(program, "u_instanceBase");
    m_gl->glUseProgram(program);
    m_gl->glUniform1i(m_gl->glGetUniformLocation(program, "u_ops"), 0);
    m_gl->glUniform1i(m_gl->glGetUniformLocation(program, "u_stops"), 1);
    m_gl->glUniform1i(m_gl->glGetUniformLocation(program, "u_points"), 2);
    m_gl->glUseProgram(0);
    return p;
}

bool GLClockRenderer::initialize()
{
    if (m_program.id)
        return true;
    m_context = QOpenGLContext::currentContext();
    ClockShaderDialect dialect{};
    QString version;
    if (!dialectForCurrentContext(dialect, version)) {
        m_error = QStringLiteral("the clock needs OpenGL 3.0 or OpenGL ES 3.0; this context offers %1").arg(version);
        m_context = nullptr;
        return false;
    }
    m_gl = m_context->extraFunctions();

    m_solidStrokeProgram = link(clockVertexShader(dialect, true), clockFragmentShader(dialect, true));
    m_stripProgram = m_solidStrokeProgram.id
        ? link(clockStripVertexShader(dialect), clockStripFragmentShader(dialect))
        : Program{};
    m_program = m_stripProgram.id ? link(clockVertexShader(dialect, false), clockFragmentShader(dialect, false)) : Program{};
    if (!m_program.id) {
        for (const Program& p : {m_solidStrokeProgram, m_stripProgram})
            if (p.id)
                m_gl->glDeleteProgram(p.id);
        m_solidStrokeProgram = m_stripProgram = {};
        return false;
    }

    GLuint buffers[4] = {};
    m_gl->glGenBuffers(4, buffers);
    m_instanceBuffer = buffers[0];
    m_polygonBuffer = buffers[1];
    m_indexBuffer = buffers[2];
    m_stripBuffer = buffers[3];
    GLuint vaos[3] = {};
    m_gl->glGenVertexArrays(3, vaos);
    m_shapeVao = vaos[0];
    m_polygonVao = vaos[1];
    m_stripVao = vaos[2];
    m_gl->glBindVertexArray(m_stripVao);
    m_gl->glBindBuffer(GL_ARRAY_BUFFER, m_stripBuffer);
    m_gl->glEnableVertexAttribArray(positionAttribute);
    m_gl->glVertexAttribPointer(positionAttribute, 4, GL_FLOAT, GL_FALSE, sizeof(GLStripVertex), nullptr);
    m_gl->glEnableVertexAttribArray(lengthAttribute);
    m_gl->glVertexAttribPointer(lengthAttribute, 1, GL_FLOAT, GL_FALSE, sizeof(GLStripVertex),
                                reinterpret_cast<const void*>(offsetof(GLStripVertex, length)));
    m_gl->glEnableVertexAttribArray(opAttribute);
    m_gl->glVertexAttribIPointer(opAttribute, 1, GL_UNSIGNED_INT, sizeof(GLStripVertex),
                                 reinterpret_cast<const void*>(offsetof(GLStripVertex, op)));
    // Shapes: one operation index per instance, pointed at for each draw
    // (GL 3.0 has no base instance).
    m_gl->glBindVertexArray(m_shapeVao);
    m_gl->glEnableVertexAttribArray(opAttribute);
    m_gl->glVertexAttribDivisor(opAttribute, 1);
    m_gl->glBindVertexArray(m_polygonVao);
    m_gl->glBindBuffer(GL_ARRAY_BUFFER, m_polygonBuffer);
    m_gl->glEnableVertexAttribArray(positionAttribute);
    m_gl->glVertexAttribPointer(positionAttribute, 2, GL_FLOAT, GL_FALSE, sizeof(GLPolygonVertex), nullptr);
    m_gl->glEnableVertexAttribArray(opAttribute);
    m_gl->glVertexAttribIPointer(opAttribute, 1, GL_UNSIGNED_INT, sizeof(GLPolygonVertex),
                                 reinterpret_cast<const void*>(offsetof(GLPolygonVertex, op)));
    m_gl->glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_indexBuffer);
    m_gl->glBindVertexArray(0);
    m_gl->glBindBuffer(GL_ARRAY_BUFFER, 0);

    GLuint textures[3] = {};
    m_gl->glGenTextures(3, textures);
    m_recordTexture = textures[0];
    m_stopTexture = textures[1];
    m_pointTexture = textures[2];
    for (GLuint t : textures) {
        m_gl->glBindTexture(GL_TEXTURE_2D, t);
        m_gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        m_gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        m_gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        m_gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    }
    m_gl->glBindTexture(GL_TEXTURE_2D, 0);
    m_error.clear();
    return true;
}

void GLClockRenderer::release()
{
    if (!m_gl)
        return;
    // Without its context current the objects cannot be deleted; they go
    // with the context.
    if (QOpenGLContext::currentContext() != m_context) {
        m_program = m_solidStrokeProgram = m_stripProgram = {};
        m_shapeVao = m_polygonVao = m_stripVao = m_instanceBuffer = m_polygonBuffer = m_indexBuffer = m_stripBuffer = 0;
        m_stripBytes = 0;
        m_recordTexture = m_stopTexture = m_pointTexture = 0;
        m_recordRows = m_stopRows = m_pointRows = m_instanceBytes = m_polygonBytes = m_indexBytes = 0;
        m_gl = nullptr;
        m_context = nullptr;
        return;
    }
    for (const Program& p : {m_program, m_solidStrokeProgram, m_stripProgram}) {
        if (p.id)
            m_gl->glDeleteProgram(p.id);
    }
    const GLuint buffers[4] = {m_instanceBuffer, m_polygonBuffer, m_indexBuffer, m_stripBuffer};
    m_gl->glDeleteBuffers(4, buffers);
    const GLuint vaos[3] = {m_shapeVao, m_polygonVao, m_stripVao};
    m_gl->glDeleteVertexArrays(3, vaos);
    const GLuint textures[3] = {m_recordTexture, m_stopTexture, m_pointTexture};
    m_gl->glDeleteTextures(3, textures);
    m_program = m_solidStrokeProgram = m_stripProgram = {};
    m_shapeVao = m_polygonVao = m_stripVao = m_instanceBuffer = m_polygonBuffer = m_indexBuffer = m_stripBuffer = 0;
    m_recordTexture = m_stopTexture = m_pointTexture = 0;
    m_recordRows = m_stopRows = m_pointRows = m_instanceBytes = m_polygonBytes = m_indexBytes = m_stripBytes = 0;
    m_gl = nullptr;
    m_context = nullptr;
}

void GLClockRenderer::use(const Program& program, QSize pixelSize)
{
    m_gl->glUseProgram(program.id);
    m_gl->glUniform2f(program.viewport, static_cast<float>(pixelSize.width()), static_cast<float>(pixelSize.height()));
}

void GLClockRenderer::prepare(const DisplayList& list, double scale, PolylineThinning thinning, bool strips)
{
    m_batcher.batch(list, scale, thinning, strips);
}

void GLClockRenderer::reserveTexture(GLuint texture, GLenum format, std::size_t rows, std::size_t& capacityRows)
{
    m_gl->glBindTexture(GL_TEXTURE_2D, texture);
    rows = std::max<std::size_t>(rows, 1);
    if (rows <= capacityRows)
        return;
    capacityRows = std::max(rows, capacityRows + capacityRows / 2);
    m_gl->glTexImage2D(GL_TEXTURE_2D, 0, format == GL_RG ? GL_RG32F : GL_RGBA32F, ClockBatcher::textureWidth,
                       static_cast<GLsizei>(capacityRows), 0, format, GL_FLOAT, nullptr);
}

void GLClockRenderer::uploadBuffer(GLenum target, std::span<const std::byte> bytes, std::size_t& capacity)
{
    if (bytes.size() > capacity) {
        capacity = std::max(bytes.size(), capacity + capacity / 2);
        m_gl->glBufferData(target, static_cast<GLsizeiptr>(capacity), nullptr, GL_DYNAMIC_DRAW);
    }
    if (!bytes.empty())
        m_gl->glBufferSubData(target, 0, static_cast<GLsizeiptr>(bytes.size()), bytes.data());
}

// Texels in rows of textureWidth.
void GLClockRenderer::uploadTexture(GLuint texture, const void* texels, std::size_t count, std::size_t& capacityRows)
{
    constexpr std::size_t width = ClockBatcher::textureWidth;
    const std::size_t fullRows = count / width;
    const std::size_t rest = count % width;
    const auto* bytes = static_cast<const float*>(texels);
    reserveTexture(texture, GL_RGBA, fullRows + (rest ? 1 : 0), capacityRows);
    if (fullRows)
        m_gl->glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, static_cast<GLsizei>(fullRows), GL_RGBA, GL_FLOAT, bytes);
    if (rest)
        m_gl->glTexSubImage2D(GL_TEXTURE_2D, 0, 0, static_cast<GLint>(fullRows), static_cast<GLsizei>(rest), 1, GL_RGBA,
                              GL_FLOAT, bytes + 4 * width * fullRows);
}

// Points in RG32F rows of textureWidth: the list's, then from curveStart()
// the flattened curves'.
void GLClockRenderer::uploadPoints()
{
    constexpr std::size_t width = ClockBatcher::textureWidth;
    const ClockBatcher& b = m_batcher;
    const std::size_t curveRows = (b.curvePoints().size() + width - 1) / width;
    reserveTexture(m_pointTexture, GL_RG, b.curveStart() / width + curveRows, m_pointRows);
    const auto rowsOf = [&](std::span<const Point2> points, std::size_t firstRow) {
        const std::size_t full = points.size() / width;
        const std::size_t rest = points.size() % width;
        if (full)
            m_gl->glTexSubImage2D(GL_TEXTURE_2D, 0, 0, static_cast<GLint>(firstRow), width, static_cast<GLsizei>(full),
                                  GL_RG, GL_FLOAT, points.data());
        if (rest)
            m_gl->glTexSubImage2D(GL_TEXTURE_2D, 0, 0, static_cast<GLint>(firstRow + full), static_cast<GLsizei>(rest), 1,
                                  GL_RG, GL_FLOAT, points.data() + full * width);
    };
    rowsOf(b.listPoints(), 0);
    rowsOf(b.curvePoints(), b.curveStart() / width);
}

void GLClockRenderer::submit(QSize pixelSize)
{
    if (!m_program.id || pixelSize.isEmpty())
        return;
    QOpenGLExtraFunctions& gl = *m_gl;
    const ClockBatcher& b = m_batcher;

    gl.glViewport(0, 0, pixelSize.width(), pixelSize.height());
    gl.glDisable(GL_SCISSOR_TEST);
    gl.glDisable(GL_CULL_FACE);
    gl.glDisable(GL_STENCIL_TEST);
    gl.glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    gl.glDepthMask(GL_TRUE);
    gl.glStencilMask(0xff);
    gl.glClearColor(0, 0, 0, 0);
    gl.glClearDepthf(1);
    gl.glClearStencil(0);
    gl.glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    if (b.commands().empty())
        return;

    gl.glActiveTexture(GL_TEXTURE2);
    uploadPoints();
    gl.glActiveTexture(GL_TEXTURE1);
    uploadTexture(m_stopTexture, b.stops().data(), b.stops().size(), m_stopRows);
    gl.glActiveTexture(GL_TEXTURE0);
    uploadTexture(m_recordTexture, b.records().data(), ClockBatcher::texelsPerRecord * b.records().size(), m_recordRows);

    gl.glBindBuffer(GL_ARRAY_BUFFER, m_instanceBuffer);
    uploadBuffer(GL_ARRAY_BUFFER, std::as_bytes(b.instances()), m_instanceBytes);
    if (!b.polygonIndices().empty()) {
        gl.glBindVertexArray(m_polygonVao);
        gl.glBindBuffer(GL_ARRAY_BUFFER, m_polygonBuffer);
        uploadBuffer(GL_ARRAY_BUFFER, std::as_bytes(b.polygonVertices()), m_polygonBytes);
        uploadBuffer(GL_ELEMENT_ARRAY_BUFFER, std::as_bytes(b.polygonIndices()), m_indexBytes);
        gl.glBindBuffer(GL_ARRAY_BUFFER, m_instanceBuffer);
    }
    if (!b.strips().empty()) {
        gl.glBindBuffer(GL_ARRAY_BUFFER, m_stripBuffer);
        uploadBuffer(GL_ARRAY_BUFFER, std::as_bytes(b.strips()), m_stripBytes);
        gl.glBindBuffer(GL_ARRAY_BUFFER, m_instanceBuffer);
    }

    const Program* current = nullptr;
    const auto useFor = [&](const Program& program) {
        if (current != &program)
            use(program, pixelSize);
        current = &program;
    };
    gl.glEnable(GL_DEPTH_TEST);
    gl.glDepthFunc(GL_LESS);
    gl.glEnable(GL_BLEND);
    gl.glBlendEquation(GL_FUNC_ADD);
    gl.glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);

    for (const GLDrawCommand& c : b.commands()) {
        const auto* offset = reinterpret_cast<const void*>(static_cast<std::uintptr_t>(c.first) * 4);
        switch (c.kind) {
        case GLDrawCommand::Kind::Shapes:
        case GLDrawCommand::Kind::SolidStrokes: {
            const Program& program = c.kind == GLDrawCommand::Kind::Shapes ? m_program : m_solidStrokeProgram;
            useFor(program);
            gl.glBindVertexArray(m_shapeVao);
            gl.glVertexAttribIPointer(opAttribute, 1, GL_UNSIGNED_INT, 0, offset);
            gl.glUniform1i(program.instanceBase, static_cast<GLint>(c.first));
            gl.glDrawArraysInstanced(GL_TRIANGLE_STRIP, 0, 4, static_cast<GLsizei>(c.count));
            break;
        }
        case GLDrawCommand::Kind::Polygon:
            useFor(m_program);
            gl.glBindVertexArray(m_polygonVao);
            gl.glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(c.count), GL_UNSIGNED_INT, offset);
            break;
        case GLDrawCommand::Kind::StencilFill:
            useFor(m_program);
            gl.glBindVertexArray(m_polygonVao);
            // Winding numbers into the stencil, colour and depth untouched...
            gl.glEnable(GL_STENCIL_TEST);
            gl.glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
            gl.glDepthMask(GL_FALSE);
            gl.glStencilFunc(GL_ALWAYS, 0, 0xff);
            gl.glStencilOpSeparate(GL_FRONT, GL_KEEP, GL_KEEP, GL_INCR_WRAP);
            gl.glStencilOpSeparate(GL_BACK, GL_KEEP, GL_KEEP, GL_DECR_WRAP);
            gl.glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(c.count), GL_UNSIGNED_INT, offset);
            // ...then paint where the winding is not zero, clearing it as we go.
            gl.glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
            gl.glDepthMask(GL_TRUE);
            gl.glStencilFunc(GL_NOTEQUAL, 0, 0xff);
            gl.glStencilOp(GL_ZERO, GL_ZERO, GL_ZERO);
            gl.glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(c.count), GL_UNSIGNED_INT, offset);
            gl.glDisable(GL_STENCIL_TEST);
            break;
        case GLDrawCommand::Kind::Strips:
            useFor(m_stripProgram);
            gl.glBindVertexArray(m_stripVao);
            gl.glDrawArrays(GL_TRIANGLE_STRIP, static_cast<GLint>(c.first), static_cast<GLsizei>(c.count));
            break;
        case GLDrawCommand::Kind::ClearDepth: gl.glClear(GL_DEPTH_BUFFER_BIT); break;
        }
    }

    gl.glDisable(GL_DEPTH_TEST);
    gl.glDisable(GL_BLEND);
    gl.glUseProgram(0);
    gl.glBindVertexArray(0);
    gl.glBindBuffer(GL_ARRAY_BUFFER, 0);
    for (GLenum unit : {GL_TEXTURE2, GL_TEXTURE1, GL_TEXTURE0}) {
        gl.glActiveTexture(unit);
        gl.glBindTexture(GL_TEXTURE_2D, 0);
    }
}
