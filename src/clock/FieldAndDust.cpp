#include "clock/FieldAndDust.h"

#include "clock/ClockMath.h"
#include "clock/ClockShapes.h"

#include "math/Trig.h"

#include <cmath>

using namespace clockmath;
using namespace clockdraw;

namespace {

struct Speck {
    double x, y, radius, opacity;
    Tint color;
};

constexpr Speck dust[] = {
    {-0.92, -0.34, 1.2, 0.34, Tint::cyan},  {-0.81, 0.58, 0.8, 0.25, Tint::purple},
    {-0.68, -0.72, 1.0, 0.3, Tint::white},  {-0.55, 0.86, 1.4, 0.28, Tint::orange},
    {-0.42, -0.54, 0.7, 0.34, Tint::cyan},  {-0.27, 0.72, 1.1, 0.24, Tint::purple},
    {-0.13, -0.88, 0.9, 0.32, Tint::cyan},  {0.08, 0.91, 1.2, 0.27, Tint::orange},
    {0.22, -0.69, 0.8, 0.28, Tint::white},  {0.39, 0.62, 1.0, 0.31, Tint::cyan},
    {0.54, -0.83, 1.3, 0.25, Tint::orange}, {0.69, 0.42, 0.8, 0.3, Tint::purple},
    {0.82, -0.18, 1.0, 0.27, Tint::cyan},   {0.94, 0.7, 1.2, 0.23, Tint::white},
    {-0.73, 0.08, 0.6, 0.22, Tint::cyan},   {0.73, -0.58, 0.7, 0.25, Tint::orange},
    {-0.06, 0.43, 0.65, 0.2, Tint::purple}, {0.16, -0.31, 0.55, 0.23, Tint::white},
    {-0.34, 0.18, 0.7, 0.21, Tint::orange}, {0.47, 0.12, 0.6, 0.24, Tint::cyan},
};

constexpr int fieldLineSegments = 220;

} // namespace

void drawFieldAndDust(DisplayList& dl, const ClockFrame& f)
{
    const double R = f.R;
    const double E = layerEnergy(f);

    for (int i = 0; i <= 6; ++i) {
        const double fi = i / 6.0;
        const double a = R * (0.3 + 0.72 * fi);
        const double b = R * (0.14 + 0.43 * fi);
        const double drift = 0.012 * R * slm::math::sine(0.045 * f.t + 0.9 * i);
        const auto first = dl.pointCount();
        for (const slm::math::SinCos& at : turnAngles<fieldLineSegments>()) {
            const double s = at.sin;
            const double c = at.cos;
            const double q = 1 - 0.1 * E * s * s;
            const double X = a * c * q;
            const double Y = b * s * q;
            dl.addPoint(f.cx + drift + X + 0.18 * Y, f.cy + Y - 0.045 * X);
        }
        dl.stroke(dl.polylineFrom(first),
                  DisplayList::solid(tint(i % 2 == 0 ? Tint::cyan : Tint::purple,
                                          0.018 + 0.034 * (1 - fi) + 0.035 * E)),
                  0.42 + 0.38 * (1 - fi));
    }

    const double v = accentLevel(f);
    glowDisc(dl, f.cx, f.cy, 0.82 * R,
             {tint(Tint::blue, 0.11 + 0.16 * v), tint(Tint::purple, 0.075 + 0.12 * v),
              tint(Tint::orange, 0.07 + 0.14 * v), clearColor});

    for (const Speck& s : dust)
        disc(dl, f.cx + R * s.x, f.cy + R * s.y, s.radius, tint(s.color, s.opacity));
}
