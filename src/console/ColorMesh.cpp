#include "console/ColorMesh.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace slm::console {

namespace {

MeshColor mix(const MeshColor& a, const MeshColor& b, double t)
{
    const auto f = static_cast<float>(std::clamp(t, 0.0, 1.0));
    // Premultiplied mix, returned straight.
    const float pa = a.a * (1 - f) + b.a * f;
    if (pa <= 0)
        return {};
    const auto channel = [&](float ca, float cb) { return (ca * a.a * (1 - f) + cb * b.a * f) / pa; };
    return {channel(a.r, b.r), channel(a.g, b.g), channel(a.b, b.b), pa};
}

std::uint8_t toByte(double v)
{
    return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0));
}

// Segments per quarter circle: enough for a smooth edge at 4x zoom.
int cornerSegments(double radius)
{
    return std::clamp(static_cast<int>(std::ceil(radius * 1.2)), 2, 16);
}

} // namespace

MeshColor threeStopColor(const MeshColor& top, const MeshColor& middle, const MeshColor& bottom,
                         double middlePosition, double t)
{
    const double m = std::clamp(middlePosition, 1e-6, 1.0 - 1e-6);
    if (t <= m)
        return mix(top, middle, t / m);
    return mix(middle, bottom, (t - m) / (1.0 - m));
}

std::vector<ColorMesh::ContourPoint> ColorMesh::roundedRectContour(const QRectF& rect, double radius)
{
    const double r = std::clamp(radius, 0.0, std::min(rect.width(), rect.height()) / 2.0);
    const int segments = cornerSegments(r);
    // Corner centres clockwise from top-right (y grows downwards), each with
    // the angle at which its arc starts.
    const struct {
        QPointF centre;
        double startAngle;
    } corners[] = {
        {{rect.right() - r, rect.top() + r}, -std::numbers::pi / 2},
        {{rect.right() - r, rect.bottom() - r}, 0.0},
        {{rect.left() + r, rect.bottom() - r}, std::numbers::pi / 2},
        {{rect.left() + r, rect.top() + r}, std::numbers::pi},
    };
    std::vector<ContourPoint> contour;
    contour.reserve(4 * (segments + 1));
    for (const auto& corner : corners) {
        for (int i = 0; i <= segments; ++i) {
            const double angle = corner.startAngle + (std::numbers::pi / 2) * i / segments;
            const QPointF n(std::cos(angle), std::sin(angle));
            contour.push_back({corner.centre + n * r, n});
        }
    }
    return contour;
}

void ColorMesh::addBand(const std::vector<ContourPoint>& contour, const std::vector<double>& offsets,
                        const std::vector<double>& alphas, const Shading& shade)
{
    const auto ringSize = contour.size();
    if (ringSize < 3 || offsets.size() < 2)
        return;
    if (m_vertices.size() + ringSize * offsets.size() > 0xFFFF)
        return;
    const auto base = static_cast<std::uint16_t>(m_vertices.size());
    for (std::size_t j = 0; j < offsets.size(); ++j) {
        for (const auto& c : contour) {
            const QPointF p = c.p + c.n * offsets[j];
            const MeshColor colour = shade(p);
            const double a = colour.a * std::clamp(alphas[j], 0.0, 1.0);
            m_vertices.push_back({static_cast<float>(p.x()), static_cast<float>(p.y()),
                                  toByte(colour.r * a), toByte(colour.g * a), toByte(colour.b * a), toByte(a)});
        }
    }
    for (std::size_t j = 0; j + 1 < offsets.size(); ++j) {
        for (std::size_t i = 0; i < ringSize; ++i) {
            const auto next = (i + 1) % ringSize;
            const auto a0 = static_cast<std::uint16_t>(base + j * ringSize + i);
            const auto a1 = static_cast<std::uint16_t>(base + j * ringSize + next);
            const auto b0 = static_cast<std::uint16_t>(base + (j + 1) * ringSize + i);
            const auto b1 = static_cast<std::uint16_t>(base + (j + 1) * ringSize + next);
            m_indices.insert(m_indices.end(), {a0, a1, b0, a1, b1, b0});
        }
    }
}

void ColorMesh::addRoundedOutline(const QRectF& rect, double radius, double lineWidth, const Shading& shade)
{
    if (!(lineWidth > 0) || rect.width() <= lineWidth || rect.height() <= lineWidth)
        return;
    // The contour runs along the middle of the line.
    const double half = lineWidth / 2.0;
    const QRectF centreLine = rect.adjusted(half, half, -half, -half);
    const double centreRadius = std::max(radius - half, half + feather);
    const auto contour = roundedRectContour(centreLine, centreRadius);
    if (lineWidth >= 2 * feather) {
        const double core = half - feather;
        addBand(contour, {-half - feather, -core, core, half + feather}, {0, 1, 1, 0}, shade);
    } else {
        // Thinner than the blend: a tent one pixel wide each side, with the
        // peak lowered so the line keeps its weight.
        const double reach = 2 * feather;
        addBand(contour, {-reach, 0, reach}, {0, lineWidth / reach, 0}, shade);
    }
}

void ColorMesh::addRoundedFill(const QRectF& rect, double radius, const Shading& shade, int interiorRings)
{
    if (rect.width() <= 0 || rect.height() <= 0)
        return;
    // Offsets run inwards as far as the shape's middle line (or centre).
    const double depth = std::min(rect.width(), rect.height()) / 2.0;
    const auto contour = roundedRectContour(rect, radius);
    if (depth <= feather) {
        // Smaller than the blend: fades as a whole.
        addBand(contour, {-depth, feather}, {depth / feather, 0}, shade);
        return;
    }
    std::vector<double> offsets;
    std::vector<double> alphas;
    const int rings = std::max(interiorRings, 1);
    for (int k = 0; k < rings; ++k) {
        offsets.push_back(-depth + (depth - feather) * k / rings);
        alphas.push_back(1.0);
    }
    offsets.insert(offsets.end(), {-feather, feather});
    alphas.insert(alphas.end(), {1.0, 0.0});
    addBand(contour, offsets, alphas, shade);
}

void ColorMesh::addDisc(QPointF centre, double radius, const Shading& shade, int rings)
{
    if (!(radius > 0))
        return;
    const QRectF square(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    addRoundedFill(square, radius, shade, rings);
}

void ColorMesh::addRing(QPointF centre, double innerRadius, double outerRadius, const Shading& shade)
{
    if (!(outerRadius > innerRadius) || !(outerRadius > 0))
        return;
    const QRectF square(centre.x() - outerRadius, centre.y() - outerRadius, 2 * outerRadius, 2 * outerRadius);
    addRoundedOutline(square, outerRadius, outerRadius - std::max(innerRadius, 0.0), shade);
}

void ColorMesh::addBar(QPointF a, QPointF b, double width, const Shading& shade)
{
    if (!(width > 0))
        return;
    const QPointF d = b - a;
    const double length = std::hypot(d.x(), d.y());
    if (length <= 0) {
        addDisc(a, width / 2, shade, 1);
        return;
    }
    // Build the stadium along +x, then rotate each vertex into place.
    const double angle = std::atan2(d.y(), d.x());
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    const auto place = [&](QPointF p) { return QPointF(a.x() + p.x() * c - p.y() * s, a.y() + p.x() * s + p.y() * c); };
    const QRectF local(-width / 2, -width / 2, length + width, width);
    const auto first = m_vertices.size();
    addRoundedFill(local, width / 2, [&](QPointF p) { return shade(place(p)); }, 1);
    for (auto i = first; i < m_vertices.size(); ++i) {
        const QPointF p = place(QPointF(m_vertices[i].x, m_vertices[i].y));
        m_vertices[i].x = static_cast<float>(p.x());
        m_vertices[i].y = static_cast<float>(p.y());
    }
}

} // namespace slm::console
