#include "console/DomedHead.h"

#include <algorithm>
#include <cmath>
#include <numbers>

using slm::console::MeshColor;

namespace {

double smoothstep(double edge0, double edge1, double x)
{
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

// Polished steel under a light from the upper left: a bright hot spot, a
// quick fall to mid grey and a dark lower edge.
MeshColor steel(double t, double brightness)
{
    struct Stop {
        double at;
        float level;
    };
    static constexpr Stop stops[] = {{0.0, 0.84f}, {0.28f, 0.52f}, {0.66f, 0.25f}, {1.0, 0.10f}};
    t = std::clamp(t, 0.0, 1.0);
    float level = stops[3].level;
    for (int i = 0; i < 3; ++i) {
        if (t <= stops[i + 1].at) {
            const double f = (t - stops[i].at) / (stops[i + 1].at - stops[i].at);
            level = static_cast<float>(stops[i].level + (stops[i + 1].level - stops[i].level) * f);
            break;
        }
    }
    const auto v = static_cast<float>(std::clamp(level * brightness, 0.0, 1.0));
    // A cool tint reads as steel rather than plastic.
    return {v * 0.97f, v * 0.985f, v, 1.0f};
}

} // namespace

DomedHead::DomedHead(QQuickItem* parent)
    : MeshItem(parent)
{
}

void DomedHead::buildMesh(slm::console::ColorMesh& mesh) const
{
    const double r = std::min(width(), height()) / 2.0;
    if (r <= 0)
        return;
    const QPointF c(width() / 2.0, height() / 2.0);

    const QPointF shadowCentre = c + QPointF(0, 0.16 * r);
    const double shadowRadius = 1.28 * r;
    const auto shadowAlpha = static_cast<float>(std::clamp(m_shadowOpacity, 0.0, 1.0));
    mesh.addDisc(shadowCentre, shadowRadius, [&](QPointF p) {
        const double d = std::hypot(p.x() - shadowCentre.x(), p.y() - shadowCentre.y());
        return MeshColor{0, 0, 0, shadowAlpha * static_cast<float>(1 - smoothstep(0.7 * r, shadowRadius, d))};
    }, 5);

    const QPointF hotSpot = c + QPointF(-0.34 * r, -0.4 * r);
    const double reach = 1.5 * r;
    const double brightness = m_brightness;
    mesh.addDisc(c, r, [&](QPointF p) {
        return steel(std::hypot(p.x() - hotSpot.x(), p.y() - hotSpot.y()) / reach, brightness);
    }, 8);

    if (m_slotted) {
        const double angle = m_slotAngle * std::numbers::pi / 180.0;
        const QPointF along(std::cos(angle) * 0.64 * r, std::sin(angle) * 0.64 * r);
        const double slotWidth = std::max(0.24 * r, 0.8);
        // The slot's far wall catches the light: a faint lip just below it.
        const QPointF lip(0, 0.45);
        mesh.addBar(c - along + lip, c + along + lip, slotWidth, [](QPointF) { return MeshColor{1, 1, 1, 0.16f}; });
        mesh.addBar(c - along, c + along, slotWidth, [](QPointF) { return MeshColor{0.02f, 0.02f, 0.025f, 0.82f}; });
    }

    const auto rim = meshColor(m_rimColor);
    mesh.addRing(c, r - m_rimWidth, r, [&](QPointF) { return rim; });
}
