#include "clock/gl/ClockTessellator.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// A join whose mitre would reach further than this many half-widths from the
// path is bevelled (the mitre-to-width ratio of 10 that the layers expect).
constexpr float mitreLimit = 10.0f;
// Largest distance between a flattened curve and the true one, in pixels.
constexpr float flatness = 0.15f;
// Points closer than this (squared pixels) add nothing but an undefined direction.
constexpr float samePointSq = 1e-6f;

// NaN counts as 0.
float clamp01(float v) { return v > 0 ? (v < 1 ? v : 1) : 0; }

GLStop premultiplied(const Rgba& c, float opacity)
{
    const float a = clamp01(c.a) * opacity;
    return {clamp01(c.r) * a, clamp01(c.g) * a, clamp01(c.b) * a, a};
}

// ceil(x) within [lo, hi]; huge, infinite and NaN counts give hi.
int cornerCount(double x, int lo, int hi)
{
    return static_cast<int>(std::fmax(lo, std::fmin(hi, std::ceil(x))));
}

struct Segment {
    float dx, dy, len; // unit direction and length
};

Segment segmentBetween(Point2 a, Point2 b)
{
    const float dx = b.x - a.x;
    const float dy = b.y - a.y;
    const float len = std::sqrt(dx * dx + dy * dy);
    return {dx / len, dy / len, len};
}

} // namespace

void ClockTessellator::tessellate(const DisplayList& list, double scale)
{
    m_vertices.clear();
    m_indices.clear();
    m_paints.clear();
    m_stops.clear();
    m_commands.clear();
    m_layers.clear();
    m_batchStart = 0;

    Xform xf{static_cast<float>(scale), 0, 0};
    for (const DisplayOp& op : list.ops()) {
        switch (op.kind) {
        case OpKind::Fill: fill(list, op, xf); break;
        case OpKind::Stroke: stroke(list, op, xf); break;
        case OpKind::PushLayer:
            m_layers.push(xf);
            xf = {xf.scale * op.scale, xf.ox + xf.scale * op.tx, xf.oy + xf.scale * op.ty};
            break;
        case OpKind::PopLayer:
            // An unmatched pop leaves the outermost transform alone.
            if (m_layers.size() > 0) {
                xf = m_layers.back();
                m_layers.pop();
            }
            break;
        }
    }
    closeBatch();
}

void ClockTessellator::closeBatch()
{
    const std::size_t end = m_indices.size();
    if (end > m_batchStart)
        m_commands.push({GLDrawCommand::Kind::Triangles, static_cast<std::uint32_t>(m_batchStart),
                         static_cast<std::uint32_t>(end - m_batchStart)});
    m_batchStart = end;
}

// Returns the operation's index, or -1 when the paint cannot show.
std::int64_t ClockTessellator::addPaint(const DisplayList& list, const Paint& paint, const Xform& xf, float opacity)
{
    if (!(opacity > 0))
        return -1;
    GLPaintRecord rec{};
    const std::span<const Rgba> stops = list.stops(paint);
    if (paint.kind == PaintKind::Solid || stops.size() < 2) {
        const GLStop c = premultiplied(paint.kind == PaintKind::Solid ? paint.color : (stops.empty() ? clearColor : stops[0]),
                                       opacity);
        if (!(c.a > 0))
            return -1;
        rec.info[0] = static_cast<float>(GLPaintKind::Solid);
        rec.geom[0] = c.r;
        rec.geom[1] = c.g;
        rec.geom[2] = c.b;
        rec.geom[3] = c.a;
    } else {
        bool visible = false;
        for (const Rgba& s : stops)
            visible = visible || s.a > 0;
        if (!visible)
            return -1;
        const std::size_t first = m_stops.size();
        GLStop* out = m_stops.extend(stops.size());
        for (std::size_t i = 0; i < stops.size(); ++i)
            out[i] = premultiplied(stops[i], 1.0f);
        m_stops.commit(stops.size());
        const Point2 p0 = xf.map(paint.p0);
        rec.info[1] = static_cast<float>(first);
        rec.info[2] = static_cast<float>(stops.size());
        rec.info[3] = opacity;
        rec.geom[0] = p0.x;
        rec.geom[1] = p0.y;
        if (paint.kind == PaintKind::Linear) {
            const Point2 p1 = xf.map(paint.p1);
            rec.info[0] = static_cast<float>(GLPaintKind::Linear);
            rec.geom[2] = p1.x;
            rec.geom[3] = p1.y;
        } else {
            rec.info[0] = static_cast<float>(GLPaintKind::Radial);
            rec.geom[2] = paint.r0 * xf.scale;
            rec.geom[3] = paint.r1 * xf.scale;
        }
    }

    const std::size_t index = m_paints.size();
    if (index > 0 && index % opsPerDepthRun == 0) {
        closeBatch();
        m_commands.push({GLDrawCommand::Kind::ClearDepth, 0, 0});
    }
    m_paints.push(rec);
    return static_cast<std::int64_t>(index);
}

void ClockTessellator::ellipseRim(float cx, float cy, float rx, float ry)
{
    const float r = std::max(rx, ry);
    // Enough corners that no chord strays more than `flatness` from the curve.
    const double step = r > flatness ? 2.0 * std::acos(1.0 - flatness / r) : std::numbers::pi / 2;
    const int n = cornerCount(2.0 * std::numbers::pi / step, 8, 1024);
    const double angle = 2.0 * std::numbers::pi / n;
    const double dc = std::cos(angle);
    const double ds = std::sin(angle);
    // Corners slightly outside the curve give the polygon the ellipse's area.
    const auto grow = static_cast<float>(std::sqrt(angle / ds));
    rx *= grow;
    ry *= grow;
    double c = 1.0;
    double s = 0.0;
    Point2* out = m_path.extend(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        out[i] = {cx + rx * static_cast<float>(c), cy + ry * static_cast<float>(s)};
        const double nc = c * dc - s * ds;
        s = s * dc + c * ds;
        c = nc;
    }
    m_path.commit(static_cast<std::size_t>(n));
}

void ClockTessellator::flattenPath(const DisplayList& list, PathRef path, const Xform& xf)
{
    m_path.clear();
    const std::span<const Point2> pts = list.points(path);
    switch (path.kind) {
    case PathKind::Ellipse: {
        if (pts.size() < 2)
            return;
        const float rx = 0.5f * pts[1].x * xf.scale;
        const float ry = 0.5f * pts[1].y * xf.scale;
        const Point2 c = xf.map({pts[0].x + 0.5f * pts[1].x, pts[0].y + 0.5f * pts[1].y});
        if (rx > 0 && ry > 0)
            ellipseRim(c.x, c.y, rx, ry);
        return;
    }
    case PathKind::Quadratic: {
        if (pts.size() < 3)
            return;
        const Point2 a = xf.map(pts[0]);
        const Point2 b = xf.map(pts[1]);
        const Point2 e = xf.map(pts[2]);
        const float ddx = a.x - 2 * b.x + e.x;
        const float ddy = a.y - 2 * b.y + e.y;
        // A quadratic's chord error over a parameter step h is |a - 2b + e| h^2 / 4.
        const int n = cornerCount(std::sqrt(std::sqrt(ddx * ddx + ddy * ddy) / (4 * flatness)), 1, 256);
        Point2* out = m_path.extend(static_cast<std::size_t>(n) + 1);
        std::size_t kept = 0;
        for (int i = 0; i <= n; ++i) {
            const float t = static_cast<float>(i) / static_cast<float>(n);
            const float u = 1 - t;
            const Point2 p{u * u * a.x + 2 * u * t * b.x + t * t * e.x, u * u * a.y + 2 * u * t * b.y + t * t * e.y};
            if (kept > 0) {
                const float dx = p.x - out[kept - 1].x;
                const float dy = p.y - out[kept - 1].y;
                if (dx * dx + dy * dy < samePointSq)
                    continue;
            }
            out[kept++] = p;
        }
        m_path.commit(kept);
        return;
    }
    case PathKind::Polyline: {
        Point2* out = m_path.extend(pts.size());
        std::size_t kept = 0;
        for (const Point2& q : pts) {
            const Point2 p = xf.map(q);
            if (kept > 0) {
                const float dx = p.x - out[kept - 1].x;
                const float dy = p.y - out[kept - 1].y;
                if (dx * dx + dy * dy < samePointSq)
                    continue;
            }
            out[kept++] = p;
        }
        m_path.commit(kept);
        return;
    }
    }
}

void ClockTessellator::fill(const DisplayList& list, const DisplayOp& op, const Xform& xf)
{
    float opacity = 1.0f;
    if (op.path.kind == PathKind::Ellipse && op.paint.kind == PaintKind::Solid) {
        const std::span<const Point2> pts = list.points(op.path);
        if (pts.size() < 2)
            return;
        float rx = 0.5f * pts[1].x * xf.scale;
        float ry = 0.5f * pts[1].y * xf.scale;
        const float r = std::max(rx, ry);
        if (!(rx > 0 && ry > 0))
            return;
        if (r < minDiscRadius) {
            // Multisampling turns a sub-pixel disc into a flickering speck:
            // draw it at a radius the samples resolve, as faint as its area.
            const float k = minDiscRadius / r;
            rx *= k;
            ry *= k;
            opacity = 1.0f / (k * k);
        }
        const std::int64_t index = addPaint(list, op.paint, xf, opacity);
        if (index < 0)
            return;
        const Point2 c = xf.map({pts[0].x + 0.5f * pts[1].x, pts[0].y + 0.5f * pts[1].y});
        m_path.clear();
        ellipseRim(c.x, c.y, rx, ry);
        fillFan(static_cast<std::uint32_t>(index));
        return;
    }

    flattenPath(list, op.path, xf);
    // The fill closes the path itself.
    while (m_path.size() > 1) {
        const Point2 a = m_path[0];
        const Point2 b = m_path.back();
        const float dx = a.x - b.x;
        const float dy = a.y - b.y;
        if (dx * dx + dy * dy >= samePointSq)
            break;
        m_path.pop();
    }
    if (m_path.size() < 3)
        return;
    const std::int64_t index = addPaint(list, op.paint, xf, opacity);
    if (index < 0)
        return;
    // Ellipses and quadratic segments closed by their chord are convex.
    if (op.path.kind != PathKind::Polyline || pathIsConvex()) {
        fillFan(static_cast<std::uint32_t>(index));
        return;
    }
    closeBatch();
    const std::size_t first = m_indices.size();
    fillFan(static_cast<std::uint32_t>(index));
    m_commands.push({GLDrawCommand::Kind::StencilFill, static_cast<std::uint32_t>(first),
                     static_cast<std::uint32_t>(m_indices.size() - first)});
    m_batchStart = m_indices.size();
}

// A fan from the first point covers a convex polygon exactly once; for any
// other polygon its triangles' signed coverage sums to the winding number.
void ClockTessellator::fillFan(std::uint32_t op)
{
    const std::size_t n = m_path.size();
    const auto base = static_cast<std::uint32_t>(m_vertices.size());
    GLVertex* v = m_vertices.extend(n);
    for (std::size_t i = 0; i < n; ++i)
        v[i] = {m_path[i].x, m_path[i].y, op};
    m_vertices.commit(n);
    std::uint32_t* ix = m_indices.extend(3 * (n - 2));
    for (std::uint32_t i = 1; i + 1 < n; ++i) {
        *ix++ = base;
        *ix++ = base + i;
        *ix++ = base + i + 1;
    }
    m_indices.commit(3 * (n - 2));
}

// Convex: every corner turns the same way and the turns add up to one revolution.
bool ClockTessellator::pathIsConvex() const
{
    const std::size_t n = m_path.size();
    int sign = 0;
    double turning = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const Point2 a = m_path[i];
        const Point2 b = m_path[(i + 1) % n];
        const Point2 c = m_path[(i + 2) % n];
        const double e1x = b.x - a.x, e1y = b.y - a.y;
        const double e2x = c.x - b.x, e2y = c.y - b.y;
        const double cross = e1x * e2y - e1y * e2x;
        const double dot = e1x * e2x + e1y * e2y;
        if (cross != 0) {
            const int s = cross > 0 ? 1 : -1;
            if (sign != 0 && s != sign)
                return false;
            sign = s;
        } else if (dot < 0) {
            return false; // the outline doubles back on itself
        }
        turning += std::atan2(cross, dot);
    }
    return std::abs(turning) < 2 * std::numbers::pi + 0.1;
}

void ClockTessellator::stroke(const DisplayList& list, const DisplayOp& op, const Xform& xf)
{
    float width = op.width * xf.scale;
    if (!(width > 0))
        return;
    float opacity = 1.0f;
    if (width < minStrokeWidth) {
        // Hairlines would break up into isolated samples; a one-pixel line
        // carrying the same ink per unit length looks like the real thing.
        opacity = width / minStrokeWidth;
        width = minStrokeWidth;
    }
    flattenPath(list, op.path, xf);
    if (m_path.size() < 2)
        return;
    const std::int64_t index = addPaint(list, op.paint, xf, opacity);
    if (index < 0)
        return;
    strokePoints(op.path.kind == PathKind::Ellipse && m_path.size() >= 3, 0.5f * width,
                 static_cast<std::uint32_t>(index));
}

// The stroke is the union of one rectangle per segment (butt ends) and, at
// each corner, the wedge on the outer side (mitre, or bevel beyond the limit).
// Where the inner offset lines meet within both neighbouring segments, the two
// rectangles share their corner vertices and the strip needs two vertices per
// point; elsewhere each rectangle ends square and the wedge is added apart.
void ClockTessellator::strokePoints(bool closed, float hw, std::uint32_t op)
{
    const std::size_t n = m_path.size();
    const Point2* p = m_path.data();
    const auto base = static_cast<std::uint32_t>(m_vertices.size());
    GLVertex* v = m_vertices.extend(6 * n + 8);
    std::uint32_t* ix = m_indices.extend(12 * n + 12);
    std::uint32_t nv = 0;
    std::size_t ni = 0;

    auto vertex = [&](float x, float y) {
        v[nv] = {x, y, op};
        return base + nv++;
    };
    auto triangle = [&](std::uint32_t a, std::uint32_t b, std::uint32_t c) {
        ix[ni++] = a;
        ix[ni++] = b;
        ix[ni++] = c;
    };
    auto quad = [&](std::uint32_t sL, std::uint32_t sR, std::uint32_t eL, std::uint32_t eR) {
        triangle(sL, sR, eR);
        triangle(sL, eR, eL);
    };

    struct Joint {
        std::uint32_t endL, endR;     // where the incoming segment's rectangle ends
        std::uint32_t startL, startR; // where the outgoing one starts
    };
    // L is the +normal side, normal = direction turned by +90 degrees.
    auto joint = [&](Point2 c, const Segment& a, const Segment& b) -> Joint {
        const float nax = -a.dy, nay = a.dx;
        const float nbx = -b.dy, nby = b.dx;
        const float dot = a.dx * b.dx + a.dy * b.dy;
        const float cross = a.dx * b.dy - a.dy * b.dx;
        if (dot > 0 && std::abs(cross) < 1e-6f) {
            const std::uint32_t l = vertex(c.x + nax * hw, c.y + nay * hw);
            const std::uint32_t r = vertex(c.x - nax * hw, c.y - nay * hw);
            return {l, r, l, r};
        }
        const float onePlusDot = 1 + dot;
        // Mitre length / width = 1 / cos(turn / 2); cos^2(turn / 2) = (1 + dot) / 2.
        const bool mitre = onePlusDot * 0.5f * mitreLimit * mitreLimit >= 1;
        // The inner corner lies hw * tan(turn / 2) along each segment; it must
        // fit in the half of each that this corner may use.
        const float shorter = std::min(a.len, b.len);
        const bool inner = onePlusDot > 1e-6f && hw * hw * (1 - dot) <= 0.25f * shorter * shorter * onePlusDot;
        // Offset from the point to where the offset lines meet on the +normal side.
        const float k = onePlusDot > 1e-6f ? hw / onePlusDot : 0;
        const float mx = (nax + nbx) * k;
        const float my = (nay + nby) * k;
        if (inner && mitre) {
            const std::uint32_t l = vertex(c.x + mx, c.y + my);
            const std::uint32_t r = vertex(c.x - mx, c.y - my);
            return {l, r, l, r};
        }
        // Turning towards +normal puts the outer side on -normal.
        const float s = cross > 0 ? -1.0f : 1.0f;
        const std::uint32_t oa = vertex(c.x + s * nax * hw, c.y + s * nay * hw);
        const std::uint32_t ob = vertex(c.x + s * nbx * hw, c.y + s * nby * hw);
        std::uint32_t ia, ib;
        if (inner) {
            ia = ib = vertex(c.x - s * mx, c.y - s * my);
            triangle(ia, oa, ob);
        } else {
            ia = vertex(c.x - s * nax * hw, c.y - s * nay * hw);
            ib = vertex(c.x - s * nbx * hw, c.y - s * nby * hw);
            triangle(vertex(c.x, c.y), oa, ob);
            if (mitre)
                triangle(oa, vertex(c.x + s * mx, c.y + s * my), ob);
        }
        return s > 0 ? Joint{oa, ia, ob, ib} : Joint{ia, oa, ib, ob};
    };

    if (!closed) {
        Segment a = segmentBetween(p[0], p[1]);
        std::uint32_t sL = vertex(p[0].x - a.dy * hw, p[0].y + a.dx * hw);
        std::uint32_t sR = vertex(p[0].x + a.dy * hw, p[0].y - a.dx * hw);
        for (std::size_t i = 1; i + 1 < n; ++i) {
            const Segment b = segmentBetween(p[i], p[i + 1]);
            const Joint j = joint(p[i], a, b);
            quad(sL, sR, j.endL, j.endR);
            sL = j.startL;
            sR = j.startR;
            a = b;
        }
        const Point2 e = p[n - 1];
        quad(sL, sR, vertex(e.x - a.dy * hw, e.y + a.dx * hw), vertex(e.x + a.dy * hw, e.y - a.dx * hw));
    } else {
        const Segment last = segmentBetween(p[n - 1], p[0]);
        Segment a = segmentBetween(p[0], p[1]);
        const Joint j0 = joint(p[0], last, a);
        std::uint32_t sL = j0.startL;
        std::uint32_t sR = j0.startR;
        for (std::size_t i = 1; i < n; ++i) {
            const Segment b = i + 1 < n ? segmentBetween(p[i], p[i + 1]) : last;
            const Joint j = joint(p[i], a, b);
            quad(sL, sR, j.endL, j.endR);
            sL = j.startL;
            sR = j.startR;
            a = b;
        }
        quad(sL, sR, j0.endL, j0.endR);
    }
    m_vertices.commit(nv);
    m_indices.commit(ni);
}
