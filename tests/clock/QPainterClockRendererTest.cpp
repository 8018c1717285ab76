#include "clock/QPainterClockRenderer.h"

#include "clock/ClockShapes.h"

#include <QColor>
#include <QImage>

#include <gtest/gtest.h>

namespace {

using clockdraw::pt;

QColor pixel(const QImage& image, int x, int y) { return image.pixelColor(x, y); }

DisplayList backgroundOf(Rgba color, double w, double h)
{
    DisplayList dl;
    dl.fill(clockdraw::rect(dl, 0, 0, w, h), DisplayList::solid(color));
    return dl;
}

TEST(QPainterClockRenderer, GradientsFadeToClearWithoutDarkening)
{
    // White fading to clear over white stays white only with premultiplied interpolation.
    DisplayList dl = backgroundOf(tint(Tint::white), 100, 20);
    dl.fill(clockdraw::rect(dl, 0, 0, 100, 20), dl.linear(pt(0, 0), pt(100, 0), {tint(Tint::white), clearColor}));
    QPainterClockRenderer renderer;
    const QImage image = renderer.renderImage(dl, {100, 20});
    EXPECT_GE(pixel(image, 50, 10).red(), 254);

    // Evenly spaced stops: the middle of three is reached halfway.
    DisplayList three = backgroundOf(tint(Tint::black), 100, 20);
    three.fill(clockdraw::rect(three, 0, 0, 100, 20),
               three.linear(pt(0, 0), pt(100, 0), {srgb(1, 0, 0), srgb(0, 1, 0), srgb(0, 0, 1)}));
    const QImage rgb = renderer.renderImage(three, {100, 20});
    EXPECT_GE(pixel(rgb, 50, 10).green(), 240);
    EXPECT_GE(pixel(rgb, 1, 10).red(), 240);
    EXPECT_GE(pixel(rgb, 98, 10).blue(), 240);
}

TEST(QPainterClockRenderer, RadialGradientPadsInsideStartAndBeyondEndRadius)
{
    DisplayList dl = backgroundOf(tint(Tint::black), 100, 100);
    dl.fill(clockdraw::rect(dl, 0, 0, 100, 100),
            dl.radial(pt(50, 50), 20, 40, {srgb(1, 0, 0), srgb(0, 0, 1)}));
    const QImage image = QPainterClockRenderer().renderImage(dl, {100, 100});
    EXPECT_GE(pixel(image, 50, 50).red(), 250);
    EXPECT_GE(pixel(image, 60, 50).red(), 250);
    EXPECT_NEAR(pixel(image, 80, 50).red(), 128, 12); // halfway from 20 to 40
    EXPECT_GE(pixel(image, 95, 50).blue(), 250);
}

TEST(QPainterClockRenderer, OpacityAboveOneIsOpaqueAndTranslucentStrokeCoversOnce)
{
    DisplayList dl = backgroundOf(tint(Tint::black), 100, 100);
    clockdraw::disc(dl, 20, 20, 10, srgb(0, 1, 0, 2.5));
    // A translucent polyline that crosses itself at (60, 60).
    const auto first = dl.pointCount();
    dl.addPoint(40, 60);
    dl.addPoint(90, 60);
    dl.addPoint(60, 40);
    dl.addPoint(60, 95);
    dl.stroke(dl.polylineFrom(first), DisplayList::solid(srgb(1, 1, 1, 0.5)), 4);
    // A thin one too: QPainter's own thin-line path would blend its crossing twice.
    const auto thin = dl.pointCount();
    dl.addPoint(5, 80.5);
    dl.addPoint(35, 80.5);
    dl.addPoint(20.5, 65);
    dl.addPoint(20.5, 95);
    dl.stroke(dl.polylineFrom(thin), DisplayList::solid(srgb(1, 1, 1, 0.5)), 0.9);
    const QImage image = QPainterClockRenderer().renderImage(dl, {100, 100});

    EXPECT_EQ(pixel(image, 20, 20).green(), 255);
    const int along = pixel(image, 75, 60).red();
    EXPECT_NEAR(along, 128, 3);
    EXPECT_NEAR(pixel(image, 60, 60).red(), along, 3);
    // 0.9 of a pixel at half opacity along the line; the crossing pixel is covered once, fully.
    EXPECT_NEAR(pixel(image, 10, 80).red(), 0.9 * 128, 6);
    EXPECT_NEAR(pixel(image, 20, 80).red(), 128, 6);
}

TEST(QPainterClockRenderer, LayerTransformScalesPositionsAndWidths)
{
    DisplayList dl = backgroundOf(tint(Tint::black), 100, 100);
    dl.pushLayer(10, 20, 2);
    clockdraw::disc(dl, 5, 5, 2, tint(Tint::white));
    dl.stroke(dl.line(20, 0, 20, 40), DisplayList::solid(tint(Tint::white)), 3);
    dl.popLayer();
    clockdraw::disc(dl, 90, 90, 2, srgb(1, 0, 0));
    const QImage image = QPainterClockRenderer().renderImage(dl, {100, 100});
    EXPECT_EQ(pixel(image, 20, 30).red(), 255); // (5, 5) -> (20, 30)
    EXPECT_EQ(pixel(image, 24, 30).red(), 0);   // radius 2 -> 4: edge near 24
    // The line at x = 20 becomes x = 50 and 6 wide.
    EXPECT_EQ(pixel(image, 48, 50).red(), 255);
    EXPECT_EQ(pixel(image, 52, 50).red(), 255);
    EXPECT_EQ(pixel(image, 54, 50).red(), 0);
    // Outside the layer the transform is gone.
    EXPECT_EQ(pixel(image, 90, 90).red(), 255);
    EXPECT_EQ(pixel(image, 90, 90).green(), 0);
}

TEST(QPainterClockRenderer, DevicePixelRatioDrawsPointsSharper)
{
    DisplayList dl = backgroundOf(tint(Tint::black), 50, 40);
    clockdraw::disc(dl, 10, 10, 3, tint(Tint::white));
    const QImage image = QPainterClockRenderer().renderImage(dl, {50, 40}, 2.0);
    EXPECT_EQ(image.size(), QSize(100, 80));
    EXPECT_EQ(image.devicePixelRatio(), 2.0);
    EXPECT_EQ(pixel(image, 20, 20).red(), 255);
    EXPECT_EQ(pixel(image, 24, 20).red(), 255); // 2.25 points from the centre
    EXPECT_EQ(pixel(image, 28, 20).red(), 0);   // 4 points
    EXPECT_EQ(pixel(image, 99, 79).alpha(), 255);
}

} // namespace
