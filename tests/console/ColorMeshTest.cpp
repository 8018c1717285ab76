#include "console/ColorMesh.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace slm::console;

namespace {

// The integral of alpha over the mesh. Alpha is interpolated linearly, so
// each triangle adds its area times the mean of its vertex alphas.
double coverage(const ColorMesh& mesh)
{
    const auto& v = mesh.vertices();
    const auto& idx = mesh.indices();
    double total = 0;
    for (std::size_t i = 0; i + 2 < idx.size(); i += 3) {
        const MeshVertex& a = v.at(idx[i]);
        const MeshVertex& b = v.at(idx[i + 1]);
        const MeshVertex& c = v.at(idx[i + 2]);
        const double area = std::abs((b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y)) / 2;
        total += area * (a.a + b.a + c.a) / (3.0 * 255.0);
    }
    return total;
}

MeshColor opaqueWhite(QPointF) { return {1, 1, 1, 1}; }

} // namespace

TEST(ConsoleColorMesh, ShapesCoverTheirOwnArea)
{
    ColorMesh disc;
    disc.addDisc({20, 20}, 10, opaqueWhite);
    EXPECT_NEAR(coverage(disc), std::numbers::pi * 100, 2.0);

    // A 1-point line around a 100 x 60 rectangle: its perimeter times its width.
    ColorMesh outline;
    outline.addRoundedOutline(QRectF(0, 0, 100, 60), 0, 1.0, opaqueWhite);
    EXPECT_NEAR(coverage(outline), 2 * (99 + 59), 3.0);

    // Lines thinner than a pixel keep their weight by fading, not widening.
    ColorMesh hairline;
    hairline.addRoundedOutline(QRectF(0, 0, 100, 60), 8, 0.5, opaqueWhite);
    ColorMesh line;
    line.addRoundedOutline(QRectF(0, 0, 100, 60), 8, 1.0, opaqueWhite);
    EXPECT_NEAR(coverage(hairline) / coverage(line), 0.5, 0.03);

    ColorMesh bar;
    bar.addBar({0, 0}, {30, 40}, 2, opaqueWhite);
    EXPECT_NEAR(coverage(bar), 50 * 2 + std::numbers::pi, 1.5);

    ColorMesh nothing;
    nothing.addDisc({0, 0}, 0, opaqueWhite);
    nothing.addRoundedOutline(QRectF(0, 0, 1, 50), 2, 1.5, opaqueWhite);
    EXPECT_TRUE(nothing.isEmpty());
}

TEST(ConsoleColorMesh, ColoursArePremultipliedAndFollowTheShading)
{
    // White above y = 50, half-transparent red below.
    ColorMesh mesh;
    mesh.addRoundedOutline(QRectF(0, 0, 40, 100), 4, 2, [](QPointF p) {
        return p.y() < 50 ? MeshColor{1, 1, 1, 1} : MeshColor{1, 0, 0, 0.5f};
    });
    for (const auto& v : mesh.vertices()) {
        EXPECT_EQ(v.r, v.a);
        EXPECT_EQ(v.g, v.y < 50 ? v.a : 0);
        EXPECT_LE(v.a, v.y < 50 ? 255 : 128);
        // Only the blend fringe (alpha 0) reaches past the rectangle.
        if (v.a > 0) {
            EXPECT_TRUE(QRectF(0, 0, 40, 100).contains(QPointF(v.x, v.y))) << v.x << "," << v.y;
        }
    }
}

TEST(ConsoleColorMesh, ThreeStopGradientPassesThroughEachStop)
{
    const MeshColor top{1, 1, 1, 0.18f};
    const MeshColor middle{1, 1, 1, 0.035f};
    const MeshColor bottom{0, 0, 0, 0.7f};
    EXPECT_FLOAT_EQ(threeStopColor(top, middle, bottom, 0.5, 0.0).a, 0.18f);
    EXPECT_FLOAT_EQ(threeStopColor(top, middle, bottom, 0.5, 0.5).a, 0.035f);
    EXPECT_FLOAT_EQ(threeStopColor(top, middle, bottom, 0.5, 1.5).a, 0.7f);
    // Fading towards a transparent stop keeps the colour instead of greying it.
    const MeshColor halfway = threeStopColor(top, top, MeshColor{}, 0.5, 0.75);
    EXPECT_FLOAT_EQ(halfway.r, 1.0f);
    EXPECT_FLOAT_EQ(halfway.a, 0.09f);
}
