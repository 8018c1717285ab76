#include "clock/gl/PolylineThinning.h"

#include <algorithm>

namespace {

// Points one segment may replace at most: keeps the deviation test's cost bounded.
constexpr std::size_t maxSpan = 16;

// Squared distance from p to the segment a-b; NaN when any is NaN.
float distanceSqToSegment(Point2 p, Point2 a, Point2 b)
{
    const float ex = b.x - a.x, ey = b.y - a.y;
    const float px = p.x - a.x, py = p.y - a.y;
    const float ee = ex * ex + ey * ey;
    float t = ee > 0 ? (px * ex + py * ey) / ee : 0.0f;
    t = t < 0 ? 0.0f : (t > 1 ? 1.0f : t);
    const float dx = px - t * ex, dy = py - t * ey;
    return dx * dx + dy * dy;
}

} // namespace

std::size_t thinPolyline(std::span<const Point2> in, PolylineThinning thinning, float scale, Point2* out)
{
    if (in.size() < 3 || !thinning.any() || !(scale > 0)) {
        std::copy(in.begin(), in.end(), out);
        return in.size();
    }
    const float minSq = thinning.minSegment * thinning.minSegment / (scale * scale);
    const float devSq = thinning.maxDeviation * thinning.maxDeviation / (scale * scale);
    // Comparisons are written so that NaN keeps a point.
    const auto near = [minSq](Point2 a, Point2 b) {
        const float dx = b.x - a.x, dy = b.y - a.y;
        return dx * dx + dy * dy < minSq;
    };
    std::size_t n = 0;
    out[n++] = in[0];
    std::size_t kept = 0; // index in `in` of the last point kept
    const std::size_t last = in.size() - 1;
    for (std::size_t i = 1; i < last; ++i) {
        if (near(in[kept], in[i]))
            continue;
        bool straight = devSq > 0 && i - kept < maxSpan;
        for (std::size_t j = kept + 1; straight && j <= i; ++j)
            straight = distanceSqToSegment(in[j], in[kept], in[i + 1]) <= devSq;
        if (straight)
            continue;
        out[n++] = in[i];
        kept = i;
    }
    // The end stays, even a short way past the last point kept: dropping that
    // one instead would move the line by up to twice the distance.
    out[n++] = in[last];
    return n;
}
