#include "app/ContentView.h"

#include "app/SLMMixerWindowController.h"
#include "control/MemoryDeviceControl.h"
#include "control/SLMAudioParameters.h"
#include "control/SLMAudioPresetManager.h"
#include "engine/OfflineAudioOutput.h"
#include "engine/SLMAudioEngine.h"
#include "support/EventLoop.h"
#include "support/ProgramWindow.h"

#include <QDateTime>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

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

// What is restored from which settings is the preset manager's; here the
// program restores at start and the console works on that same manager.
TEST(ContentViewRestart, PlaysTheMixTheListenerLeftAndTheConsoleShowsIt)
{
    SLMAudioPreset mix = SLMAudioPreset::builtIn(SLMPresetID::Drift);
    mix.id = SLMPresetID::Custom;
    QQmlEngine qml;
    leaveSettings(*mix.encode(), "storm");
    ContentView content(offlineEngine, qml);
    SLMAudioParameters& parameters = *content.audioEngine()->parameters();
    EXPECT_EQ(SLMAudioPreset::snapshot(parameters, SLMPresetID::Storm), SLMAudioPreset::builtIn(SLMPresetID::Storm));

    // The console works on the same manager, so that it shows this one's
    // preset and no second manager saves over the first.
    content.openMixer();
    QQuickItem* panel = slm::test::findItem(content.mixerWindowController()->mixerWindow(), "audioPanel");
    ASSERT_TRUE(panel);
    EXPECT_EQ(panel->property("presetManager").value<QObject*>(), content.presetManager());
}

TEST_F(ContentViewTest, TheMenuShowsTheSleepTimersTimeLeft)
{
    EXPECT_EQ(ContentView::formatRemaining(5), QStringLiteral("0:05"));
    EXPECT_EQ(ContentView::formatRemaining(90 * 60), QStringLiteral("1:30:00"));
    EXPECT_EQ(ContentView::formatRemaining(-3), QStringLiteral("0:00"));

    EXPECT_EQ(content.sleepTimerTitle(), QStringLiteral("Sleep timer"));
    QSignalSpy changed(&content, &ContentView::sleepTimerChanged);
    content.setSleepTimer(30);
    EXPECT_FALSE(changed.isEmpty());
    EXPECT_EQ(content.sleepTimerTitle(), QStringLiteral("Sleep timer \u2014 30:00 left"));
    content.setSleepTimer(0);
    EXPECT_EQ(content.sleepTimerTitle(), QStringLiteral("Sleep timer"));
}

} // namespace
