#include "clock/OrbitLayers.h"

#include "clock/BodyDrawing.h"
#include "clock/ClockMath.h"
#include "clock/ClockShapes.h"
#include "clock/OrbitModel.h"

#include "math/Trig.h"

#include <algorithm>
#include <cmath>

using namespace clockmath;
using namespace clockdraw;

namespace {

// orbitPoint() at every angle of the outline, with the tilt turned once.
template <int segments>
PathRef orbitOutline(DisplayList& dl, const ClockFrame& f, double rx, double ry, double tilt, double m)
{
    const slm::math::SinCos turn = slm::math::sinCos(tilt);
    const double a = m * rx * f.R;
    const double b = m * ry * f.R;
    const auto first = dl.pointCount();
    for (const slm::math::SinCos& at : turnAngles<segments>()) {
        const double X = a * at.cos;
        const double Y = b * at.sin;
        dl.addPoint(f.cx + X * turn.cos - Y * turn.sin, f.cy + X * turn.sin + Y * turn.cos);
    }
    return dl.polylineFrom(first);
}

void drawMarker(DisplayList& dl, QPointF p, double glowRadius, double dotRadius, Rgba color)
{
    glowDisc(dl, p.x(), p.y(), glowRadius, {color.withOpacity(0.36), color.withOpacity(0.1), clearColor});
    disc(dl, p.x(), p.y(), dotRadius, color);
}

} // namespace

void drawOrbitTable(DisplayList& dl, const ClockFrame& f)
{
    const double E = layerEnergy(f);
    const double t = f.t;
    const auto& table = orbitDefinitions();
    for (int i = 0; i < static_cast<int>(table.size()); ++i) {
        const OrbitDefinition& o = table[i];
        const Rgba color = tint(o.color);
        const double phi = orbitTilt(o.rotation, o.speed, t);
        const auto at = [&](double theta) { return orbitPoint(f.cx, f.cy, f.R, o.rx, o.ry, phi, theta); };

        dl.stroke(orbitOutline<orbitOutlineSegments>(dl, f, o.rx, o.ry, phi, 1),
                  DisplayList::solid(color.withOpacity((0.62 + 0.22 * E) * o.opacity)),
                  o.lineWidth * (0.78 + 0.18 * E + 0.1 * f.slow[1]));

        const double G = o.lineWidth * (7.5 + 3.2 * E + 2.8 * f.align[2]);
        drawMarker(dl, at(orbitMarkerAAngle(o, i, t)), G, 0.85 * o.lineWidth, color);
        drawMarker(dl, at(orbitMarkerBAngle(o, i, t)), G, 1.05 * o.lineWidth, color);

        for (int j = 0; j < static_cast<int>(o.objects.size()); ++j) {
            const OrbitObject& obj = o.objects[j];
            const double sm = obj.speedMultiplier;
            const double theta = orbitObjectAngle(o, obj, t);
            const QPointF P = at(theta);
            const double d = orbitDepth(theta);
            const double fl = 0.5 + 0.5 * slm::math::sine(1.4 * j + 0.7 * i + 2.4 * theta - t * (0.95 + 0.18 * sm));
            const double x = P.x() + f.R * 0.0028 * slm::math::sine(t * (1.05 + 0.22 * sm) + 1.8 * theta) * (fl + 0.45);
            const double y = P.y() + f.R * 0.0022 * slm::math::cosine(t * (0.9 + 0.18 * sm) - 1.5 * theta) * (fl + 0.45);
            const double b = std::min(0.34 * E + 0.34 * d + 0.22 + 0.34 * fl, 1.0);
            const double size = obj.radius * (0.12 * E + 0.28 * d + 0.96 + 0.12 * fl);
            drawBody(dl, f, x, y, size, b, d, tint(obj.color));
        }
    }
}

void drawLocalOrbits(DisplayList& dl, const ClockFrame& f)
{
    const double E = layerEnergy(f);
    const double t = f.t;
    const auto& table = localOrbits();
    for (int i = 0; i < static_cast<int>(table.size()); ++i) {
        const LocalOrbit& o = table[i];
        const Rgba color = tint(o.color);
        const double m = localOrbitSizeFactor(i, E);
        const double phi = orbitTilt(o.rotation, o.speed, t);

        dl.stroke(orbitOutline<localOrbitOutlineSegments>(dl, f, o.rx, o.ry, phi, m),
                  DisplayList::solid(color.withOpacity(o.opacity + 0.06 * E)),
                  o.lineWidth * (0.98 + 0.18 * E + 0.08 * f.slow[3]));

        const double theta = localOrbitBodyAngle(o, i, t);
        const QPointF P = orbitPoint(f.cx, f.cy, f.R, o.rx, o.ry, phi, theta, m);
        const double d = orbitDepth(theta);
        const double fl = 0.5 + 0.5 * slm::math::sine(t * (0.84 + 0.12 * i) + 2.8 * theta);
        const double b = std::min(0.34 * E + 0.28 * d + 0.24 + 0.28 * fl, 1.0);
        const double size = o.bodyRadius * (0.14 * E + 0.22 * d + 0.9 + 0.1 * fl);
        drawBody(dl, f, P.x(), P.y(), size, b, d, color);
    }
}
