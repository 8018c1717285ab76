#include "clock/Dial.h"

#include "clock/ClockMath.h"
#include "clock/ClockShapes.h"

#include "math/Trig.h"

#include <cmath>

using namespace clockmath;
using namespace clockdraw;

namespace {

template <int count>
void dottedTrack(DisplayList& dl, const ClockFrame& f, double radius, double dotRadius, Rgba color)
{
    const auto& angles = turnAngles<count>();
    for (int k = 0; k < count; ++k)
        disc(dl, f.cx + radius * angles[k].cos, f.cy + 0.94 * radius * angles[k].sin, dotRadius, color);
}

} // namespace

void drawDial(DisplayList& dl, const ClockFrame& f)
{
    const double R = f.R;
    const double cx = f.cx;
    const double cy = f.cy;

    ring(dl, cx, cy, R, tint(Tint::orange, 0.26), 1.5);
    ring(dl, cx, cy, 0.982 * R, tint(Tint::orange, 0.1), 1.0);
    ring(dl, cx, cy, 0.964 * R, tint(Tint::orange, 0.055), 0.65);
    ring(dl, cx, cy, 0.86 * R, tint(Tint::white, 0.78), 1.35);

    dottedTrack<150>(dl, f, 0.7 * R, 0.7, tint(Tint::cyan, 0.38));
    dottedTrack<180>(dl, f, 0.94 * R, 0.55, tint(Tint::orange, 0.24));

    dl.stroke(dl.line(cx, cy - 1.05 * R, cx, cy + 1.05 * R), DisplayList::solid(tint(Tint::white, 0.15)), 0.55);

    struct Marker {
        double angle;
        Tint color;
    };
    const Marker markers[] = {{-pi / 2, Tint::blue}, {0, Tint::orange}, {pi / 2, Tint::orange}, {pi, Tint::orange}};
    for (const Marker& m : markers) {
        const double x = cx + 0.99 * R * slm::math::cosine(m.angle);
        const double y = cy + 0.94 * 0.99 * R * slm::math::sine(m.angle);
        const Rgba c = tint(m.color);
        glowDisc(dl, x, y, 7, {c.withOpacity(0.36), c.withOpacity(0.1), clearColor});
        disc(dl, x, y, 2.2, c);
    }
}
