#include "clock/TimeBodies.h"

#include "clock/BodyDrawing.h"
#include "clock/ClockMath.h"
#include "clock/ClockShapes.h"

#include "math/Trig.h"

#include <cmath>

using namespace clockmath;
using namespace clockdraw;

namespace {

// Both bodies run on the ellipse of half-axes L and 0.94·L.
QPointF onTrack(const ClockFrame& f, double angle)
{
    const double L = 0.86 * f.R;
    return {f.cx + L * slm::math::cosine(angle), f.cy + 0.94 * L * slm::math::sine(angle)};
}

} // namespace

TimeBody hourBody(const ClockFrame& f)
{
    const double alpha = twoPi * f.hour12 / 12 - pi / 2;
    const double d = (slm::math::sine(alpha) + 1) / 2;
    return {onTrack(f, alpha), 0.036 * f.R * (0.86 + 0.3 * d), d};
}

TimeBody minuteBody(const ClockFrame& f)
{
    const double alpha = twoPi * f.minuteF / 60 - pi / 2;
    const double d = (slm::math::sine(alpha) + 1) / 2;
    return {onTrack(f, alpha), 0.026 * f.R * (0.82 + 0.28 * d), d};
}

void drawTimeBodies(DisplayList& dl, const ClockFrame& f)
{
    const TimeBody h = hourBody(f);
    const double hx = h.position.x();
    const double hy = h.position.y();
    drawSphere(dl, hx, hy, h.radius, tint(Tint::blue));
    gradientDisc(dl, hx, hy, f.R * (0.05 + 0.018 * h.depth), hx, hy, 0.72 * h.radius, f.R * (0.05 + 0.018 * h.depth),
                 {tint(Tint::cyan, 0.11 + 0.09 * h.depth), tint(Tint::blue, 0.055 + 0.045 * h.depth), clearColor});

    const TimeBody m = minuteBody(f);
    const double mx = m.position.x();
    const double my = m.position.y();
    drawSphere(dl, mx, my, m.radius, tint(Tint::purple));
    gradientDisc(dl, mx, my, f.R * (0.036 + 0.012 * m.depth), mx, my, 0.72 * m.radius,
                 f.R * (0.036 + 0.012 * m.depth),
                 {tint(Tint::purple, 0.085 + 0.07 * m.depth), tint(Tint::blue, 0.025), clearColor});
}
