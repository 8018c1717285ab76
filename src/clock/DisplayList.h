#pragma once

#include "clock/Palette.h"

#include <cstdint>
#include <initializer_list>
#include <span>
#include <vector>

// What one frame of the chaos clock draws, independent of any renderer.
//
// The layers append paths and drawing operations; a renderer (OpenGL for the
// live window, QPainter for snapshots and as fallback) replays them in order.
// Everything lives in flat pools so a frame allocates nothing once the pools
// have grown to size: clear() keeps their capacity.
//
// Coordinates are points in the frame's drawing area, origin top left, y down,
// inside the transform of the enclosing layer(s).
//
// Rendering rules every renderer follows:
// - fills use the non-zero rule, antialiased;
// - strokes have butt caps and mitre joins (mitre limit 10); a translucent
//   stroke covers each pixel once, even where the path overlaps itself;
// - gradient stops are spaced evenly from 0 to 1 and interpolated on
//   premultiplied gamma-encoded components, so fading to clear never darkens;
//   linear gradients are padded beyond their end points, radial gradients
//   beyond their end radius (inside the start radius: the first stop);
// - opacities above 1 count as 1; layer scale applies to widths too.

struct Point2 {
    float x = 0, y = 0;
};

enum class PathKind : std::uint8_t {
    Polyline,  // points[first ... first+count), open
    Ellipse,   // two points: top-left corner and size (width, height)
    Quadratic, // three points: start, control, end
};

struct PathRef {
    PathKind kind = PathKind::Polyline;
    std::uint32_t first = 0;
    std::uint32_t count = 0;
};

enum class PaintKind : std::uint8_t { Solid, Linear, Radial };

struct Paint {
    PaintKind kind = PaintKind::Solid;
    Rgba color;                 // Solid
    Point2 p0, p1;              // Linear: start and end; Radial: p0 is the centre
    float r0 = 0, r1 = 0;       // Radial: start and end radius
    std::uint32_t firstStop = 0; // Linear / Radial: stops[firstStop ... firstStop+stopCount)
    std::uint32_t stopCount = 0;
};

enum class OpKind : std::uint8_t { Fill, Stroke, PushLayer, PopLayer };

struct DisplayOp {
    OpKind kind = OpKind::Fill;
    PathRef path;   // Fill, Stroke
    Paint paint;    // Fill, Stroke
    float width = 0; // Stroke
    // PushLayer: translate by (tx, ty), then scale by `scale` about the origin.
    float tx = 0, ty = 0, scale = 1;
};

class DisplayList {
public:
    void clear()
    {
        m_ops.clear();
        m_points.clear();
        m_stops.clear();
    }
    void reserve(std::size_t ops, std::size_t points, std::size_t stops)
    {
        m_ops.reserve(ops);
        m_points.reserve(points);
        m_stops.reserve(stops);
    }

    // --- paths ---
    PathRef ellipse(double x, double y, double w, double h)
    {
        const auto first = pointCount();
        addPoint(x, y);
        addPoint(w, h);
        return {PathKind::Ellipse, first, 2};
    }
    PathRef circle(double cx, double cy, double r) { return ellipse(cx - r, cy - r, 2 * r, 2 * r); }
    PathRef quadratic(Point2 start, Point2 control, Point2 end)
    {
        const auto first = pointCount();
        m_points.push_back(start);
        m_points.push_back(control);
        m_points.push_back(end);
        return {PathKind::Quadratic, first, 3};
    }
    PathRef line(double x0, double y0, double x1, double y1)
    {
        const auto first = pointCount();
        addPoint(x0, y0);
        addPoint(x1, y1);
        return {PathKind::Polyline, first, 2};
    }
    // Polylines are built in place: note pointCount(), add points, then close
    // the run with polylineFrom(first).
    std::uint32_t pointCount() const { return static_cast<std::uint32_t>(m_points.size()); }
    void addPoint(double x, double y) { m_points.push_back({static_cast<float>(x), static_cast<float>(y)}); }
    PathRef polylineFrom(std::uint32_t first) const { return {PathKind::Polyline, first, pointCount() - first}; }

    // --- paints ---
    static Paint solid(Rgba color)
    {
        Paint p;
        p.color = color;
        return p;
    }
    Paint linear(Point2 start, Point2 end, std::initializer_list<Rgba> stops)
    {
        Paint p = gradient(PaintKind::Linear, stops);
        p.p0 = start;
        p.p1 = end;
        return p;
    }
    Paint radial(Point2 centre, double startRadius, double endRadius, std::initializer_list<Rgba> stops)
    {
        Paint p = gradient(PaintKind::Radial, stops);
        p.p0 = centre;
        p.r0 = static_cast<float>(startRadius);
        p.r1 = static_cast<float>(endRadius);
        return p;
    }
    // For stop lists built at run time.
    Paint linear(Point2 start, Point2 end, std::span<const Rgba> stops)
    {
        Paint p = gradient(PaintKind::Linear, stops);
        p.p0 = start;
        p.p1 = end;
        return p;
    }

    // --- operations ---
    void fill(PathRef path, const Paint& paint)
    {
        DisplayOp op;
        op.kind = OpKind::Fill;
        op.path = path;
        op.paint = paint;
        m_ops.push_back(op);
    }
    void stroke(PathRef path, const Paint& paint, double width)
    {
        DisplayOp op;
        op.kind = OpKind::Stroke;
        op.path = path;
        op.paint = paint;
        op.width = static_cast<float>(width);
        m_ops.push_back(op);
    }
    void pushLayer(double tx, double ty, double scale)
    {
        DisplayOp op;
        op.kind = OpKind::PushLayer;
        op.tx = static_cast<float>(tx);
        op.ty = static_cast<float>(ty);
        op.scale = static_cast<float>(scale);
        m_ops.push_back(op);
    }
    void popLayer()
    {
        DisplayOp op;
        op.kind = OpKind::PopLayer;
        m_ops.push_back(op);
    }

    // --- reading ---
    std::span<const DisplayOp> ops() const { return m_ops; }
    std::span<const Point2> points(PathRef path) const { return {m_points.data() + path.first, path.count}; }
    std::span<const Rgba> stops(const Paint& paint) const { return {m_stops.data() + paint.firstStop, paint.stopCount}; }
    std::span<const Point2> allPoints() const { return m_points; }

    bool operator==(const DisplayList& other) const;

private:
    template <typename Stops>
    Paint gradient(PaintKind kind, const Stops& stops)
    {
        Paint p;
        p.kind = kind;
        p.firstStop = static_cast<std::uint32_t>(m_stops.size());
        p.stopCount = static_cast<std::uint32_t>(stops.size());
        m_stops.insert(m_stops.end(), stops.begin(), stops.end());
        return p;
    }

    std::vector<DisplayOp> m_ops;
    std::vector<Point2> m_points;
    std::vector<Rgba> m_stops;
};
