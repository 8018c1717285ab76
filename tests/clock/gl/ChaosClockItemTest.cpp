// ChaosClockItem in a real window at device pixel ratio 2, once with the
// OpenGL scene graph and once (CHAOS_CLOCK_SOFTWARE) with the software one.
#include "clock/gl/ChaosClockItem.h"
#include "support/EventLoop.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QRasterWindow>
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
    std::atomic<int> calls{0};
    std::atomic<qint64> dateMs{0};
    std::atomic<int> width{0};
    std::atomic<int> height{0};
};

// Blue everywhere, red in the top-left quadrant, a one-point white line across
// at three quarters of the height.
ClockFrameSource testPattern(std::shared_ptr<Seen> seen)
{
    return [seen](DisplayList& list, const QDateTime& date, QSizeF size) {
        ++seen->calls;
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
        // Crisp at every pixel whatever draws it; the reduced drawing has tests of its own.
        item->setQualityMode(ClockQualityMode::full);
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
    // Keeps drawing by itself; how fast is the benchmarks' business, and a
    // loaded machine may be slow.
    const quint64 before = item->framesDrawn();
    EXPECT_TRUE(slm::test::processEventsUntil([&] { return item->framesDrawn() >= before + 5; }, 10s));
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

TEST_F(ChaosClockItemTest, ReducedQualityDrawsHalfTheRowsAndScalesThemUpSmoothly)
{
    item->setQualityMode(ClockQualityMode::reduced);
    const quint64 before = item->framesDrawn();
    ASSERT_TRUE(slm::test::processEventsUntil([&] { return item->framesDrawn() >= before + 3; }, 10s));
    EXPECT_EQ(item->renderScale(), reducedClockRendering.renderScale);

    const QImage image = view.grabWindow();
    ASSERT_EQ(image.size(), QSize(400, 240));
    // Still upright, the areas in place.
    EXPECT_EQ(pixel(image, 20, 20), 0xff0000u);
    EXPECT_EQ(pixel(image, 380, 20), 0x0000ffu);
    EXPECT_EQ(pixel(image, 20, 200), 0x0000ffu);
    // The one-point line is one drawn row now, spread by linear filtering over
    // the rows around its two device rows: no longer crisp, nowhere lost.
    const auto whiteness = [&](int y) { return qRed(image.pixel(300, y)); };
    EXPECT_GT(whiteness(179) + whiteness(182), 30);
    EXPECT_LT(whiteness(180), 255);
    EXPECT_GT(whiteness(180), 128);
    EXPECT_EQ(pixel(image, 300, 176), 0x0000ffu);
}

TEST_F(ChaosClockItemTest, AutomaticQualityReducesOnASoftwareRasteriserOnly)
{
#ifdef CHAOS_CLOCK_SOFTWARE
    const bool software = true;
#else
    // The rasteriser this display gives any context.
    QOpenGLContext context;
    ASSERT_TRUE(context.create());
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    ASSERT_TRUE(context.makeCurrent(&surface));
    const bool software = isSoftwareRasteriser(reinterpret_cast<const char*>(context.functions()->glGetString(GL_RENDERER)));
    context.doneCurrent();
#endif
    item->setQualityMode(ClockQualityMode::automatic);
    const quint64 before = item->framesDrawn();
    ASSERT_TRUE(slm::test::processEventsUntil([&] { return item->framesDrawn() >= before + 2; }, 10s));
    EXPECT_EQ(item->renderScale(), software ? reducedClockRendering.renderScale : 1.0);
}

// Nothing is built or drawn while nothing of the window can be seen.
class ChaosClockItemWhileUnseenTest : public ChaosClockItemTest {
protected:
    void expectNoFramesFor(std::chrono::milliseconds span, const char* why)
    {
        // Let a frame already under way finish first.
        slm::test::processEventsFor(100ms);
        const quint64 frames = item->framesDrawn();
        const int calls = seen->calls;
        slm::test::processEventsFor(span);
        EXPECT_EQ(item->framesDrawn(), frames) << why;
        EXPECT_EQ(seen->calls.load(), calls) << why << ": the frame was still built";
    }
    void expectFramesAgain(const char* why)
    {
        const quint64 frames = item->framesDrawn();
        EXPECT_TRUE(slm::test::processEventsUntil([&] { return item->framesDrawn() >= frames + 3; }, 10s)) << why;
    }
};

TEST_F(ChaosClockItemWhileUnseenTest, HiddenOrMinimisedDrawsNothingAndResumesWhenShown)
{
    for (const ClockQualityMode mode : {ClockQualityMode::full, ClockQualityMode::reduced}) {
        item->setQualityMode(mode);
        expectFramesAgain("before hiding");

        view.hide();
        EXPECT_FALSE(item->isWindowShowing());
        expectNoFramesFor(500ms, "hidden");
        view.show();
        expectFramesAgain("shown again");

        view.showMinimized();
        expectNoFramesFor(500ms, "minimised");
        view.showNormal();
        expectFramesAgain("restored");
    }
}

TEST_F(ChaosClockItemWhileUnseenTest, FullyCoveredDrawsNothingAndResumesWhenUncovered)
{
    // No window manager here: a new window maps on top, where it is placed.
    view.setPosition(0, 0);
    expectFramesAgain("before covering");
    QRasterWindow cover;
    cover.setFlag(Qt::FramelessWindowHint);
    cover.setGeometry(QRect(QPoint(0, 0), view.size() + QSize(20, 20)));
    cover.show();
    ASSERT_TRUE(slm::test::processEventsUntil([&] { return !item->isWindowShowing(); }, 5s))
        << "the display server never said the view was covered";
    EXPECT_TRUE(view.isExposed()) << "Qt saw it: the watch is redundant";
    expectNoFramesFor(500ms, "covered");
    cover.hide();
    expectFramesAgain("uncovered");
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
