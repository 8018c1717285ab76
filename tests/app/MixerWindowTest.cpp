// The mixer window as the program builds it: the console scaled about its
// centre to fit, and the window and console kept as they were across close
// and reopen. (That the button opens it is MainWindowTest's.)
#include "app/SLMMixerWindowController.h"
#include "app/SLMResizableMixerHost.h"
#include "support/EventLoop.h"
#include "support/ProgramWindow.h"

#include <QGuiApplication>
#include <QTest>

namespace {

using slm::test::findItem;

TEST(MixerHostScale, FitsTheDesignSizeWithAFloor)
{
    EXPECT_EQ(SLMResizableMixerHost::scaleFor({1226, 760}), 1.0);
    EXPECT_NEAR(SLMResizableMixerHost::scaleFor({620, 390}), 620.0 / 1226.0, 1e-12);
    EXPECT_EQ(SLMResizableMixerHost::scaleFor({2452, 1520}), 2.0);
    // The narrower side decides; the other shows background bands.
    EXPECT_EQ(SLMResizableMixerHost::scaleFor({1226, 1000}), 1.0);
    EXPECT_EQ(SLMResizableMixerHost::scaleFor({4096, 760}), 1.0);
    EXPECT_EQ(SLMResizableMixerHost::scaleFor({200, 100}), 0.45);
    EXPECT_EQ(SLMResizableMixerHost::scaleFor({0, 0}), 0.45);
}

using MixerWindowTest = slm::test::ProgramWindowFixture;

TEST_F(MixerWindowTest, ConsoleScalesAboutItsCentreAndIsClipped)
{
    content.openMixer();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(mixer()));
    QQuickItem* host = findItem(mixer(), "consoleHost");
    QQuickItem* panel = findItem(mixer(), "audioPanel");
    ASSERT_TRUE(host && panel);
    EXPECT_TRUE(host->clip());

    const auto panelRect = [&] { return panel->mapRectToScene(QRectF(0, 0, panel->width(), panel->height())); };
    const auto resized = [&](QSize size) {
        mixer()->resize(size);
        return slm::test::processEventsUntil([&] { return host->size() == QSizeF(size); });
    };

    ASSERT_TRUE(resized({620, 390}));
    EXPECT_NEAR(panelRect().width(), 620, 1e-6);
    EXPECT_NEAR(panelRect().center().x(), 310, 1e-6);
    EXPECT_NEAR(panelRect().center().y(), 195, 1e-6);

    // Another aspect ratio: scale 1, bands of background above and below.
    ASSERT_TRUE(resized({1226, 1000}));
    EXPECT_EQ(panelRect(), QRectF(0, 120, 1226, 760));
}

TEST_F(MixerWindowTest, ReopenedWindowKeepsItsPlaceAndTheConsoleAsItWas)
{
    content.openMixer();
    QQuickWindow* made = mixer();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(made));
    EXPECT_EQ(made->size(), QSize(1226, 760));
    EXPECT_EQ(made->minimumSize(), QSize(620, 390));
    QQuickItem* panel = findItem(made, "audioPanel");
    ASSERT_NE(panel, nullptr);
    made->resize(900, 600);
    ASSERT_TRUE(slm::test::processEventsUntil([&] { return made->size() == QSize(900, 600); }));
    const QPoint place = made->position();

    // Asked again while open, or closed (which only hides it): the same window
    // where it was, with the same console.
    content.openMixer();
    int mixers = 0;
    for (QWindow* w : QGuiApplication::topLevelWindows())
        mixers += w->title() == QStringLiteral("Starlume \u2014 Mixer");
    EXPECT_EQ(mixers, 1);
    made->close();
    ASSERT_FALSE(made->isVisible());
    content.openMixer();
    EXPECT_EQ(mixer(), made);
    EXPECT_TRUE(made->isVisible());
    EXPECT_EQ(made->size(), QSize(900, 600));
    EXPECT_EQ(made->position(), place);
    EXPECT_EQ(findItem(made, "audioPanel"), panel);

    made->setWindowStates(Qt::WindowMinimized);
    content.openMixer();
    EXPECT_FALSE(made->windowStates() & Qt::WindowMinimized);
}

} // namespace
