#include "clock/gl/ClockShaders.h"

#include "clock/gl/ClockTessellator.h"

namespace {

QByteArray header(ClockShaderDialect dialect, bool fragment)
{
    QByteArray h;
    switch (dialect) {
    case ClockShaderDialect::Glsl330: h = "#version 330\n"; break;
    case ClockShaderDialect::Glsl130: h = "#version 130\n"; break;
    case ClockShaderDialect::Essl300:
        h = "#version 300 es\nprecision highp float;\nprecision highp int;\nprecision highp sampler2D;\n";
        break;
    }
    h += "#define TEXTURE_WIDTH " + QByteArray::number(ClockTessellator::textureWidth) + "\n";
    h += "#define DEPTH_RUN " + QByteArray::number(ClockTessellator::opsPerDepthRun) + "\n";
    if (fragment) {
        // GLSL 1.30 has no default binding for a declared output.
        if (dialect == ClockShaderDialect::Glsl130)
            h += "#define fragColor gl_FragColor\n";
        else
            h += "out vec4 fragColor;\n";
    }
    return h;
}

// Each operation's paint sits in two texels of u_paints; the vertex shader
// reads them once and hands them to every fragment unchanged. The depth
// falls with the operation index so that each operation reaches a sample at
// most once (depth test LESS), whatever its triangles do.
const char* const vertexBody = R"(
in vec2 a_pos;
in uint a_op;
uniform vec2 u_viewport;
uniform sampler2D u_paints;
out vec2 v_pos;
flat out vec4 v_info;
flat out vec4 v_geom;

void main()
{
    int op = int(a_op);
    int texel = 2 * op;
    ivec2 at = ivec2(texel % TEXTURE_WIDTH, texel / TEXTURE_WIDTH);
    v_info = texelFetch(u_paints, at, 0);
    v_geom = texelFetch(u_paints, at + ivec2(1, 0), 0);
    v_pos = a_pos;
    float z = 1.0 - float(op % DEPTH_RUN + 1) / 32768.0;
    gl_Position = vec4(a_pos.x * 2.0 / u_viewport.x - 1.0, 1.0 - a_pos.y * 2.0 / u_viewport.y, z, 1.0);
}
)";

// Gradients: evenly spaced premultiplied stops, padded at both ends; a radial
// gradient runs from its start radius (first stop inside it) to its end radius.
// Degenerate ones paint one stop: a linear one without length its last, a
// radial one without width its first (or its last if it has no radius at all).
const char* const fragmentBody = R"(
in vec2 v_pos;
flat in vec4 v_info;
flat in vec4 v_geom;
uniform sampler2D u_stops;

vec4 stopAt(int i)
{
    return texelFetch(u_stops, ivec2(i % TEXTURE_WIDTH, i / TEXTURE_WIDTH), 0);
}

void main()
{
    int kind = int(v_info.x + 0.5);
    if (kind == 0) {
        fragColor = v_geom;
        return;
    }
    float t;
    if (kind == 1) {
        vec2 d = v_geom.zw - v_geom.xy;
        float dd = dot(d, d);
        t = dd > 0.0 ? dot(v_pos - v_geom.xy, d) / dd : 1.0;
    } else {
        float dr = v_geom.w - v_geom.z;
        float r = length(v_pos - v_geom.xy);
        t = dr > 0.0 ? (r - v_geom.z) / dr : (v_geom.w > 0.0 ? 0.0 : 1.0);
    }
    t = clamp(t, 0.0, 1.0);
    int first = int(v_info.y + 0.5);
    int n = int(v_info.z + 0.5);
    float x = t * float(n - 1);
    int i = min(int(x), n - 2);
    fragColor = mix(stopAt(first + i), stopAt(first + i + 1), x - float(i)) * v_info.w;
}
)";

} // namespace

QByteArray clockVertexShader(ClockShaderDialect dialect)
{
    return header(dialect, false) + vertexBody;
}

QByteArray clockFragmentShader(ClockShaderDialect dialect)
{
    return header(dialect, true) + fragmentBody;
}
