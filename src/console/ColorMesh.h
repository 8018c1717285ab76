#pragma once

#include <QPointF>
#include <QRectF>

#include <cstdint>
#include <functional>
#include <vector>

// Antialiased, per-vertex coloured shapes for the console's machined parts
// (bevels, borders, screw heads). Qt Quick has no radial gradients and no
// gradient strokes, so these are tessellated on the CPU and drawn by the
// scene graph's vertex-colour material, which stays sharp at any scale.
namespace slm::console {

// Straight (non-premultiplied) colour, components 0 ... 1.
struct MeshColor {
    float r = 0, g = 0, b = 0, a = 0;
};

// Same layout as QSGGeometry::ColoredPoint2D; colours premultiplied.
struct MeshVertex {
    float x, y;
    std::uint8_t r, g, b, a;
};

// Colour interpolated between stops at 0, `middle` and 1 (premultiplied, so
// a fade to a transparent stop does not darken on the way).
MeshColor threeStopColor(const MeshColor& top, const MeshColor& middle, const MeshColor& bottom,
                         double middlePosition, double t);

class ColorMesh {
public:
    using Shading = std::function<MeshColor(QPointF)>;

    // Edge blend width either side of a shape's edge, in item units: about
    // one device pixel at 1x.
    static constexpr double feather = 0.5;

    // A rounded-rectangle line of `lineWidth` whose outer edge follows `rect`.
    void addRoundedOutline(const QRectF& rect, double radius, double lineWidth, const Shading& shade);

    // A filled rounded rectangle (a disc when the radius is half the size).
    void addRoundedFill(const QRectF& rect, double radius, const Shading& shade, int interiorRings = 1);

    // A filled disc, shaded per vertex over `rings` concentric rings.
    void addDisc(QPointF centre, double radius, const Shading& shade, int rings = 6);

    // A ring between two radii.
    void addRing(QPointF centre, double innerRadius, double outerRadius, const Shading& shade);

    // A straight bar with round ends from `a` to `b`.
    void addBar(QPointF a, QPointF b, double width, const Shading& shade);

    const std::vector<MeshVertex>& vertices() const { return m_vertices; }
    const std::vector<std::uint16_t>& indices() const { return m_indices; }
    bool isEmpty() const { return m_indices.empty(); }

private:
    struct ContourPoint {
        QPointF p;
        QPointF n; // outward unit normal
    };
    static std::vector<ContourPoint> roundedRectContour(const QRectF& rect, double radius);

    // Rings of vertices at the given offsets along the contour's normals,
    // each with its own alpha factor, joined into triangles.
    void addBand(const std::vector<ContourPoint>& contour, const std::vector<double>& offsets,
                 const std::vector<double>& alphas, const Shading& shade);

    std::vector<MeshVertex> m_vertices;
    std::vector<std::uint16_t> m_indices;
};

} // namespace slm::console
