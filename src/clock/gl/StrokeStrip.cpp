#include "clock/gl/StrokeStrip.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr float farAway = 1e7f;
constexpr float samePointSq = 1e-6f;
// Beyond a mitre this many half widths long the join is bevelled.
constexpr float mitreLimit = 4.0f;
// Largest distance between a ring's chords and its ellipse, in pixels.
constexpr float ringFlatness = 0.15f;
// Along a ring: far from both ends, so that no end is drawn.
constexpr float ringAlong = 1024.0f;

bool usable(Point2 p) { return std::abs(p.x) < farAway && std::abs(p.y) < farAway; }

Point2 unit(Point2 from, Point2 to)
{
    const float dx = to.x - from.x, dy = to.y - from.y;
    const float l = std::sqrt(dx * dx + dy * dy);
    return {dx / l, dy / l};
}

float distance(Point2 a, Point2 b) { return std::hypot(b.x - a.x, b.y - a.y); }

class StripWriter {
public:
    StripWriter(PodArray<GLStripVertex>& out, std::size_t runStart, std::uint32_t op)
        : m_out(out)
        , m_runStart(runStart)
        , m_op(op)
    {
    }

    // One run of usable, distinct points.
    void line(const Point2* q, std::size_t n, float halfWidth)
    {
        if (n < 2)
            return;
        float length = 0;
        for (std::size_t i = 1; i < n; ++i)
            length += distance(q[i - 1], q[i]);
        startLine(length);
        const float side = halfWidth + stripReach;

        Point2 d = unit(q[0], q[1]);
        pair({q[0].x - d.x * stripReach, q[0].y - d.y * stripReach}, {-d.y * side, d.x * side}, side, -stripReach);
        float along = 0;
        for (std::size_t i = 1; i + 1 < n; ++i) {
            along += distance(q[i - 1], q[i]);
            const Point2 next = unit(q[i], q[i + 1]);
            // The mitre: along the bisector of the two normals, as far out as
            // keeps it `side` from both edges.
            const float mx = -d.y - next.y, my = d.x + next.x;
            const float ml = std::sqrt(mx * mx + my * my);
            const float cosHalf = ml * 0.5f;
            if (cosHalf * mitreLimit > 1.0f) {
                const float k = side / (ml * cosHalf);
                pair(q[i], {mx * k, my * k}, side, along);
            } else {
                // Square ends of both segments at the corner: the two
                // triangles between them close the outside as a bevel.
                pair(q[i], {-d.y * side, d.x * side}, side, along);
                pair(q[i], {-next.y * side, next.x * side}, side, along);
            }
            d = next;
        }
        along += distance(q[n - 2], q[n - 1]);
        pair({q[n - 1].x + d.x * stripReach, q[n - 1].y + d.y * stripReach}, {-d.y * side, d.x * side}, side,
             along + stripReach);
    }

    // The pair at `centre`, offset `offset` to its left, `along` the line.
    void pair(Point2 centre, Point2 offset, float side, float along)
    {
        const GLStripVertex right{centre.x - offset.x, centre.y - offset.y, -side, along, m_length, m_op};
        const GLStripVertex left{centre.x + offset.x, centre.y + offset.y, side, along, m_length, m_op};
        // A degenerate bridge from the line before: its last vertex again,
        // then this line's first.
        if (m_first && m_out.size() > m_runStart) {
            const GLStripVertex last = m_out.back();
            push(last);
            push(right);
        }
        m_first = false;
        push(right);
        push(left);
    }

    void startLine(float length)
    {
        m_length = length;
        m_first = true;
    }

    std::size_t written() const { return m_written; }

private:
    void push(const GLStripVertex& v)
    {
        m_out.push(v);
        ++m_written;
    }

    PodArray<GLStripVertex>& m_out;
    std::size_t m_runStart;
    std::uint32_t m_op;
    float m_length = 0;
    bool m_first = true;
    std::size_t m_written = 0;
};

} // namespace

std::size_t appendStrokeStrip(std::span<const Point2> points, StripPlacement placement, float halfWidth,
                              std::uint32_t op, PodArray<GLStripVertex>& out, std::size_t runStart,
                              PodArray<Point2>& scratch)
{
    StripWriter writer(out, runStart, op);
    scratch.clear();
    Point2* run = scratch.extend(points.size());
    std::size_t n = 0;
    for (const Point2& q : points) {
        const Point2 p{placement.ox + placement.scale * q.x, placement.oy + placement.scale * q.y};
        if (!usable(p)) {
            writer.line(run, n, halfWidth);
            n = 0;
            continue;
        }
        if (n > 0) {
            const float dx = p.x - run[n - 1].x, dy = p.y - run[n - 1].y;
            if (dx * dx + dy * dy < samePointSq)
                continue;
        }
        run[n++] = p;
    }
    writer.line(run, n, halfWidth);
    return writer.written();
}

std::size_t appendRingStrip(Point2 centre, float rx, float ry, float halfWidth, std::uint32_t op,
                            PodArray<GLStripVertex>& out, std::size_t runStart)
{
    StripWriter writer(out, runStart, op);
    const float side = halfWidth + stripReach;
    // Chords of the outer edge, the longest, stay within the flatness.
    const float r = std::max(rx, ry) + side;
    const float step = 2 * std::acos(std::max(0.0f, 1 - ringFlatness / r));
    const int n = std::clamp(static_cast<int>(std::ceil(2 * std::numbers::pi_v<float> / std::max(step, 1e-3f))), 8, 1024);
    writer.startLine(2 * ringAlong);
    for (int k = 0; k <= n; ++k) {
        // The last pair closes the loop on the first exactly.
        const float t = 2 * std::numbers::pi_v<float> * static_cast<float>(k % n) / static_cast<float>(n);
        const float c = std::cos(t), s = std::sin(t);
        // The ellipse's outward normal at t.
        const float nx = ry * c, ny = rx * s;
        const float nl = std::sqrt(nx * nx + ny * ny);
        writer.pair({centre.x + rx * c, centre.y + ry * s}, {nx / nl * side, ny / nl * side}, side, ringAlong);
    }
    return writer.written();
}
