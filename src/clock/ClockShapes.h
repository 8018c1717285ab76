#pragma once

#include "clock/DisplayList.h"
#include "clock/Palette.h"

#include "math/Trig.h"

#include <cmath>
#include <initializer_list>

// Shorthands for the shapes the clock's layers draw most: discs, rings,
// radial glows and turned ellipses built as polylines.
namespace clockdraw {

inline Point2 pt(double x, double y) { return {static_cast<float>(x), static_cast<float>(y)}; }

inline void disc(DisplayList& dl, double x, double y, double r, Rgba color)
{
    dl.fill(dl.circle(x, y, r), DisplayList::solid(color));
}

// A disc of radius r filled with a radial gradient centred on the disc, from 0 to r.
inline void glowDisc(DisplayList& dl, double x, double y, double r, std::initializer_list<Rgba> stops)
{
    dl.fill(dl.circle(x, y, r), dl.radial(pt(x, y), 0, r, stops));
}

// A disc of radius r whose radial gradient has its own centre and radii.
inline void gradientDisc(DisplayList& dl, double x, double y, double r, double gx, double gy, double r0, double r1,
                         std::initializer_list<Rgba> stops)
{
    dl.fill(dl.circle(x, y, r), dl.radial(pt(gx, gy), r0, r1, stops));
}

inline void ring(DisplayList& dl, double x, double y, double r, Rgba color, double width)
{
    dl.stroke(dl.circle(x, y, r), DisplayList::solid(color), width);
}

// A horizontal linear gradient across the shape, from x − r to x + r at height y.
inline Paint acrossGradient(DisplayList& dl, double x, double y, double r, std::initializer_list<Rgba> stops)
{
    return dl.linear(pt(x - r, y), pt(x + r, y), stops);
}

// The rectangle as a closed run of straight segments.
inline PathRef rect(DisplayList& dl, double x, double y, double w, double h)
{
    const auto first = dl.pointCount();
    dl.addPoint(x, y);
    dl.addPoint(x + w, y);
    dl.addPoint(x + w, y + h);
    dl.addPoint(x, y + h);
    dl.addPoint(x, y);
    return dl.polylineFrom(first);
}

// count points at θ = start + sweep·i/(count − 1) on the ellipse of half-axes
// (a, b) about (cx, cy), turned by `turn` (clockwise on screen).
inline PathRef turnedArc(DisplayList& dl, double cx, double cy, double a, double b, double turn, double start,
                         double sweep, int count)
{
    const slm::math::SinCos tilt = slm::math::sinCos(turn);
    const double ct = tilt.cos;
    const double st = tilt.sin;
    const auto first = dl.pointCount();
    slm::math::AngleWalk theta(start, sweep / (count - 1));
    for (int i = 0; i < count; ++i) {
        const slm::math::SinCos at = theta.next();
        const double X = a * at.cos;
        const double Y = b * at.sin;
        dl.addPoint(cx + X * ct - Y * st, cy + X * st + Y * ct);
    }
    return dl.polylineFrom(first);
}

} // namespace clockdraw
