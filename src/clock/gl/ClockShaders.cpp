#include "clock/gl/ClockShaders.h"

#include "clock/gl/ClockBatcher.h"

namespace {

QByteArray header(ClockShaderDialect dialect, bool fragment, bool solidStrokes)
{
    QByteArray h;
    switch (dialect) {
    case ClockShaderDialect::Glsl330: h = "#version 330\n"; break;
    case ClockShaderDialect::Glsl130:
        // OpenGL 3.0 draws instances through this extension (Mesa and the desktop drivers have it).
        h = "#version 130\n";
        if (!fragment)
            h += "#extension GL_ARB_draw_instanced : require\n#define gl_InstanceID gl_InstanceIDARB\n";
        break;
    case ClockShaderDialect::Essl300:
        h = "#version 300 es\nprecision highp float;\nprecision highp int;\nprecision highp sampler2D;\n";
        break;
    }
    h += "#define TEXTURE_WIDTH " + QByteArray::number(ClockBatcher::textureWidth) + "\n";
    h += "#define DEPTH_RUN " + QByteArray::number(ClockBatcher::opsPerDepthRun) + "\n";
    // Constant kinds let the compiler drop every other shape's and paint's code.
    if (solidStrokes)
        h += "#define SHAPE_KIND(x) 0\n#define PAINT_KIND(x) 0\n";
    else
        h += "#define SHAPE_KIND(x) int((x) + 0.5)\n#define PAINT_KIND(x) int((x) + 0.5)\n";
    if (fragment) {
        // GLSL 1.30 has no default binding for a declared output.
        if (dialect == ClockShaderDialect::Glsl130)
            h += "#define fragColor gl_FragColor\n";
        else
            h += "out vec4 fragColor;\n";
    }
    return h;
}

const char* const shared = R"(
flat VARYING vec4 v_shape;  // kind, half width, (ellipses) radii
flat VARYING vec4 v_paint;  // kind, first stop, stop count, opacity
flat VARYING vec4 v_geom;   // colour or gradient geometry
flat VARYING vec4 v_start;  // segment: start, direction; ellipse: centre
flat VARYING vec4 v_end;    // segment: end, length, caps (1 at the start, 2 at the end)
flat VARYING vec4 v_cuts;   // segment: normals of the lines that split its joins
flat VARYING vec4 v_bevel0; // segment: outer direction and distance of a bevel at its start
flat VARYING vec4 v_bevel1; // ... at its end
flat VARYING float v_depth;
uniform vec2 u_viewport;
)";

// One instance per segment of a stroke, or per disc or ring; polygon
// vertices come one by one through a_pos. Each instance is a quad reaching
// just past its shape's anti-aliased edge; the fragment stage decides coverage.
//
// A join belongs half to each segment, split along the line through the
// corner whose normal bisects the two directions; both segments compute that
// line from the same three points with the same code, and test pixels
// against it at their exact centres, so each pixel goes to exactly one.
const char* const vertexBody = R"(
in vec2 a_pos;
in uint a_op;
uniform sampler2D u_ops;
uniform sampler2D u_points;
uniform int u_instanceBase;

const float MITRE_LIMIT = 10.0;
const float NO_BEVEL = 1e30;
// Coverage reaches half a pixel beyond an edge: pixel centres further out see none.
const float AA_REACH = 0.55;
// Points closer than this (squared pixels) have no direction between them.
const float SAME_POINT = 1e-6;
// How many duplicates of a corner point the joins look past.
const int LOOK_AROUND = 4;

vec4 record(int op, int k)
{
    int texel = 4 * op + k;
    return texelFetch(u_ops, ivec2(texel % TEXTURE_WIDTH, texel / TEXTURE_WIDTH), 0);
}

// A point of the list through its layer's transform (scale, x and y offset).
vec2 point(int i, vec4 layer)
{
    vec2 p = texelFetch(u_points, ivec2(i % TEXTURE_WIDTH, i / TEXTURE_WIDTH), 0).xy;
    return layer.yz + layer.x * p;
}

bool usable(vec2 p) { return abs(p.x) < 1e7 && abs(p.y) < 1e7; }

bool apart(vec2 a, vec2 b)
{
    vec2 d = b - a;
    return dot(d, d) >= SAME_POINT;
}

vec2 direction(vec2 from, vec2 to) { return normalize(to - from); }

vec2 splitNormal(vec2 da, vec2 db, vec2 fallback)
{
    vec2 s = da + db;
    return dot(s, s) > 1e-6 ? normalize(s) : fallback;
}

bool mitred(vec2 da, vec2 db)
{
    // The mitre reaches 1 / cos(turn / 2) half widths out; cos^2(turn / 2) = (1 + cos turn) / 2.
    return (1.0 + dot(da, db)) * 0.5 * MITRE_LIMIT * MITRE_LIMIT >= 1.0;
}

vec3 bevel(vec2 da, vec2 db, float hw)
{
    if (mitred(da, db))
        return vec3(0.0, 0.0, NO_BEVEL);
    // The line through both outer corners, seen from the corner point.
    return vec3(normalize(da - db), hw * sqrt(max(0.0, (1.0 + dot(da, db)) * 0.5)));
}

// How far beyond the corner, along the segment, its part of the join reaches.
float reach(vec2 da, vec2 db, float hw)
{
    if (!mitred(da, db))
        return hw + AA_REACH;
    float tanHalfTurn = abs(da.x * db.y - da.y * db.x) / max(1.0 + dot(da, db), 1e-6);
    return (hw + AA_REACH) * min(tanHalfTurn, MITRE_LIMIT) + AA_REACH;
}

void main()
{
    gl_Position = vec4(-2.0, -2.0, 0.0, 1.0);
    int op = int(a_op);
    v_shape = record(op, 0);
    vec4 place = record(op, 1);
    v_paint = record(op, 2);
    v_geom = record(op, 3);
    v_depth = float(op % DEPTH_RUN);
    int kind = SHAPE_KIND(v_shape.x);
    float hw = v_shape.y;
    vec2 k = vec2(float(gl_VertexID & 1), float(gl_VertexID >> 1));
    vec2 pos;
    if (kind == 3) {
        pos = a_pos;
    } else if (kind == 0) {
        int firstPoint = int(v_shape.z + 0.5);
        int lastPoint = int(v_shape.w + 0.5);
        int i0 = firstPoint + (u_instanceBase + gl_InstanceID - int(place.w + 0.5));
        vec2 p0 = point(i0, place);
        vec2 p1 = point(i0 + 1, place);
        if (!usable(p0) || !usable(p1) || !apart(p0, p1))
            return;
        vec2 d = direction(p0, p1);
        // The neighbours: the nearest points before and after that are somewhere else.
        int before = i0 - 1;
        vec2 pb = p0;
        for (int n = 0; n < LOOK_AROUND && before >= firstPoint; ++n) {
            pb = point(before, place);
            if (apart(pb, p0))
                break;
            --before;
        }
        int after = i0 + 2;
        vec2 pa = p1;
        for (int n = 0; n < LOOK_AROUND && after <= lastPoint; ++n) {
            pa = point(after, place);
            if (apart(p1, pa))
                break;
            ++after;
        }
        bool hasPrev = before >= firstPoint && usable(pb) && apart(pb, p0);
        bool hasNext = after <= lastPoint && usable(pa) && apart(p1, pa);
        float back = AA_REACH;
        float ahead = AA_REACH;
        vec2 cut0 = d;
        vec2 cut1 = d;
        vec3 bevel0 = vec3(0.0, 0.0, NO_BEVEL);
        vec3 bevel1 = bevel0;
        if (hasPrev) {
            vec2 dp = direction(pb, p0);
            cut0 = splitNormal(dp, d, d);
            bevel0 = bevel(dp, d, hw);
            back = reach(dp, d, hw);
        }
        if (hasNext) {
            vec2 dn = direction(p1, pa);
            cut1 = splitNormal(d, dn, d);
            bevel1 = bevel(d, dn, hw);
            ahead = reach(d, dn, hw);
        }
        float len = length(p1 - p0);
        float side = hw + AA_REACH;
        pos = p0 + d * mix(-back, len + ahead, k.x) + vec2(-d.y, d.x) * mix(-side, side, k.y);
        v_start = vec4(p0, d);
        v_end = vec4(p1, len, (hasPrev ? 0.0 : 1.0) + (hasNext ? 0.0 : 2.0));
        v_cuts = vec4(cut0, cut1);
        v_bevel0 = vec4(bevel0, 0.0);
        v_bevel1 = vec4(bevel1, 0.0);
    } else {
        vec2 extent = place.zw + vec2(hw + 1.0);
        pos = place.xy + mix(-extent, extent, k);
        v_start = vec4(place.xy, 0.0, 0.0);
        v_shape.zw = place.zw;
    }
    gl_Position = vec4(pos.x * 2.0 / u_viewport.x - 1.0, 1.0 - pos.y * 2.0 / u_viewport.y, 0.0, 1.0);
}
)";

// Coverage is the share of the pixel's square inside the shape, taken
// across the nearest edge. Its depth sits inside the operation's range,
// lower for more coverage: where an operation reaches a pixel twice, only a
// fragment covering more than before gets through.
//
// Gradients: evenly spaced premultiplied stops, padded at both ends; a radial
// gradient runs from its start radius (first stop inside it) to its end radius.
// Degenerate ones paint one stop: a linear one without length its last, a
// radial one without width its first (or its last if it has no radius at all).
const char* const fragmentBody = R"(
uniform sampler2D u_stops;

vec4 stopAt(int i)
{
    return texelFetch(u_stops, ivec2(i % TEXTURE_WIDTH, i / TEXTURE_WIDTH), 0);
}

// Of the pixel [s - 1/2, s + 1/2] across an edge, the part inside [-hw, hw].
float band(float s, float hw)
{
    return clamp(min(s + 0.5, hw) - max(s - 0.5, -hw), 0.0, 1.0);
}

float segmentCoverage(vec2 p)
{
    vec2 d = v_start.zw;
    vec2 r0 = p - v_start.xy;
    vec2 r1 = p - v_end.xy;
    int caps = int(v_end.w + 0.5);
    float t = dot(r0, d);
    // Past the line that splits a join the pixel is the neighbour's.
    if ((caps & 1) == 0 && dot(r0, v_cuts.xy) < 0.0)
        return 0.0;
    if ((caps & 2) == 0 && dot(r1, v_cuts.zw) >= 0.0)
        return 0.0;
    float lo = (caps & 1) != 0 ? 0.0 : -1e30;
    float hi = (caps & 2) != 0 ? v_end.z : 1e30;
    float c = band(dot(r0, vec2(-d.y, d.x)), v_shape.y) * clamp(min(t + 0.5, hi) - max(t - 0.5, lo), 0.0, 1.0);
    c *= clamp(v_bevel0.z - dot(r0, v_bevel0.xy) + 0.5, 0.0, 1.0);
    c *= clamp(v_bevel1.z - dot(r1, v_bevel1.xy) + 0.5, 0.0, 1.0);
    return c;
}

// Distance to the ellipse outline, negative inside: its implicit function
// over the length of its gradient (exact for circles).
float ellipseDistance(vec2 p)
{
    vec2 radii = v_shape.zw;
    vec2 q = (p - v_start.xy) / radii;
    float l = length(q);
    float g = length(q / radii);
    return l > 1e-6 ? (l - 1.0) * l / max(g, 1e-20) : -min(radii.x, radii.y);
}

vec4 paintAt(vec2 p)
{
    int kind = PAINT_KIND(v_paint.x);
    if (kind == 0)
        return v_geom;
    float t;
    if (kind == 1) {
        vec2 d = v_geom.zw - v_geom.xy;
        float dd = dot(d, d);
        t = dd > 0.0 ? dot(p - v_geom.xy, d) / dd : 1.0;
    } else {
        float dr = v_geom.w - v_geom.z;
        float r = length(p - v_geom.xy);
        t = dr > 0.0 ? (r - v_geom.z) / dr : (v_geom.w > 0.0 ? 0.0 : 1.0);
    }
    t = clamp(t, 0.0, 1.0);
    int first = int(v_paint.y + 0.5);
    int n = int(v_paint.z + 0.5);
    float x = t * float(n - 1);
    int i = min(int(x), n - 2);
    return mix(stopAt(first + i), stopAt(first + i + 1), x - float(i)) * v_paint.w;
}

void main()
{
    vec2 p = vec2(gl_FragCoord.x, u_viewport.y - gl_FragCoord.y);
    int kind = SHAPE_KIND(v_shape.x);
    float coverage = 1.0;
    if (kind == 0)
        coverage = segmentCoverage(p);
    else if (kind == 1)
        coverage = clamp(0.5 - ellipseDistance(p), 0.0, 1.0);
    else if (kind == 2)
        coverage = band(ellipseDistance(p), v_shape.y);
    if (!(coverage > 0.0))
        discard;
    float level = ceil(coverage * 64.0) / 64.0;
    gl_FragDepth = (float(DEPTH_RUN) - v_depth - 0.5 * level) / 65536.0;
    fragColor = paintAt(p) * coverage;
}
)";

// Solid strokes as strips (StrokeStrip.h): the vertices carry the distances
// across and along the line, and the fragment stage clamps them, as the
// segment shaders do with distances they work out per pixel.
const char* const stripShared = R"(
flat VARYING vec4 v_colour;
flat VARYING vec3 v_line; // half width, length, depth
VARYING vec2 v_dist;      // across, along
uniform vec2 u_viewport;
)";

const char* const stripVertexBody = R"(
in vec4 a_pos; // x, y, across, along
in uint a_op;
in float a_length;
uniform sampler2D u_ops;

vec4 record(int op, int k)
{
    int texel = 4 * op + k;
    return texelFetch(u_ops, ivec2(texel % TEXTURE_WIDTH, texel / TEXTURE_WIDTH), 0);
}

void main()
{
    int op = int(a_op);
    v_colour = record(op, 3);
    v_line = vec3(record(op, 0).y, a_length, float(op % DEPTH_RUN));
    v_dist = a_pos.zw;
    gl_Position = vec4(a_pos.x * 2.0 / u_viewport.x - 1.0, 1.0 - a_pos.y * 2.0 / u_viewport.y, 0.0, 1.0);
}
)";

const char* const stripFragmentBody = R"(
float band(float s, float lo, float hi)
{
    return clamp(min(s + 0.5, hi) - max(s - 0.5, lo), 0.0, 1.0);
}

void main()
{
    float coverage = band(v_dist.x, -v_line.x, v_line.x) * band(v_dist.y, 0.0, v_line.y);
    if (!(coverage > 0.0))
        discard;
    float level = ceil(coverage * 64.0) / 64.0;
    gl_FragDepth = (float(DEPTH_RUN) - v_line.z - 0.5 * level) / 65536.0;
    fragColor = v_colour * coverage;
}
)";

} // namespace

QByteArray clockStripVertexShader(ClockShaderDialect dialect)
{
    QByteArray s = header(dialect, false, true) + stripShared + stripVertexBody;
    return s.replace("VARYING", "out");
}

QByteArray clockStripFragmentShader(ClockShaderDialect dialect)
{
    QByteArray s = header(dialect, true, true) + stripShared + stripFragmentBody;
    return s.replace("VARYING", "in");
}

QByteArray clockVertexShader(ClockShaderDialect dialect, bool solidStrokes)
{
    QByteArray s = header(dialect, false, solidStrokes) + shared + vertexBody;
    return s.replace("VARYING", "out");
}

QByteArray clockFragmentShader(ClockShaderDialect dialect, bool solidStrokes)
{
    QByteArray s = header(dialect, true, solidStrokes) + shared + fragmentBody;
    return s.replace("VARYING", "in");
}
