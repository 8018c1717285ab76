#pragma once

#include "clock/DisplayList.h"

#include <cstddef>
#include <span>

// How far the batcher may simplify a stroke's polyline, in drawn pixels.
// Every segment costs a quad's vertex work and the overdraw of its
// anti-aliased ends, which a software rasteriser pays in full; the clock's
// strands are sampled more finely than their curvature needs.
struct PolylineThinning {
    // Points closer than this to the last point kept go.
    float minSegment = 0;
    // Points go while every point passed lies within this of the segment
    // that replaces them.
    float maxDeviation = 0;

    bool any() const { return minSegment > 0 || maxDeviation > 0; }
    bool operator==(const PolylineThinning&) const = default;
};

// Copies into `out` (room for in.size()) the points of `in` that `thinning`
// keeps, at `scale` pixels per unit, and returns how many: always the first
// and the last. Points with a NaN coordinate stay, with their neighbours, so
// the shaders still break the line there.
std::size_t thinPolyline(std::span<const Point2> in, PolylineThinning thinning, float scale, Point2* out);
