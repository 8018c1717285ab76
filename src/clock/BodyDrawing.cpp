#include "clock/BodyDrawing.h"

#include "clock/ClockMath.h"
#include "clock/ClockShapes.h"

#include "math/Trig.h"

#include <algorithm>
#include <cmath>

using namespace clockdraw;

void drawSphere(DisplayList& dl, double x, double y, double r, Rgba C)
{
    gradientDisc(dl, x, y, 1.9 * r, x, y, 0.2 * r, 1.8 * r, {C.withOpacity(0.52), C.withOpacity(0.14), clearColor});
    gradientDisc(dl, x, y, r, x - 0.25 * r, y - 0.3 * r, 0, 1.35 * r,
                 {tint(Tint::white, 0.98), C.withOpacity(0.92), C.withOpacity(0.55), tint(Tint::black, 0.3)});
    ring(dl, x, y, r, tint(Tint::white, 0.85), 0.8);
}

void drawBody(DisplayList& dl, const ClockFrame& f, double x, double y, double r, double b, double d, Rgba C)
{
    const Rgba white = tint(Tint::white);

    // Halo
    const double H = r * (2.2 + 0.9 * b + 0.5 * d + 0.3 * f.align[4]);
    gradientDisc(dl, x, y, H, x, y, 0.18 * r, H,
                 {C.withOpacity(0.22 + 0.18 * b), C.withOpacity(0.08 + 0.05 * d), clearColor});

    // Sheen
    dl.fill(dl.ellipse(x - 1.65 * r, y - 1.5 * r, 3.3 * r, 3.0 * r),
            dl.radial(pt(x - 0.18 * r, y - 0.22 * r), 0, 1.65 * r,
                      {white.withOpacity(0.07 + 0.07 * b), C.withOpacity(0.1 + 0.08 * b), clearColor}));

    drawSphere(dl, x, y, r, C);

    // Highlight
    const double k = r * (0.26 + 0.08 * b);
    gradientDisc(dl, x, y, k, x - 0.16 * k, y - 0.2 * k, 0, k,
                 {white.withOpacity(0.95), C.withOpacity(0.78 + 0.14 * b), clearColor});

    // Ring
    const double q = r * (1.18 + 0.1 * b);
    dl.stroke(dl.ellipse(x - q, y - 0.72 * q, 2 * q, 1.44 * q),
              dl.linear(pt(x - q, y), pt(x + q, y),
                        {C.withOpacity(0.18 + 0.08 * b), white.withOpacity(0.42 + 0.18 * b),
                         C.withOpacity(0.24 + 0.1 * b)}),
              0.38 + 0.4 * b);

    // Moon
    const double D = r * (1.7 + 0.45 * b);
    const double mu = clockmath::twoPi * d + (1.8 + 0.8 * b) * f.t;
    const double mx = x + D * slm::math::cosine(mu);
    const double my = y + 0.72 * D * slm::math::sine(mu);
    const double moonGlow = r * (1.6 + 0.9 * b);
    if (moonGlow > 0)
        glowDisc(dl, mx, my, moonGlow, {white.withOpacity(0.36), white.withOpacity(0.1), clearColor});
    disc(dl, mx, my, std::max(0.22 * r, 0.45), white);

    // Glint
    const double g = r * (0.6 + 0.18 * b);
    gradientDisc(dl, x + 0.28 * r, y + 0.12 * r, g, x + 0.18 * r, y + 0.08 * r, 0, g,
                 {white.withOpacity(0.18 + 0.1 * b), C.withOpacity(0.12 + 0.08 * b), clearColor});
}
