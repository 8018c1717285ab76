#pragma once

#include "clock/DisplayList.h"
#include "clock/gl/PodArray.h"

#include <cstdint>
#include <span>

// A solid stroke as one triangle strip along its polyline, for software
// rasterisers: long primitives sharing their edges, and a fragment stage
// that only clamps interpolated distances. Joins are mitred, or bevelled
// where the mitre would reach far; caps are butt, anti-aliased along the
// stroke. Coverage is approximate at corners, which the reduced picture
// (drawn small and scaled up) does not show.
struct GLStripVertex {
    float x, y;   // pixels, origin top left, y down
    float across; // signed distance from the centre line at this vertex
    float along;  // distance along the line from its first point
    float length; // the whole line's, the same at every vertex
    std::uint32_t op;
};

// Where a polyline's points go: pixels = offset + scale * point.
struct StripPlacement {
    float scale = 1, ox = 0, oy = 0;
};

// Appends the strip of the polyline `points`, placed so, of half width
// `halfWidth` pixels, drawn by operation `op`. Unusable points break the
// line; points on top of the previous one are skipped. Lines appended after
// `runStart` are joined by degenerate triangles, so one draw of the array
// from there as a strip draws them all. `scratch` holds the placed points
// meanwhile. Returns the vertices appended.
std::size_t appendStrokeStrip(std::span<const Point2> points, StripPlacement placement, float halfWidth,
                              std::uint32_t op, PodArray<GLStripVertex>& out, std::size_t runStart,
                              PodArray<Point2>& scratch);

// Appends the strip of an elliptical ring around `centre` with radii `rx`
// and `ry` pixels, half width `halfWidth`: a closed loop with no ends, as
// few vertices as keep it within a sixth of a pixel of the true ellipse.
std::size_t appendRingStrip(Point2 centre, float rx, float ry, float halfWidth, std::uint32_t op,
                            PodArray<GLStripVertex>& out, std::size_t runStart);

// How far beyond a stroke's edge and ends the strip reaches: coverage is
// taken over a pixel's width, so pixel centres further out see none.
inline constexpr float stripReach = 0.55f;
