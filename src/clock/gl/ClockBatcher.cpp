#include "clock/gl/ClockBatcher.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// Largest distance between a flattened curve and the true one, in pixels.
constexpr float flatness = 0.15f;
// Points closer than this (squared pixels) add nothing but an undefined direction.
constexpr float samePointSq = 1e-6f;
// Coordinates beyond this are treated as broken input.
constexpr float farAway = 1e7f;

// NaN counts as 0.
float clamp01(float v) { return v > 0 ? (v < 1 ? v : 1) : 0; }

GLStop premultiplied(const Rgba& c, float opacity)
{
    const float a = clamp01(c.a) * opacity;
    return {clamp01(c.r) * a, clamp01(c.g) * a, clamp01(c.b) * a, a};
}

// ceil(x) within [lo, hi]; huge, infinite and NaN counts give hi.
int stepCount(double x, int lo, int hi)
{
    return static_cast<int>(std::fmax(lo, std::fmin(hi, std::ceil(x))));
}

bool usable(Point2 p) { return std::abs(p.x) < farAway && std::abs(p.y) < farAway; }

} // namespace

void ClockBatcher::batch(const DisplayList& list, double scale, PolylineThinning thinning, bool strips)
{
    m_thinning = thinning;
    m_useStrips = strips;
    m_strips.clear();
    m_stripsStart = 0;
    m_listPoints = list.allPoints();
    // The curves' points start on a fresh texture row.
    m_curveStart = (m_listPoints.size() + textureWidth - 1) / textureWidth * textureWidth;
    m_curvePoints.clear();
    m_records.clear();
    m_stops.clear();
    m_instances.clear();
    m_polygonVertices.clear();
    m_polygonIndices.clear();
    m_commands.clear();
    m_layers.clear();
    m_shapesStart = 0;
    m_run = Run::shapes;

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
    closeShapes();
}

void ClockBatcher::closeShapes()
{
    const std::size_t end = m_instances.size();
    if (end > m_shapesStart)
        m_commands.push({m_run == Run::solidStrokes ? GLDrawCommand::Kind::SolidStrokes : GLDrawCommand::Kind::Shapes,
                         static_cast<std::uint32_t>(m_shapesStart), static_cast<std::uint32_t>(end - m_shapesStart)});
    m_shapesStart = end;
    const std::size_t stripEnd = m_strips.size();
    if (stripEnd > m_stripsStart)
        m_commands.push({GLDrawCommand::Kind::Strips, static_cast<std::uint32_t>(m_stripsStart),
                         static_cast<std::uint32_t>(stripEnd - m_stripsStart)});
    m_stripsStart = stripEnd;
}

void ClockBatcher::startShapes(Run run)
{
    if (run != m_run)
        closeShapes();
    m_run = run;
}

std::int64_t ClockBatcher::addRecord(const DisplayList& list, const Paint& paint, const Xform& xf, float opacity)
{
    if (!(opacity > 0))
        return -1;
    GLOpRecord rec{};
    const std::span<const Rgba> stops = list.stops(paint);
    if (paint.kind == PaintKind::Solid || stops.size() < 2) {
        const GLStop c = premultiplied(paint.kind == PaintKind::Solid ? paint.color : (stops.empty() ? clearColor : stops[0]),
                                       opacity);
        if (!(c.a > 0))
            return -1;
        rec.paint[0] = static_cast<float>(GLPaintKind::Solid);
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
        rec.paint[1] = static_cast<float>(first);
        rec.paint[2] = static_cast<float>(stops.size());
        rec.paint[3] = opacity;
        rec.geom[0] = p0.x;
        rec.geom[1] = p0.y;
        if (paint.kind == PaintKind::Linear) {
            const Point2 p1 = xf.map(paint.p1);
            rec.paint[0] = static_cast<float>(GLPaintKind::Linear);
            rec.geom[2] = p1.x;
            rec.geom[3] = p1.y;
        } else {
            rec.paint[0] = static_cast<float>(GLPaintKind::Radial);
            rec.geom[2] = paint.r0 * xf.scale;
            rec.geom[3] = paint.r1 * xf.scale;
        }
    }

    const std::size_t index = m_records.size();
    if (index > 0 && index % opsPerDepthRun == 0) {
        closeShapes();
        m_commands.push({GLDrawCommand::Kind::ClearDepth, 0, 0});
    }
    m_records.push(rec);
    return static_cast<std::int64_t>(index);
}

std::size_t ClockBatcher::flattenQuadratic(std::span<const Point2> pts, float scale)
{
    const std::size_t first = m_curvePoints.size();
    if (pts.size() < 3)
        return first;
    const Point2 a = pts[0];
    const Point2 b = pts[1];
    const Point2 e = pts[2];
    const float ddx = (a.x - 2 * b.x + e.x) * scale;
    const float ddy = (a.y - 2 * b.y + e.y) * scale;
    // A quadratic's chord error over a parameter step h is |a - 2b + e| h^2 / 4.
    const int n = stepCount(std::sqrt(std::sqrt(ddx * ddx + ddy * ddy) / (4 * flatness)), 1, 256);
    Point2* out = m_curvePoints.extend(static_cast<std::size_t>(n) + 1);
    for (int i = 0; i <= n; ++i) {
        const float t = static_cast<float>(i) / static_cast<float>(n);
        const float u = 1 - t;
        out[i] = {u * u * a.x + 2 * u * t * b.x + t * t * e.x, u * u * a.y + 2 * u * t * b.y + t * t * e.y};
    }
    m_curvePoints.commit(static_cast<std::size_t>(n) + 1);
    return first;
}

void ClockBatcher::fill(const DisplayList& list, const DisplayOp& op, const Xform& xf)
{
    if (op.path.kind == PathKind::Ellipse) {
        ellipse(list, op, xf, 0);
        return;
    }
    const std::int64_t index = addRecord(list, op.paint, xf, 1.0f);
    if (index < 0)
        return;
    const auto opIndex = static_cast<std::uint32_t>(index);
    const std::size_t first = m_polygonVertices.size();
    std::span<const Point2> pts = list.points(op.path);
    if (op.path.kind == PathKind::Quadratic) {
        const std::size_t curve = flattenQuadratic(pts, xf.scale);
        pts = m_curvePoints.view().subspan(curve);
    }
    GLPolygonVertex* out = m_polygonVertices.extend(pts.size());
    std::size_t kept = 0;
    for (const Point2& q : pts) {
        const Point2 p = xf.map(q);
        if (!usable(p))
            continue;
        if (kept > 0) {
            const float dx = p.x - out[kept - 1].x;
            const float dy = p.y - out[kept - 1].y;
            if (dx * dx + dy * dy < samePointSq)
                continue;
        }
        out[kept++] = {p.x, p.y, opIndex};
    }
    m_polygonVertices.commit(kept);
    // The fill closes the path itself.
    while (m_polygonVertices.size() > first + 1) {
        const GLPolygonVertex a = m_polygonVertices[first];
        const GLPolygonVertex b = m_polygonVertices.back();
        const float dx = a.x - b.x;
        const float dy = a.y - b.y;
        if (dx * dx + dy * dy >= samePointSq)
            break;
        m_polygonVertices.pop();
    }
    if (m_polygonVertices.size() < first + 3) {
        while (m_polygonVertices.size() > first)
            m_polygonVertices.pop();
        m_records.pop();
        return;
    }
    m_records[opIndex].shape[0] = static_cast<float>(GLShapeKind::Polygon);
    polygon(first);
}

// A fan from the first point covers a convex polygon exactly once; for any
// other polygon its triangles' signed coverage sums to the winding number.
// Polygon edges are not anti-aliased: the clock fills only its background so.
void ClockBatcher::polygon(std::size_t first)
{
    closeShapes();
    const std::size_t n = m_polygonVertices.size() - first;
    const std::size_t start = m_polygonIndices.size();
    std::uint32_t* ix = m_polygonIndices.extend(3 * (n - 2));
    const auto base = static_cast<std::uint32_t>(first);
    for (std::uint32_t i = 1; i + 1 < n; ++i) {
        *ix++ = base;
        *ix++ = base + i;
        *ix++ = base + i + 1;
    }
    m_polygonIndices.commit(3 * (n - 2));
    const bool convex = polygonIsConvex(first);
    m_commands.push({convex ? GLDrawCommand::Kind::Polygon : GLDrawCommand::Kind::StencilFill,
                     static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(3 * (n - 2))});
}

// Convex: every corner turns the same way and the turns add up to one revolution.
bool ClockBatcher::polygonIsConvex(std::size_t first) const
{
    const std::size_t n = m_polygonVertices.size() - first;
    const GLPolygonVertex* p = m_polygonVertices.data() + first;
    int sign = 0;
    double turning = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const GLPolygonVertex a = p[i];
        const GLPolygonVertex b = p[(i + 1) % n];
        const GLPolygonVertex c = p[(i + 2) % n];
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

// Discs (halfWidth 0) and rings: one point at the centre, the shape is the shaders' business.
void ClockBatcher::ellipse(const DisplayList& list, const DisplayOp& op, const Xform& xf, float halfWidth)
{
    const std::span<const Point2> pts = list.points(op.path);
    if (pts.size() < 2)
        return;
    float rx = 0.5f * pts[1].x * xf.scale;
    float ry = 0.5f * pts[1].y * xf.scale;
    const Point2 c = xf.map({pts[0].x + 0.5f * pts[1].x, pts[0].y + 0.5f * pts[1].y});
    if (!(rx > 0 && ry > 0 && rx < farAway && ry < farAway) || !usable(c))
        return;
    float opacity = 1.0f;
    const float r = std::max(rx, ry);
    if (halfWidth == 0 && r < minDiscRadius) {
        // As faint as it is small: the same ink spread over a disc that
        // pixel centres cannot miss.
        const float k = minDiscRadius / r;
        rx *= k;
        ry *= k;
        opacity = 1.0f / (k * k);
    }
    const std::int64_t index = addRecord(list, op.paint, xf, opacity);
    if (index < 0)
        return;
    GLOpRecord& rec = m_records[static_cast<std::size_t>(index)];
    if (m_useStrips && halfWidth > 0 && rec.paint[0] == static_cast<float>(GLPaintKind::Solid)) {
        // A quad over the whole ellipse would shade its inside for nothing.
        rec.shape[1] = halfWidth;
        startShapes(Run::strips);
        appendRingStrip(c, rx, ry, halfWidth, static_cast<std::uint32_t>(index), m_strips, m_stripsStart);
        return;
    }
    rec.shape[0] = static_cast<float>(halfWidth > 0 ? GLShapeKind::Ring : GLShapeKind::Disc);
    rec.shape[1] = halfWidth;
    rec.place[0] = c.x;
    rec.place[1] = c.y;
    rec.place[2] = rx;
    rec.place[3] = ry;
    startShapes(Run::shapes);
    m_instances.push(static_cast<std::uint32_t>(index));
}

void ClockBatcher::stroke(const DisplayList& list, const DisplayOp& op, const Xform& xf)
{
    const float width = op.width * xf.scale;
    if (!(width > 0 && width < farAway))
        return;
    if (op.path.kind == PathKind::Ellipse) {
        ellipse(list, op, xf, 0.5f * width);
        return;
    }
    std::span<const Point2> pts = list.points(op.path);
    std::size_t first = op.path.first;
    if (op.path.kind == PathKind::Quadratic) {
        const std::size_t curve = flattenQuadratic(pts, xf.scale);
        pts = m_curvePoints.view().subspan(curve);
        first = m_curveStart + curve;
    } else if (m_thinning.any() && pts.size() > 2) {
        const std::size_t curve = m_curvePoints.size();
        const std::size_t kept = thinPolyline(pts, m_thinning, xf.scale, m_curvePoints.extend(pts.size()));
        m_curvePoints.commit(kept);
        pts = m_curvePoints.view().subspan(curve);
        first = m_curveStart + curve;
    }
    if (pts.size() < 2)
        return;
    const std::int64_t index = addRecord(list, op.paint, xf, 1.0f);
    if (index < 0)
        return;
    // Duplicate and broken points are the shaders' to skip: looking at each
    // point here would cost more than the whole rest of the frame.
    GLOpRecord& rec = m_records[static_cast<std::size_t>(index)];
    rec.shape[0] = static_cast<float>(GLShapeKind::Segments);
    rec.shape[1] = 0.5f * width;
    rec.shape[2] = static_cast<float>(first);
    rec.shape[3] = static_cast<float>(first + pts.size() - 1);
    rec.place[0] = xf.scale;
    rec.place[1] = xf.ox;
    rec.place[2] = xf.oy;
    rec.place[3] = static_cast<float>(m_instances.size());
    const bool solid = rec.paint[0] == static_cast<float>(GLPaintKind::Solid);
    if (solid && m_useStrips) {
        startShapes(Run::strips);
        appendStrokeStrip(pts, {xf.scale, xf.ox, xf.oy}, 0.5f * width, static_cast<std::uint32_t>(index), m_strips,
                          m_stripsStart, m_stripScratch);
        return;
    }
    const std::size_t segments = pts.size() - 1;
    startShapes(solid ? Run::solidStrokes : Run::shapes);
    std::fill_n(m_instances.extend(segments), segments, static_cast<std::uint32_t>(index));
    m_instances.commit(segments);
}
