#include "clock/CentralCore.h"

#include "clock/ClockMath.h"
#include "clock/ClockShapes.h"

#include "math/Trig.h"

#include <algorithm>
#include <cmath>

using namespace clockmath;
using namespace clockdraw;

namespace {

constexpr Tint white = Tint::white;
constexpr Tint cyan = Tint::cyan;
constexpr Tint blue = Tint::blue;
constexpr Tint purple = Tint::purple;
constexpr Tint orange = Tint::orange;

struct CoreRing {
    double factor;
    Tint color;
    double opacity;
    double width;
};
constexpr CoreRing coreRings[] = {
    {1.35, white, 0.42, 1.1}, {1.82, cyan, 0.34, 0.92}, {2.28, purple, 0.24, 0.72},
    {2.88, cyan, 0.18, 0.55}, {3.45, orange, 0.15, 0.44},
};

struct Core {
    DisplayList& dl;
    const ClockFrame& f;
    double cx, cy, t;
    double Q, G, U, B;

    void strokeEllipse(double x, double y, double w, double h, const Paint& paint, double width)
    {
        dl.stroke(dl.ellipse(x, y, w, h), paint, width);
    }

    // Outer glows and the dark body.
    void glowsAndBody(double r3)
    {
        glowDisc(dl, cx, cy, U * (5.8 + 3.8 * Q),
                 {tint(white, 0.1 + 0.1 * G), tint(cyan, 0.22 + 0.22 * G), tint(blue, 0.14 + 0.14 * G),
                  tint(purple, 0.08 + 0.1 * G), clearColor});
        const double r2 = U * (2.35 + 0.48 * G + 0.12 * B);
        gradientDisc(dl, cx, cy, r2, cx, cy, 0.18 * U, r2,
                     {tint(white, 0.22 + 0.16 * G), tint(cyan, 0.32 + 0.24 * G), tint(blue, 0.22 + 0.16 * G),
                      tint(purple, 0.12 + 0.11 * G), clearColor});
        gradientDisc(dl, cx, cy, r3, cx + 0.08 * r3, cy - 0.06 * r3, 0.08 * r3, 1.2 * r3,
                     {tint(Tint::black, 0.82), srgb(0.02, 0.05, 0.1, 0.78), srgb(0.08, 0.14, 0.24, 0.3 + 0.1 * G),
                      tint(purple, 0.14 + 0.1 * G), clearColor});
    }

    // The body's rim, three arcs and ten sparks.
    void rimArcsSparks(double r3)
    {
        strokeEllipse(cx - 1.02 * r3, cy - 0.98 * r3, 2.04 * r3, 1.96 * r3,
                      acrossGradient(dl, cx, cy, r3,
                                     {tint(cyan, 0.18 + 0.1 * G), tint(white, 0.16 + 0.1 * G),
                                      tint(purple, 0.22 + 0.12 * G), tint(orange, 0.1 + 0.06 * G)}),
                      0.9 + 0.65 * G);

        constexpr Tint arcColors[] = {white, cyan, purple};
        for (int k = 0; k < 3; ++k) {
            const PathRef arc = turnedArc(dl, cx, cy, r3 * (0.92 + 0.18 * k), r3 * (0.58 + 0.1 * k),
                                          0.9 * k + t * (0.1 + 0.03 * k), -0.75 + 0.33 * k, 1.1 + 0.18 * k, 49);
            dl.stroke(arc, DisplayList::solid(tint(arcColors[k], 0.1 + 0.1 * G)), 0.6 + 0.2 * k + 0.3 * G);
        }

        constexpr Tint sparkColors[] = {white, cyan, purple, orange};
        for (int k = 0; k < 10; ++k) {
            const double beta = twoPi * k / 10;
            const double s = t * (0.42 + 0.06 * (k % 4));
            const double D = r3 * (0.16 + 0.1 * (k % 5));
            const Rgba c = tint(sparkColors[k % 4]);
            glowDisc(dl, cx + 0.7 * D * slm::math::cosine(beta + s), cy + 0.55 * D * slm::math::sine(1.25 * beta - 0.82 * s),
                     U * (0.085 + 0.03 * (k % 3) + 0.015 * G),
                     {c.withOpacity(0.14 + 0.12 * G), c.withOpacity(0.05), clearColor});
        }
    }

    // Charge rings, the core ring table, tilted ellipses and eight rings.
    void rings()
    {
        if (Q > 0) {
            const double q = U * (2.9 - 0.95 * Q);
            ring(dl, cx, cy, q, tint(white, 0.16 + 0.22 * Q), 0.95 + 1.45 * Q);
            ring(dl, cx, cy, 1.18 * q, tint(cyan, 0.08 + 0.18 * Q), 0.65 + 0.9 * Q);
        }

        for (int k = 0; k < 5; ++k) {
            const CoreRing& cr = coreRings[k];
            const double r = (1 + 0.1 * G + 0.016 * slm::math::sine(t * (0.55 + 0.08 * k))) * U * cr.factor;
            ring(dl, cx, cy, r, tint(cr.color, cr.opacity + 0.18 * G), cr.width + 0.95 * G);
        }

        constexpr Tint tiltedColors[] = {white, white, cyan, cyan, purple, orange};
        for (int k = 0; k < 6; ++k) {
            const double fk = k / 5.0;
            const PathRef e = turnedArc(dl, cx, cy, U * (1.3 + 1.65 * fk), U * (0.45 + 0.34 * fk),
                                        0.2 + t * (0.025 + 0.0032 * k + 0.0028 * G), 0, twoPi, 181);
            dl.stroke(e, DisplayList::solid(tint(tiltedColors[k], 0.15 + 0.16 * G)), 0.72 + 0.5 * (1 - k / 5.0));
        }

        constexpr Tint ringColors[] = {cyan, blue, purple, white};
        for (int k = 0; k < 8; ++k) {
            const double r = U * (3 + 5.0 * k / 7) * (1 + 0.055 * G + 0.02 * slm::math::sine(0.9 * k + t * (0.24 + 0.035 * k)));
            ring(dl, cx, cy, r, tint(ringColors[k % 4], 0.08 + 0.07 * (1 - k / 7.0) + 0.06 * G), 0.55 + 0.48 * G);
        }
    }

    // Five wobbling orbits.
    void wobblingOrbits()
    {
        constexpr Tint colors[] = {white, cyan, blue, purple, orange};
        // The wobble's terms by angle addition: the angles come from tables
        // and the time phases are turned once per frame.
        const auto& once = turnAngles<150>();
        const auto& thrice = turnAngles<150, 3>();
        const auto& fivefold = turnAngles<150, 5>();
        const slm::math::SinCos drift = slm::math::sinCos(0.18 * t);
        for (int k = 0; k < 5; ++k) {
            const double ox = cx + 0.2 * U * slm::math::sine(t * (0.18 + 0.025 * k) + k);
            const double oy = cy + 0.14 * U * slm::math::cosine(0.7 * k + t * (0.16 + 0.021 * k));
            const double a = U * (2.4 + 2.25 * k / 4);
            const double b = U * (1.52 + 1.45 * k / 4);
            const double turn = 0.82 * k + t * (0.022 + 0.0048 * k);
            const slm::math::SinCos tilt = slm::math::sinCos(turn);
            const double ct = tilt.cos;
            const double st = tilt.sin;
            const slm::math::SinCos swing = slm::math::sinCos(0.3 * t + k);
            const auto first = dl.pointCount();
            for (int i = 0; i <= 150; ++i) {
                // sin(5θ − 0.18t) and sin(0.3t + k + 3θ)
                const double slow = fivefold[i].sin * drift.cos - fivefold[i].cos * drift.sin;
                const double fast = swing.sin * thrice[i].cos + swing.cos * thrice[i].sin;
                const double w = 1 + 0.03 * slow + 0.065 * fast;
                const double X = a * w * once[i].cos;
                const double Y = b * w * once[i].sin;
                dl.addPoint(ox + X * ct - Y * st, oy + X * st + Y * ct);
            }
            dl.stroke(dl.polylineFrom(first), DisplayList::solid(tint(colors[k], 0.1 + 0.09 * G + 0.018 * (4 - k))),
                      0.7 + 0.12 * (4 - k) + 0.38 * G);
        }
    }

    // Twenty curved filaments and eleven glow spots.
    void filamentsAndSpots()
    {
        constexpr Tint filamentColors[] = {white, cyan, blue, purple, orange};
        for (int k = 0; k < 20; ++k) {
            const double alpha = twoPi * k / 20 + t * (0.012 + 0.0022 * (k % 3));
            const double ri = U * (1.25 + 0.06 * (k % 3));
            const double ro = U * (4.8 + 0.46 * (k % 5));
            const double e = 0.2 * U * slm::math::sine(0.34 * t + 0.79 * k);
            const slm::math::SinCos at = slm::math::sinCos(alpha);
            const double ca = at.cos;
            const double sa = at.sin;
            const double rm = (ri + ro) / 2;
            const PathRef curve = dl.quadratic(pt(cx + ri * ca, cy + ri * sa),
                                               pt(cx + (rm * ca + e * -sa), cy + (rm * sa + e * ca)),
                                               pt(cx + ro * ca, cy + ro * sa));
            dl.stroke(curve, DisplayList::solid(tint(filamentColors[k % 5], 0.08 + 0.07 * G)), 0.48 + 0.34 * G);
        }

        constexpr Tint spotColors[] = {white, cyan, blue, purple};
        for (int k = 0; k < 11; ++k) {
            const double beta = twoPi * k / 11;
            const double s = t * (0.34 + 0.06 * (k % 3));
            const double D = U * (1.08 + 0.14 * G) * (0.16 + 0.11 * (k % 4) + 0.08 * slm::math::sine(0.55 * t + beta));
            const Rgba c = tint(spotColors[k % 4]);
            glowDisc(dl, cx + D * slm::math::cosine(beta + s), cy + 0.74 * D * slm::math::sine(1.12 * beta - 0.72 * s),
                     U * (0.18 + 0.06 * (k % 3) + 0.05 * G),
                     {c.withOpacity(0.28 + 0.1 * G), c.withOpacity(0.1), clearColor});
        }
    }

    // The white-hot centre, its ellipses, ring and cross.
    void hotCentre()
    {
        const double rc = U * (1.08 + 0.04 * B);
        gradientDisc(dl, cx, cy, rc, cx - 0.1 * rc, cy - 0.12 * rc, 0, rc,
                     {tint(white), tint(cyan, std::min(0.98 + 0.1 * G, 1.0)), tint(blue, 0.68 + 0.12 * G),
                      tint(purple, 0.34 + 0.1 * G), clearColor});

        const double rA = (1.4 + 0.07 * G) * rc;
        strokeEllipse(cx - 1.04 * rA, cy - 0.92 * rA, 2.08 * rA, 1.84 * rA,
                      dl.linear(pt(cx - rA, cy - 0.45 * rA), pt(cx + rA, cy + 0.45 * rA),
                                {tint(cyan, 0.16 + 0.1 * G), tint(white, 0.3 + 0.12 * G),
                                 tint(purple, 0.18 + 0.09 * G), tint(cyan, 0.1)}),
                      0.95 + 0.72 * G);
        strokeEllipse(cx - 0.92 * rA, cy - 1.02 * rA, 1.84 * rA, 2.04 * rA,
                      DisplayList::solid(tint(white, 0.08 + 0.08 * G)), 0.45 + 0.24 * G);

        glowDisc(dl, cx, cy, U * (0.37 + 0.08 * G),
                 {tint(white), tint(white), tint(cyan, 0.82 + 0.12 * G), clearColor});

        const double r18 = 1.05 * rc;
        dl.stroke(dl.circle(cx, cy, r18),
                  acrossGradient(dl, cx, cy, r18,
                                 {tint(purple, 0.36 + 0.14 * G), tint(cyan, 0.88 + 0.12 * G), tint(white),
                                  tint(cyan, 0.84 + 0.1 * G), tint(Tint::yellow, 0.5 + 0.1 * G),
                                  tint(orange, 0.34 + 0.08 * G)}),
                  1.18 + 1.65 * G);

        const double v = U * (2.1 + 0.45 * G);
        dl.stroke(dl.line(cx, cy - v, cx, cy + v), DisplayList::solid(tint(white, 0.22 + 0.18 * G)), 0.65 + 0.16 * G);
        dl.stroke(dl.line(cx - 2.1 * U, cy, cx + 2.1 * U, cy), DisplayList::solid(tint(white, 0.12 + 0.12 * G)),
                  0.45 + 0.1 * G);
    }

    // Glow rings and the rings of the open alignment windows.
    void windowRings()
    {
        if (G > 0) {
            const double g = U * (3.1 + 1.8 * G);
            ring(dl, cx, cy, g, tint(cyan, 0.1 + 0.2 * G), 0.95 + 1.2 * G);
            ring(dl, cx, cy, 1.22 * g, tint(white, 0.05 + 0.12 * G), 0.6 + 0.7 * G);
        }

        if (const double d = f.align[0]; d > 0.01) {
            const double p = U * (1.45 + 1.2 * d);
            ring(dl, cx, cy, p, tint(Tint::black, 0.26 + 0.3 * d), 1 + 2.8 * d);
            strokeEllipse(cx - 1.2 * p, cy - 0.88 * p, 2.4 * p, 1.76 * p,
                          acrossGradient(dl, cx, cy, p,
                                         {tint(purple, 0.1 + 0.14 * d), tint(cyan, 0.06 + 0.12 * d), clearColor}),
                          0.85 + 1.2 * d);
        }

        if (const double d = f.align[3]; d > 0.01) {
            const double r = U * (4.6 + 2.8 * d);
            dl.stroke(dl.circle(cx, cy, r),
                      acrossGradient(dl, cx, cy, r,
                                     {tint(white, 0.06 + 0.14 * d), tint(cyan, 0.08 + 0.16 * d),
                                      tint(purple, 0.08 + 0.16 * d), tint(orange, 0.05 + 0.1 * d)}),
                      0.75 + 1.65 * d);
        }

        if (const double d = f.align[2]; d > 0.01) {
            constexpr double base[3] = {2, 2.75, 3.5};
            constexpr double halfX[3] = {1, 1.12, 1.24};
            constexpr double halfY[3] = {0.7, 0.78, 0.86};
            for (int n = 0; n < 3; ++n) {
                const double r = U * (0.9 * d + base[n]);
                const double ax = halfX[n] * r;
                const double ay = halfY[n] * r;
                strokeEllipse(cx - ax, cy - ay, 2 * ax, 2 * ay,
                              acrossGradient(dl, cx, cy, r,
                                             {tint(cyan, 0.08 + 0.12 * d), tint(white, 0.1 + 0.16 * d),
                                              tint(purple, 0.08 + 0.12 * d)}),
                              0.6 + 1.05 * d);
            }
        }
    }

    // Rings that answer the clock accents.
    void accentRings()
    {
        const double v = f.accent.level;
        switch (f.accent.kind) {
        case ClockAccentKind::minute: {
            const double q = U * (2.8 + 1.1 * v);
            ring(dl, cx, cy, q, tint(cyan, 0.22 + 0.3 * v), 1.1 + 1.9 * v);
            ring(dl, cx, cy, 1.28 * q, tint(white, 0.12 + 0.18 * v), 0.7 + 1.1 * v);
            break;
        }
        case ClockAccentKind::halfMinute: {
            const double q = U * (2.4 + v);
            ring(dl, cx, cy, q, tint(white, 0.18 + 0.28 * v), 1 + 1.5 * v);
            for (int k = 0; k < 4; ++k) {
                const PathRef arc = turnedArc(dl, cx, cy, q * (1 + 0.18 * k), q * (0.55 + 0.12 * k),
                                              0.18 * t + 0.85 * k, -0.55 + 0.52 * k, 0.85, 37);
                dl.stroke(arc, DisplayList::solid(tint(k % 2 == 0 ? white : cyan, 0.14 + 0.2 * v)), 0.75 + 0.85 * v);
            }
            break;
        }
        case ClockAccentKind::hour: {
            const double q = U * (3.6 + 1.5 * v);
            ring(dl, cx, cy, q, tint(white, 0.22 + 0.34 * v), 1.35 + 2 * v);
            ring(dl, cx, cy, 0.72 * q, tint(cyan, 0.2 + 0.28 * v), 1 + 1.35 * v);
            ring(dl, cx, cy, 1.28 * q, tint(purple, 0.12 + 0.18 * v), 0.75 + v);
            break;
        }
        case ClockAccentKind::none: break;
        }
    }
};

} // namespace

CoreLevels coreLevels(const ClockFrame& f)
{
    const double a = accentLevel(f);
    const double Q = std::min(f.charge + 0.05 * f.slow[1] + 0.14 * f.A, 1.0);
    const double G = std::min(std::max(0.9 * std::min(a + 0.22 * f.A, 1.0), Q) + 0.24 * f.A, 1.0);
    const double U = f.R * (0.074 + 0.02 * Q);
    const double B = 0.92 + 0.08 * slm::math::sine(1.55 * f.t) + 0.08 * Q;
    return {Q, G, U, B};
}

void drawCentralCore(DisplayList& dl, const ClockFrame& f)
{
    const CoreLevels levels = coreLevels(f);
    Core core{dl, f, f.cx, f.cy, f.t, levels.Q, levels.G, levels.U, levels.B};
    const double r3 = levels.U * (0.82 + 0.16 * levels.G + 0.035 * slm::math::sine(0.88 * f.t));
    core.glowsAndBody(r3);
    core.rimArcsSparks(r3);
    core.rings();
    core.wobblingOrbits();
    core.filamentsAndSpots();
    core.hotCentre();
    core.windowRings();
    core.accentRings();
}
