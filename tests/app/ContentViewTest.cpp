#include "app/ContentView.h"

#include "app/SLMMixerWindowController.h"
#include "control/MemoryDeviceControl.h"
#include "control/SLMAudioParameters.h"
#include "control/SLMAudioPresetManager.h"
#include "engine/OfflineAudioOutput.h"
#include "engine/SLMAudioEngine.h"
#include "support/EventLoop.h"

#include <QDateTime>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace std::chrono_literals;
using slm::test::processEventsUntil;

namespace {

std::unique_ptr<SLMAudioEngine> offlineEngine()
{
    return std::make_unique<SLMAudioEngine>(std::make_unique<OfflineAudioOutput>(48000.0, 2),
                                            std::make_unique<MemoryDeviceControl>());
}

double secondOfMinuteNow()
{
    const QTime now = QTime::currentTime();
    return now.second() + now.msec() / 1000.0;
}

// Distance on the minute's circle, so that 59.95 and 0.02 are close.
double secondsApart(double a, double b)
{
    const double d = std::fmod(std::abs(a - b), 60.0);
    return std::min(d, 60.0 - d);
}

class ContentViewTest : public ::testing::Test {
protected:
    QQmlEngine qml;
    ContentView content{offlineEngine, qml};
    QQuickWindow window;
};

TEST_F(ContentViewTest, FeedsTheEngineTheWallClockOnShowAndTenTimesASecond)
{
    ASSERT_NE(content.audioEngine(), nullptr);
    EXPECT_EQ(content.audioEngine()->wallClockSecond(), 0.0);

    window.resize(200, 200);
    content.attach(&window);
    window.show();
    // On show, before any tick of the clock.
    EXPECT_LT(secondsApart(content.audioEngine()->wallClockSecond(), secondOfMinuteNow()), 0.05);

    int changes = 0;
    double last = content.audioEngine()->wallClockSecond();
    slm::test::processEventsUntil([&] {
        const double now = content.audioEngine()->wallClockSecond();
        if (now != last) {
            ++changes;
            last = now;
            // Loose: the machine is shared, a sanitizer build draws slowly,
            // and a late look is not a late tick.
            EXPECT_LT(secondsApart(now, secondOfMinuteNow()), 0.5);
        }
        return false;
    }, 550ms);
    EXPECT_GE(changes, 3);
    EXPECT_LE(changes, 7);
}

TEST_F(ContentViewTest, FollowsTheMainWindowInAndOutOfFullScreen)
{
    window.resize(200, 200);
    content.attach(&window);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QSignalSpy changed(&content, &ContentView::isFullScreenChanged);

    content.toggleFullScreen();
    EXPECT_TRUE(window.windowStates() & Qt::WindowFullScreen);
    EXPECT_TRUE(content.isFullScreen());

    content.leaveFullScreen();
    EXPECT_FALSE(window.windowStates() & Qt::WindowFullScreen);
    EXPECT_FALSE(content.isFullScreen());
    content.leaveFullScreen(); // windowed already: nothing to do
    EXPECT_EQ(changed.count(), 2);

    // Full screen given by someone else (the window manager) counts the same.
    window.setWindowStates(Qt::WindowFullScreen | Qt::WindowMaximized);
    EXPECT_TRUE(content.isFullScreen());
    content.toggleFullScreen();
    EXPECT_EQ(window.windowStates(), Qt::WindowMaximized) << "leaving full screen lost the maximised state";
    EXPECT_FALSE(content.isFullScreen());
}

TEST_F(ContentViewTest, MixerWindowIsMadeOnceAndBroughtBack)
{
    SLMMixerWindowController& controller = *content.mixerWindowController();
    EXPECT_EQ(controller.mixerWindow(), nullptr);
    content.openMixer();
    QQuickWindow* mixer = controller.mixerWindow();
    ASSERT_NE(mixer, nullptr);
    EXPECT_EQ(mixer->title(), QStringLiteral("Starlume \u2014 Mixer"));
    EXPECT_EQ(mixer->size(), QSize(1226, 760));
    EXPECT_EQ(mixer->minimumSize(), QSize(620, 390));
    EXPECT_EQ(mixer->maximumSize(), QSize(4096, 2560));
    EXPECT_TRUE(mixer->isVisible());
    EXPECT_EQ(mixer->property("audioEngine").value<QObject*>(), content.audioEngine());

    // Closing only hides it; the next request shows the same window where it was.
    ASSERT_TRUE(QTest::qWaitForWindowExposed(mixer));
    mixer->resize(900, 600);
    mixer->close();
    EXPECT_FALSE(mixer->isVisible());
    content.openMixer();
    EXPECT_EQ(controller.mixerWindow(), mixer);
    EXPECT_TRUE(mixer->isVisible());
    EXPECT_EQ(mixer->size(), QSize(900, 600));

    mixer->setWindowStates(Qt::WindowMinimized);
    content.openMixer();
    EXPECT_FALSE(mixer->windowStates() & Qt::WindowMinimized);
}

// The per-user settings of this test binary's sandbox, as the last run left them.
void leaveSettings(const QByteArray& customBlob, const QString& active)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Starlume", "Starlume");
    settings.clear();
    if (!customBlob.isEmpty())
        settings.setValue(SLMAudioPresetManager::customDefaultsKey, customBlob);
    if (!active.isEmpty())
        settings.setValue(SLMAudioPresetManager::activeDefaultsKey, active);
    settings.sync();
}

TEST(ContentViewRestart, PlaysTheMixTheListenerLeftAndTheConsoleShowsIt)
{
    SLMAudioPreset mix = SLMAudioPreset::builtIn(SLMPresetID::Drift);
    mix.id = SLMPresetID::Custom;
    mix.glowwormTrail = 0.31;
    QQmlEngine qml;
    {
        leaveSettings(*mix.encode(), "custom");
        ContentView content(offlineEngine, qml);
        EXPECT_EQ(SLMAudioPreset::snapshot(*content.audioEngine()->parameters(), SLMPresetID::Custom), mix);
        EXPECT_EQ(content.presetManager()->activeID(), SLMPresetID::Custom);
    }

    leaveSettings(*mix.encode(), "storm");
    ContentView content(offlineEngine, qml);
    SLMAudioParameters& parameters = *content.audioEngine()->parameters();
    EXPECT_EQ(SLMAudioPreset::snapshot(parameters, SLMPresetID::Storm), SLMAudioPreset::builtIn(SLMPresetID::Storm));

    // The console works on the same manager, so it shows STORM lit and no
    // second manager saves over the first.
    content.openMixer();
    QQuickWindow* mixer = content.mixerWindowController()->mixerWindow();
    ASSERT_TRUE(mixer);
    QQuickItem* panel = mixer->findChild<QQuickItem*>("audioPanel");
    ASSERT_TRUE(panel);
    EXPECT_EQ(panel->property("presetManager").value<QObject*>(), content.presetManager());
    // In the visual tree: the items a Repeater makes have no QObject parent.
    std::function<QQuickItem*(QQuickItem*)> findStorm = [&](QQuickItem* item) -> QQuickItem* {
        if (item->objectName() == "preset_storm")
            return item;
        for (QQuickItem* child : item->childItems())
            if (QQuickItem* found = findStorm(child))
                return found;
        return nullptr;
    };
    QQuickItem* storm = findStorm(panel);
    ASSERT_TRUE(storm);
    EXPECT_TRUE(storm->property("lit").toBool());
}

TEST_F(ContentViewTest, TheMenuShowsTheSleepTimersTimeLeft)
{
    EXPECT_EQ(ContentView::formatRemaining(29 * 60 + 41), QStringLiteral("29:41"));
    EXPECT_EQ(ContentView::formatRemaining(5), QStringLiteral("0:05"));
    EXPECT_EQ(ContentView::formatRemaining(90 * 60), QStringLiteral("1:30:00"));
    EXPECT_EQ(ContentView::formatRemaining(-3), QStringLiteral("0:00"));

    EXPECT_EQ(content.sleepTimerTitle(), QStringLiteral("Sleep timer"));
    QSignalSpy changed(&content, &ContentView::sleepTimerChanged);
    content.setSleepTimer(30);
    EXPECT_FALSE(changed.isEmpty());
    EXPECT_EQ(content.sleepTimerMinutes(), 30.0);
    EXPECT_EQ(content.sleepTimerTitle(), QStringLiteral("Sleep timer \u2014 30:00 left"));
    content.setSleepTimer(0);
    EXPECT_EQ(content.sleepTimerTitle(), QStringLiteral("Sleep timer"));
}

} // namespace
