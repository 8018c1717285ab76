// The mixer window as the program builds it: one window however often the
// mixer button is pressed, the console scaled about its centre to fit, and
// the console kept as it was across close and reopen.
#include "app/ContentView.h"
#include "app/MainWindow.h"
#include "app/SLMMixerWindowController.h"
#include "app/SLMResizableMixerHost.h"
#include "control/MemoryDeviceControl.h"
#include "engine/OfflineAudioOutput.h"
#include "engine/SLMAudioEngine.h"
#include "support/EventLoop.h"

#include <QGuiApplication>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

TEST(MixerHostScale, FitsTheDesignSizeWithAFloor)
{
    EXPECT_EQ(SLMResizableMixerHost::scaleFor({1226, 760}), 1.0);
    EXPECT_NEAR(SLMResizableMixerHost::scaleFor({620, 390}), 620.0 / 1226.0, 1e-12);
    EXPECT_NEAR(SLMResizableMixerHost::scaleFor({620, 390}), 0.506, 0.001);
    EXPECT_EQ(SLMResizableMixerHost::scaleFor({2452, 1520}), 2.0);
    // The narrower side decides; the other shows background bands.
    EXPECT_EQ(SLMResizableMixerHost::scaleFor({1226, 1000}), 1.0);
    EXPECT_EQ(SLMResizableMixerHost::scaleFor({4096, 760}), 1.0);
    EXPECT_EQ(SLMResizableMixerHost::scaleFor({200, 100}), 0.45);
    EXPECT_EQ(SLMResizableMixerHost::scaleFor({0, 0}), 0.45);
}

class MixerWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString error;
        window = createMainWindow(qml, content, error);
        ASSERT_TRUE(window) << error.toStdString();
        window->resize(320, 200);
        content.attach(window.get());
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        button = window->findChild<QQuickItem*>(QStringLiteral("mixerButton"));
        ASSERT_NE(button, nullptr);
    }

    void TearDown() override { window.reset(); }

    void pressMixerButton()
    {
        const QPointF centre(button->width() / 2, button->height() / 2);
        QTest::mouseClick(window.get(), Qt::LeftButton, {}, button->mapToScene(centre).toPoint());
    }

    // Searched in the visual tree: a Repeater's items have no QObject parent.
    static QQuickItem* find(QQuickWindow* mixer, const char* name)
    {
        const std::function<QQuickItem*(QQuickItem*)> visit = [&](QQuickItem* node) -> QQuickItem* {
            if (node->objectName() == QLatin1String(name))
                return node;
            for (QQuickItem* child : node->childItems())
                if (QQuickItem* found = visit(child))
                    return found;
            return nullptr;
        };
        return visit(mixer->contentItem());
    }

    QQmlEngine qml;
    ContentView content{[] {
                            return std::make_unique<SLMAudioEngine>(std::make_unique<OfflineAudioOutput>(48000.0, 2),
                                                                    std::make_unique<MemoryDeviceControl>());
                        },
                        qml};
    std::unique_ptr<QQuickWindow> window;
    QQuickItem* button = nullptr;
};

TEST_F(MixerWindowTest, ButtonPressedTwiceMakesOneWindowShowingTheConsole)
{
    pressMixerButton();
    QQuickWindow* mixer = content.mixerWindowController()->mixerWindow();
    ASSERT_NE(mixer, nullptr);
    pressMixerButton();
    EXPECT_EQ(content.mixerWindowController()->mixerWindow(), mixer);
    int mixers = 0;
    for (QWindow* w : QGuiApplication::topLevelWindows())
        mixers += w->title() == QStringLiteral("Starlume \u2014 Mixer");
    EXPECT_EQ(mixers, 1);

    QQuickItem* panel = find(mixer, "audioPanel");
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->property("audioEngine").value<QObject*>(), content.audioEngine());
    EXPECT_EQ(panel->size(), QSizeF(1226, 760));
    EXPECT_NEAR(mixer->color().redF(), 0.025, 1e-3);
    EXPECT_NEAR(mixer->color().greenF(), 0.027, 1e-3);
    EXPECT_NEAR(mixer->color().blueF(), 0.03, 1e-3);
}

TEST_F(MixerWindowTest, ConsoleScalesAboutItsCentreAndIsClipped)
{
    content.openMixer();
    QQuickWindow* mixer = content.mixerWindowController()->mixerWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(mixer));
    QQuickItem* host = find(mixer, "consoleHost");
    QQuickItem* panel = find(mixer, "audioPanel");
    ASSERT_TRUE(host && panel);
    EXPECT_TRUE(host->clip());

    const auto panelRect = [&] { return panel->mapRectToScene(QRectF(0, 0, panel->width(), panel->height())); };
    const auto resized = [&](QSize size) {
        mixer->resize(size);
        return slm::test::processEventsUntil([&] { return host->size() == QSizeF(size); });
    };

    ASSERT_TRUE(resized({620, 390}));
    EXPECT_NEAR(host->property("contentScale").toDouble(), 620.0 / 1226.0, 1e-9);
    EXPECT_NEAR(panelRect().width(), 620, 1e-6);
    EXPECT_NEAR(panelRect().center().x(), 310, 1e-6);
    EXPECT_NEAR(panelRect().center().y(), 195, 1e-6);

    ASSERT_TRUE(resized({2452, 1520}));
    EXPECT_EQ(host->property("contentScale").toDouble(), 2.0);
    EXPECT_EQ(panelRect(), QRectF(0, 0, 2452, 1520));

    // Another aspect ratio: scale 1, bands of background above and below.
    ASSERT_TRUE(resized({1226, 1000}));
    EXPECT_EQ(host->property("contentScale").toDouble(), 1.0);
    EXPECT_EQ(panelRect(), QRectF(0, 120, 1226, 760));
}

TEST_F(MixerWindowTest, ReopenedWindowKeepsItsPlaceAndTheConsoleAsItWas)
{
    content.openMixer();
    QQuickWindow* mixer = content.mixerWindowController()->mixerWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(mixer));
    QQuickItem* panel = find(mixer, "audioPanel");
    ASSERT_NE(panel, nullptr);
    QObject* manager = panel->property("presetManager").value<QObject*>();
    ASSERT_NE(manager, nullptr);
    QQuickItem* fader = find(mixer, "reactorFader");
    ASSERT_NE(fader, nullptr);
    mixer->resize(900, 600);
    ASSERT_TRUE(slm::test::processEventsUntil([&] { return mixer->size() == QSize(900, 600); }));
    const QPoint place = mixer->position();

    mixer->close();
    ASSERT_FALSE(mixer->isVisible());
    content.openMixer();
    EXPECT_EQ(content.mixerWindowController()->mixerWindow(), mixer);
    EXPECT_TRUE(mixer->isVisible());
    EXPECT_EQ(mixer->size(), QSize(900, 600));
    EXPECT_EQ(mixer->position(), place);
    EXPECT_EQ(find(mixer, "audioPanel"), panel);
    EXPECT_EQ(panel->property("presetManager").value<QObject*>(), manager);
}

} // namespace
