#include "clock/Backdrop.h"

#include "clock/ClockShapes.h"

#include "math/Trig.h"

#include <cmath>

using namespace clockdraw;

namespace {

struct Nebula {
    double x, y;
    Tint color;
    double opacity;
};

constexpr Nebula nebulae[] = {
    {-0.7, -0.34, Tint::blue, 0.022},
    {0.82, -0.18, Tint::purple, 0.019},
    {0.48, 0.73, Tint::orange, 0.014},
    {-0.58, 0.62, Tint::cyan, 0.013},
};

double fr(double v) { return std::abs(v) - std::floor(std::abs(v)); }

} // namespace

BackdropStar backdropStar(int i, double w, double h)
{
    return {w * fr(slm::math::sine(12.9898 * i) * 43758.5453), h * fr(slm::math::sine(78.233 * i) * 24634.6345),
            i % 13 == 0 ? 0.7 : 0.34};
}

void drawBackdrop(DisplayList& dl, const ClockFrame& f)
{
    const double R = f.R;
    const double t = f.t;

    for (int i = 0; i < 4; ++i) {
        const Nebula& n = nebulae[i];
        const double m = R * slm::math::sine(t * (0.025 + 0.006 * i)) * (0.02 + 0.016 * f.slow[4]);
        const double ri = R * (0.4 + 0.04 * i + 0.03 * f.slow[1]);
        const Rgba c = tint(n.color);
        glowDisc(dl, f.cx + R * n.x + m, f.cy + R * n.y - 0.45 * m, ri,
                 {c.withOpacity(n.opacity * (0.85 + 0.7 * f.slow[3])),
                  c.withOpacity(n.opacity * (0.28 + 0.2 * f.slow[2])), clearColor});
    }

    if (const double d = f.align[4]; d > 0.01) {
        const double x = f.cx + 1.55 * R;
        const double y = f.cy - 0.82 * R;
        const double k = 0.22 * d;
        const double r = R * (0.18 + k);
        glowDisc(dl, x, y, r,
                 {tint(Tint::white, 0.16 + 0.34 * d), tint(Tint::cyan, 0.1 + k), tint(Tint::purple, 0.06 + 0.18 * d),
                  clearColor});
        const Paint cross = DisplayList::solid(tint(Tint::white, 0.08 + k));
        const double width = 0.55 + 0.85 * d;
        dl.stroke(dl.line(x - 1.8 * r, y, x + 1.8 * r, y), cross, width);
        dl.stroke(dl.line(x, y - 1.8 * r, x, y + 1.8 * r), cross, width);
    }

    if (const double d = f.align[3]; d > 0.01) {
        const double x = f.cx - 0.96 * R;
        const double y = f.cy + 0.48 * R;
        const double g = R * (0.68 + 0.38 * d);
        dl.stroke(dl.circle(x, y, g),
                  acrossGradient(dl, x, y, g,
                                 {tint(Tint::cyan, 0.03 + 0.1 * d), tint(Tint::white, 0.06 + 0.14 * d),
                                  tint(Tint::purple, 0.04 + 0.1 * d), clearColor}),
                  0.6 + 1.2 * d);
    }

    for (int i = 0; i < backdropStarCount; ++i) {
        const BackdropStar s = backdropStar(i, f.width, f.height);
        disc(dl, s.x, s.y, s.radius, tint(Tint::white, 0.055 + 0.065 * (0.5 + 0.5 * slm::math::sine(0.35 * t + i))));
    }
}
