#include "clock/gl/GLOffscreenClockRenderer.h"

#include <QImage>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <memory>
#include <numbers>

namespace {

// Pixel values of the premultiplied image, 0...255.
struct Px {
    int r, g, b, a;
};

Px at(const QImage& image, int x, int y)
{
    const QRgb v = reinterpret_cast<const QRgb*>(image.constScanLine(y))[x];
    return {qRed(v), qGreen(v), qBlue(v), qAlpha(v)};
}

void expectPx(const QImage& image, int x, int y, Px want, int tolerance = 2)
{
    const Px got = at(image, x, y);
    EXPECT_NEAR(got.r, want.r, tolerance) << "red at " << x << "," << y;
    EXPECT_NEAR(got.g, want.g, tolerance) << "green at " << x << "," << y;
    EXPECT_NEAR(got.b, want.b, tolerance) << "blue at " << x << "," << y;
    EXPECT_NEAR(got.a, want.a, tolerance) << "alpha at " << x << "," << y;
}

double alphaSum(const QImage& image)
{
    double sum = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            sum += at(image, x, y).a / 255.0;
    return sum;
}

void background(DisplayList& list, double w, double h, Rgba colour = tint(Tint::black))
{
    const auto first = list.pointCount();
    list.addPoint(0, 0);
    list.addPoint(w, 0);
    list.addPoint(w, h);
    list.addPoint(0, h);
    list.fill(list.polylineFrom(first), DisplayList::solid(colour));
}

PathRef polyline(DisplayList& list, std::initializer_list<Point2> points)
{
    const auto first = list.pointCount();
    for (Point2 p : points)
        list.addPoint(p.x, p.y);
    return list.polylineFrom(first);
}

class GLClockRendererTest : public testing::Test {
protected:
    static void SetUpTestSuite() { s_renderer = std::make_unique<GLOffscreenClockRenderer>(); }
    static void TearDownTestSuite() { s_renderer.reset(); }
    void SetUp() override { ASSERT_TRUE(s_renderer->isValid()) << s_renderer->errorString().toStdString(); }

    static QImage render(const DisplayList& list, int w = 100, int h = 100, double dpr = 1)
    {
        QImage image = s_renderer->render(list, QSize(w, h), dpr);
        EXPECT_FALSE(image.isNull()) << s_renderer->errorString().toStdString();
        return image;
    }

    static std::unique_ptr<GLOffscreenClockRenderer> s_renderer;
};

std::unique_ptr<GLOffscreenClockRenderer> GLClockRendererTest::s_renderer;

TEST_F(GLClockRendererTest, SolidDiscsHaveTheirColourAndArea)
{
    DisplayList list;
    list.fill(list.circle(50, 50, 20), DisplayList::solid(srgb(1, 0.5, 0.25)));
    list.fill(list.circle(80, 80, 10), DisplayList::solid(srgb(0, 1, 0, 0.5)));
    list.fill(list.circle(15, 85, 8), DisplayList::solid(srgb(0, 0, 1, 1.7))); // above 1: opaque
    const QImage image = render(list);
    ASSERT_EQ(image.size(), QSize(100, 100));
    expectPx(image, 50, 50, {255, 128, 64, 255});
    expectPx(image, 80, 80, {0, 128, 0, 128}); // premultiplied
    expectPx(image, 15, 85, {0, 0, 255, 255});
    expectPx(image, 50, 75, {0, 0, 0, 0});
    // Coverage: the discs' areas, the translucent one at half weight.
    const double want = std::numbers::pi * (20 * 20 + 0.5 * 10 * 10 + 8 * 8);
    EXPECT_NEAR(alphaSum(image), want, 0.01 * want);
}

TEST_F(GLClockRendererTest, GradientsMixPremultipliedStopsAndPad)
{
    DisplayList list;
    background(list, 200, 110);
    // Red inside the start radius, blue at and beyond the end radius.
    list.fill(list.circle(50, 50, 45), list.radial({50, 50}, 10, 40, {tint(Tint::red), srgb(0, 0, 1)}));
    // Opaque white to clear: premultiplied interpolation keeps it white, never grey;
    // an opacity above 1 counts as 1.
    list.fill(list.circle(150, 50, 45), list.radial({150, 50}, 0, 40, {srgb(1, 1, 1, 2.5), clearColor}));
    // Three stops from x = 25 to 75, padded on both sides.
    list.fill(polyline(list, {{0, 100}, {100, 100}, {100, 110}, {0, 110}}),
              list.linear({25, 105}, {75, 105}, {srgb(0, 0, 0), srgb(1, 1, 1), srgb(1, 0, 0)}));
    const QImage image = render(list, 200, 110);

    const Rgba red = tint(Tint::red);
    const auto redAt = [&](double t) {
        return Px{int(std::lround(255 * (1 - t))), int(std::lround(red.g * 255 * (1 - t))),
                  int(std::lround(red.b * 255 * (1 - t) + 255 * t)), 255};
    };
    expectPx(image, 55, 50, redAt(0));
    expectPx(image, 92, 50, redAt(1));
    for (int x : {62, 70, 78, 86})
        expectPx(image, x, 50, redAt((std::hypot(x + 0.5 - 50, 0.5) - 10) / 30));
    // Radius 20.5 on the white gradient: half opacity, white over black.
    const Px half = at(image, 170, 50);
    EXPECT_NEAR(half.r, 124, 3);
    EXPECT_EQ(half.r, half.g);
    EXPECT_EQ(half.r, half.b);

    expectPx(image, 10, 105, {0, 0, 0, 255});
    expectPx(image, 90, 105, {255, 0, 0, 255});
    EXPECT_NEAR(at(image, 37, 105).g, 128, 4); // a quarter of the way
    EXPECT_GE(at(image, 49, 105).g, 248);      // the middle stop
}

TEST_F(GLClockRendererTest, TranslucentStrokeBlendsOnceWhereItCrossesItself)
{
    DisplayList list;
    background(list, 100, 100);
    // A path that crosses itself at (50, 50), doubles back on itself between
    // (70, 30) and (70, 20), and folds at sharp corners.
    const PathRef path = polyline(list, {{10, 50}, {90, 50}, {90, 30}, {70, 30}, {70, 20}, {70, 30}, {50, 30},
                                         {50, 90}, {45, 20}, {40, 90}});
    list.stroke(path, DisplayList::solid(srgb(1, 1, 1, 0.5)), 8);
    // A second operation over the first does blend again.
    list.stroke(list.line(10, 70, 90, 70), DisplayList::solid(srgb(1, 1, 1, 0.5)), 8);
    const QImage image = render(list);

    expectPx(image, 30, 50, {128, 128, 128, 255});
    expectPx(image, 50, 50, {128, 128, 128, 255}); // the crossing
    expectPx(image, 50, 70, {191, 191, 191, 255}); // two operations
    expectPx(image, 20, 70, {128, 128, 128, 255});
    int brightest = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            if (y < 65 || y > 75)
                brightest = std::max(brightest, at(image, x, y).r);
    EXPECT_LE(brightest, 129);
}

// Finely sampled curves, as the strands are: every join is split between its
// two segments, so no pixel inside the stroke is missed or blended twice.
TEST_F(GLClockRendererTest, TranslucentCurveHasNoSeamsAtItsJoins)
{
    DisplayList list;
    background(list, 100, 100);
    const auto first = list.pointCount();
    for (int i = 0; i <= 150; ++i) {
        // Three quarters of a circle of radius 30, unevenly sampled about a pixel apart.
        const double a = 1.5 * std::numbers::pi * (i + 0.3 * std::sin(i)) / 150;
        list.addPoint(50 + 30 * std::cos(a), 50 + 30 * std::sin(a));
    }
    list.stroke(list.polylineFrom(first), DisplayList::solid(srgb(1, 1, 1, 0.5)), 6);
    const QImage image = render(list);
    int inside = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) {
            const int v = at(image, x, y).r;
            EXPECT_LE(v, 129) << x << "," << y;
            const double r = std::hypot(x + 0.5 - 50, y + 0.5 - 50);
            const double angle = std::atan2(y + 0.5 - 50, x + 0.5 - 50);
            // Well inside the stroke (from angle 0 to -pi/2 the long way) and away from its ends.
            if (std::abs(r - 30) < 2 && (angle > 0.1 || angle < -1.67)) {
                EXPECT_NEAR(v, 128, 1) << x << "," << y;
                ++inside;
            }
        }
    EXPECT_GT(inside, 400);
}

// Without multisampling the shaders grade every edge: many coverage levels,
// and the ink of each shape is its area.
TEST_F(GLClockRendererTest, EdgesAreGradedAndKeepTheirArea)
{
    const auto levelsAndInk = [&](const DisplayList& list, int& levels, double& ink) {
        const QImage image = render(list);
        bool seen[256] = {};
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 100; ++x)
                seen[at(image, x, y).a] = true;
        levels = static_cast<int>(std::count(std::begin(seen), std::end(seen), true));
        ink = alphaSum(image);
    };
    int levels = 0;
    double ink = 0;
    DisplayList disc;
    disc.fill(disc.circle(50.2, 50.1, 20.3), DisplayList::solid(tint(Tint::white)));
    levelsAndInk(disc, levels, ink);
    EXPECT_GT(levels, 30);
    EXPECT_NEAR(ink, std::numbers::pi * 20.3 * 20.3, 0.005 * std::numbers::pi * 20.3 * 20.3);

    DisplayList line;
    line.stroke(line.line(10, 20.2, 89.7, 71.9), DisplayList::solid(tint(Tint::white)), 3);
    levelsAndInk(line, levels, ink);
    EXPECT_GT(levels, 30);
    EXPECT_NEAR(ink, 3 * std::hypot(79.7, 51.7), 0.01 * 3 * std::hypot(79.7, 51.7));

    DisplayList ring;
    ring.stroke(ring.circle(50, 50, 30), DisplayList::solid(tint(Tint::white)), 2);
    levelsAndInk(ring, levels, ink);
    EXPECT_GT(levels, 30);
    EXPECT_NEAR(ink, 2 * std::numbers::pi * 30 * 2, 0.01 * 2 * std::numbers::pi * 30 * 2);
}

TEST_F(GLClockRendererTest, ButtCapsAndMitreJoinsHaveTheirExtents)
{
    DisplayList list;
    background(list, 200, 100);
    const Rgba white = tint(Tint::white);
    // A right angle: the mitre fills the outer corner square.
    list.stroke(polyline(list, {{20, 40}, {60, 40}, {60, 80}}), DisplayList::solid(white), 10);
    // Corners of 20 and 10 degrees: within the limit of 10 (1 / sin 10deg = 5.8)
    // the tip is drawn; beyond it (1 / sin 5deg = 11.5) the join is bevelled.
    const auto sharp = [&](float y0, double degrees) {
        const double a = degrees * std::numbers::pi / 180;
        list.stroke(polyline(list, {{90, y0}, {150, y0}, {float(150 - 60 * std::cos(a)), float(y0 + 60 * std::sin(a))}}),
                    DisplayList::solid(white), 4);
    };
    sharp(20, 20);
    sharp(70, 10);
    const QImage image = render(list, 200, 100);

    // Butt cap at x = 20: nothing before it, full coverage right after it.
    expectPx(image, 19, 40, {0, 0, 0, 255});
    expectPx(image, 20, 40, {255, 255, 255, 255});
    expectPx(image, 40, 34, {0, 0, 0, 255});
    expectPx(image, 40, 35, {255, 255, 255, 255});
    // Butt cap at y = 80.
    expectPx(image, 60, 79, {255, 255, 255, 255});
    expectPx(image, 60, 80, {0, 0, 0, 255});
    // The mitred corner reaches (65, 35); a bevel would cut (64, 35) off.
    expectPx(image, 64, 35, {255, 255, 255, 255});
    expectPx(image, 65, 35, {0, 0, 0, 255});

    // 20 degrees: the tip lies 2 / sin(10deg) = 11.5 px out along the outer
    // bisector of the corner (150, 20); 5.7 px out is well inside the mitre.
    EXPECT_GT(at(image, 155, 18).r, 128);
    // 10 degrees: the same distance out from (150, 70) is left empty by the bevel.
    EXPECT_LT(at(image, 155, 69).r, 40);
}

TEST_F(GLClockRendererTest, LayerTransformMovesScalesAndThickens)
{
    DisplayList list;
    list.pushLayer(10, 20, 2);
    list.fill(list.circle(10, 10, 5), DisplayList::solid(tint(Tint::white)));
    // A gradient's radii scale with the layer: start 4 px, end 8 px about (90, 30).
    list.fill(list.circle(40, 5, 5), list.radial({40, 5}, 2, 4, {tint(Tint::red), srgb(0, 0, 1)}));
    list.pushLayer(0, 20, 0.5);
    list.stroke(list.line(0, 10, 80, 10), DisplayList::solid(tint(Tint::white)), 4); // 4 pt at scale 1
    list.popLayer();
    list.stroke(list.line(20, 30, 30, 30), DisplayList::solid(tint(Tint::white)), 2); // 4 px at scale 2
    list.popLayer();
    list.popLayer(); // unmatched: ignored
    list.fill(list.circle(90, 10, 3), DisplayList::solid(tint(Tint::white)));
    const QImage image = render(list);

    // Disc: centre (30, 40), radius 10.
    expectPx(image, 30, 40, {255, 255, 255, 255});
    expectPx(image, 38, 40, {255, 255, 255, 255});
    expectPx(image, 41, 40, {0, 0, 0, 0});
    // Inner layer: y = 20 + 2 * (20 + 0.5 * 10) = 70, width 4 * 0.5 * 2 = 4 px.
    expectPx(image, 30, 68, {255, 255, 255, 255});
    expectPx(image, 30, 71, {255, 255, 255, 255});
    expectPx(image, 30, 72, {0, 0, 0, 0});
    expectPx(image, 30, 67, {0, 0, 0, 0});
    // Back in the outer layer: y = 20 + 2 * 30 = 80, x from 50 to 70.
    expectPx(image, 60, 78, {255, 255, 255, 255});
    expectPx(image, 60, 81, {255, 255, 255, 255});
    expectPx(image, 60, 77, {0, 0, 0, 0});
    expectPx(image, 60, 82, {0, 0, 0, 0});
    expectPx(image, 72, 80, {0, 0, 0, 0});
    const Rgba red = tint(Tint::red);
    expectPx(image, 92, 30, {255, int(std::lround(red.g * 255)), int(std::lround(red.b * 255)), 255});
    expectPx(image, 98, 30, {0, 0, 255, 255});
    // After both pops: untransformed.
    expectPx(image, 90, 10, {255, 255, 255, 255});
}

TEST_F(GLClockRendererTest, HairlinesAndSpecksKeepTheirInkAndStayContinuous)
{
    DisplayList list;
    background(list, 100, 100);
    list.stroke(list.line(0, 20.3, 100, 20.3), DisplayList::solid(tint(Tint::white)), 0.25);
    for (int i = 0; i < 10; ++i)
        list.fill(list.circle(5 + 10 * i, 60.5, 0.34), DisplayList::solid(tint(Tint::white)));
    const QImage image = render(list);
    for (int x = 2; x < 98; ++x) {
        int column = 0;
        for (int y = 15; y < 26; ++y)
            column += at(image, x, y).r;
        EXPECT_GT(column, 0.25 * 255 * 0.6) << "column " << x;
        EXPECT_LT(column, 0.25 * 255 * 1.4) << "column " << x;
    }
    for (int i = 0; i < 10; ++i) {
        int speck = 0;
        for (int y = 55; y < 66; ++y)
            for (int x = 10 * i; x < 10 * i + 10; ++x)
                speck += at(image, x, y).r;
        const double ink = std::numbers::pi * 0.34 * 0.34 * 255;
        EXPECT_NEAR(speck, ink, 0.35 * ink) << "speck " << i;
    }
}

TEST_F(GLClockRendererTest, NonConvexFillsUseTheNonZeroRuleOnce)
{
    DisplayList list;
    background(list, 200, 100);
    const Rgba half = srgb(1, 1, 1, 0.5);
    // A "U": the notch between its arms stays empty.
    list.fill(polyline(list, {{10, 10}, {30, 10}, {30, 70}, {70, 70}, {70, 10}, {90, 10}, {90, 90}, {10, 90}}),
              DisplayList::solid(half));
    // A pentagram: its centre winds twice, and is still painted once.
    std::vector<Point2> star;
    for (int k = 0; k < 5; ++k) {
        const double a = -std::numbers::pi / 2 + k * 4 * std::numbers::pi / 5;
        star.push_back({float(150 + 40 * std::cos(a)), float(52 + 40 * std::sin(a))});
    }
    const auto first = list.pointCount();
    for (Point2 p : star)
        list.addPoint(p.x, p.y);
    list.fill(list.polylineFrom(first), DisplayList::solid(half));
    const QImage image = render(list, 200, 100);
    expectPx(image, 50, 40, {0, 0, 0, 255});
    expectPx(image, 20, 40, {128, 128, 128, 255});
    expectPx(image, 50, 80, {128, 128, 128, 255});
    expectPx(image, 150, 52, {128, 128, 128, 255});
    expectPx(image, 150, 22, {128, 128, 128, 255});
    expectPx(image, 118, 80, {0, 0, 0, 255}); // between two points of the star
}

TEST_F(GLClockRendererTest, QuadraticCurvesAreFlattenedFinely)
{
    DisplayList list;
    background(list, 100, 100);
    // Apex at t = 1/2: (50, 50).
    list.stroke(list.quadratic({10, 90}, {50, 10}, {90, 90}), DisplayList::solid(tint(Tint::white)), 3);
    const QImage image = render(list);
    EXPECT_GT(at(image, 50, 50).r, 200);
    EXPECT_EQ(at(image, 50, 46).r, 0);
    EXPECT_EQ(at(image, 50, 54).r, 0);
    // On the curve at t = 1/4: (30, 60).
    EXPECT_GT(at(image, 30, 60).r, 200);
    EXPECT_EQ(at(image, 30, 64).r, 0);
}

TEST_F(GLClockRendererTest, OperationsBeyondOneDepthRunStillBlendInOrder)
{
    DisplayList list;
    background(list, 100, 100);
    // Enough operations to use up the depth values of one run, all off-image.
    for (std::uint32_t i = 0; i < ClockBatcher::opsPerDepthRun + 10; ++i)
        list.stroke(list.line(-50, -50, -40, -50), DisplayList::solid(srgb(1, 0, 0, 0.5)), 1);
    list.fill(list.circle(40, 50, 20), DisplayList::solid(srgb(1, 1, 1, 0.5)));
    list.fill(list.circle(60, 50, 20), DisplayList::solid(srgb(1, 1, 1, 0.5)));
    const QImage image = render(list);
    expectPx(image, 30, 50, {128, 128, 128, 255});
    expectPx(image, 50, 50, {191, 191, 191, 255});
    expectPx(image, 70, 50, {128, 128, 128, 255});
}

TEST_F(GLClockRendererTest, DegenerateAndNonFiniteInputsStayHarmless)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    DisplayList list;
    background(list, 100, 100);
    // A linear gradient without length paints its last stop; a radial one
    // without width its first.
    list.fill(list.circle(20, 20, 10), list.linear({20, 20}, {20, 20}, {srgb(1, 0, 0), srgb(0, 1, 0)}));
    list.fill(list.circle(60, 20, 10), list.radial({60, 20}, 5, 5, {srgb(1, 0, 0), srgb(0, 1, 0)}));
    // Nothing of these shows, and nothing breaks.
    list.fill(list.circle(20, 60, 10), DisplayList::solid(srgb(1, 1, 1, nan)));
    list.fill(list.circle(50, 50, inf), DisplayList::solid(srgb(1, 1, 1)));
    list.stroke(list.circle(50, 50, 10), DisplayList::solid(srgb(1, 1, 1)), nan);
    list.stroke(list.quadratic({0, 0}, {inf, 50}, {100, 100}), DisplayList::solid(srgb(1, 1, 1, 0)), 2);
    list.stroke(list.line(10, 90, 10, 90), DisplayList::solid(srgb(1, 1, 1)), 4);
    const QImage image = render(list);
    expectPx(image, 20, 20, {0, 255, 0, 255});
    expectPx(image, 60, 20, {255, 0, 0, 255});
    expectPx(image, 20, 60, {0, 0, 0, 255});
    expectPx(image, 50, 40, {0, 0, 0, 255});
    expectPx(image, 10, 90, {0, 0, 0, 255});
}

TEST_F(GLClockRendererTest, SameListSameImageWithoutReallocating)
{
    DisplayList list;
    background(list, 100, 100);
    for (int k = 0; k < 20; ++k) {
        const auto first = list.pointCount();
        for (int i = 0; i <= 100; ++i)
            list.addPoint(i, 50 + 30 * std::sin(0.1 * i + k));
        list.stroke(list.polylineFrom(first), list.linear({0, 0}, {100, 0}, {tint(Tint::cyan, 0.3), tint(Tint::pink, 0.6)}),
                    1 + k % 5);
    }
    const QImage a = render(list);
    const ClockBatcher& batcher = s_renderer->renderer().batcher();
    const std::uint32_t* instances = batcher.instances().data();
    const GLOpRecord* records = batcher.records().data();
    const QImage b = render(list);
    EXPECT_EQ(a, b);
    ASSERT_TRUE(s_renderer->makeCurrent());
    EXPECT_EQ(QOpenGLContext::currentContext()->functions()->glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_EQ(instances, batcher.instances().data());
    EXPECT_EQ(records, batcher.records().data());
    // The background, then one instanced draw for all the strokes.
    ASSERT_EQ(batcher.commands().size(), 2u);
    EXPECT_EQ(batcher.commands()[1].kind, GLDrawCommand::Kind::Shapes);
}

TEST(GLOffscreenClockRenderer, SaysWhyWithoutOpenGL)
{
    QProcess probe;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    probe.setProcessEnvironment(env);
    probe.start(QStringLiteral(STARLUME_NO_GL_PROBE), {});
    ASSERT_TRUE(probe.waitForFinished(30000));
    const QString out = QString::fromLocal8Bit(probe.readAllStandardOutput());
    EXPECT_EQ(probe.exitCode(), 2) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("no OpenGL context could be created"))) << out.toStdString();
}

} // namespace
