// ChaosClockItem in a real window at device pixel ratio 2, once with the
// OpenGL scene graph and once (CHAOS_CLOCK_SOFTWARE) with the software one.
#include "clock/gl/ChaosClockItem.h"
#include "support/EventLoop.h"

#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickView>
#include <QSGRendererInterface>
#include <QSet>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

using namespace std::chrono_literals;

namespace {

struct Seen {
    std::atomic<qint64> dateMs{0};
    std::atomic<int> width{0};
    std::atomic<int> height{0};
};

// Blue everywhere, red in the top-left quadrant, a one-point white line across
// at three quarters of the height.
ClockFrameSource testPattern(std::shared_ptr<Seen> seen)
{
    return [seen](DisplayList& list, const QDateTime& date, QSizeF size) {
        seen->dateMs = date.toMSecsSinceEpoch();
        seen->width = static_cast<int>(size.width());
        seen->height = static_cast<int>(size.height());
        const double w = size.width(), h = size.height();
        list.clear();
        const auto rect = [&](double x0, double y0, double x1, double y1, Rgba c) {
            const auto first = list.pointCount();
            list.addPoint(x0, y0);
            list.addPoint(x1, y0);
            list.addPoint(x1, y1);
            list.addPoint(x0, y1);
            list.fill(list.polylineFrom(first), DisplayList::solid(c));
        };
        rect(0, 0, w, h, srgb(0, 0, 1));
        rect(0, 0, w / 2, h / 2, srgb(1, 0, 0));
        list.stroke(list.line(0, std::floor(0.75 * h) + 0.5, w, std::floor(0.75 * h) + 0.5), DisplayList::solid(srgb(1, 1, 1)), 1);
    };
}

class ChaosClockItemTest : public testing::Test {
protected:
    void SetUp() override
    {
        QQmlComponent component(&engine);
        component.setData("import Starlume.Clock 1.0\nChaosClockItem { width: 200; height: 120 }", QUrl());
        item.reset(qobject_cast<ChaosClockItem*>(component.create()));
        ASSERT_TRUE(item) << component.errorString().toStdString();
        seen = std::make_shared<Seen>();
        item->setFrameSource(testPattern(seen));
        view.resize(200, 120);
        item->setParentItem(view.contentItem());
        view.show();
        ASSERT_TRUE(slm::test::processEventsUntil([&] { return item->framesDrawn() >= 2; }, 10s));
    }
    void TearDown() override
    {
        item.reset();
        view.hide();
    }

    QQmlEngine engine;
    QQuickView view;
    std::unique_ptr<ChaosClockItem> item;
    std::shared_ptr<Seen> seen;
};

QRgb pixel(const QImage& image, int x, int y)
{
    return image.pixel(x, y) & 0xffffff;
}

TEST_F(ChaosClockItemTest, DrawsWithTheExpectedRenderer)
{
#ifdef CHAOS_CLOCK_SOFTWARE
    EXPECT_EQ(view.rendererInterface()->graphicsApi(), QSGRendererInterface::Software);
    EXPECT_FALSE(item->isDrawingWithOpenGL());
#else
    EXPECT_EQ(view.rendererInterface()->graphicsApi(), QSGRendererInterface::OpenGL);
    EXPECT_TRUE(item->isDrawingWithOpenGL());
#endif
}

TEST_F(ChaosClockItemTest, KeepsDrawingFramesOfTheCurrentDateAndSize)
{
    const quint64 before = item->framesDrawn();
    slm::test::processEventsFor(600ms);
    EXPECT_GE(item->framesDrawn(), before + 5);
    EXPECT_NEAR(static_cast<double>(seen->dateMs.load()), static_cast<double>(QDateTime::currentMSecsSinceEpoch()), 1000);
    EXPECT_EQ(seen->width.load(), 200);
    EXPECT_EQ(seen->height.load(), 120);

    view.resize(260, 100);
    item->setSize({260, 100});
    EXPECT_TRUE(slm::test::processEventsUntil([&] { return seen->width == 260 && seen->height == 100; }, 5s));
}

TEST_F(ChaosClockItemTest, ShowsThePictureUprightAndCrispAtScaleTwo)
{
    ASSERT_EQ(view.effectiveDevicePixelRatio(), 2.0);
    const QImage image = view.grabWindow();
    ASSERT_EQ(image.size(), QSize(400, 240));
    EXPECT_EQ(pixel(image, 20, 20), 0xff0000u);
    EXPECT_EQ(pixel(image, 380, 20), 0x0000ffu);
    EXPECT_EQ(pixel(image, 20, 200), 0x0000ffu);
    // The line at y = 90...91 points: exactly two device rows, full strength.
    EXPECT_EQ(pixel(image, 300, 180), 0xffffffu);
    EXPECT_EQ(pixel(image, 300, 181), 0xffffffu);
    EXPECT_EQ(pixel(image, 300, 179), 0x0000ffu);
    EXPECT_EQ(pixel(image, 300, 182), 0x0000ffu);
}

// With no source of its own the item shows the chaos clock: a bright core at
// the clock centre, many colours, and a dark corner far from the strands.
TEST(ChaosClockItem, DrawsTheChaosClockByDefault)
{
    QQuickView view;
    view.resize(240, 160);
    auto* item = new ChaosClockItem(view.contentItem());
    item->setSize({240, 160});
    view.show();
    ASSERT_TRUE(slm::test::processEventsUntil([&] { return item->framesDrawn() >= 2; }, 10s));
    const QImage image = view.grabWindow().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(image.size(), QSize(480, 320));
    // Centre: x = 0.5 - 0.055 * min(240 / 160 - 1, 1) of the width, y = 0.505 of the height.
    const QColor core = image.pixelColor(int(2 * 240 * 0.4725), int(2 * 160 * 0.505));
    EXPECT_GT(core.lightness(), 150);
    EXPECT_LT(image.pixelColor(2, 2).lightness(), 40);
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 4)
        for (int x = 0; x < image.width(); x += 4)
            colours.insert(image.pixel(x, y));
    EXPECT_GT(colours.size(), 500);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_SCALE_FACTOR", "2");
#ifdef CHAOS_CLOCK_SOFTWARE
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
#else
    QQuickWindow::setGraphicsApi(QSGRendererInterface::OpenGL);
#endif
    QGuiApplication app(argc, argv);
    ChaosClockItem::registerQmlType();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
