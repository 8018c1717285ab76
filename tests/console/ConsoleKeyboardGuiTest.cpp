// The header's transport and sleep controls, the keyboard over the whole
// board, and the footer row.
#include "PanelFixture.h"

#include "engine/SLMSleepTimer.h"

#include <QColor>
#include <QTest>

namespace {

QColor lampOf(QQuickItem* badge) { return badge->property("lampColor").value<QColor>(); }

} // namespace

using ConsoleHeaderBar = PanelFixture;
using ConsoleKeyboard = PanelFixture;
using ConsoleDetails = PanelFixture;

TEST_F(ConsoleHeaderBar, LampAndTransportKeyFollowTheEngine)
{
    QQuickItem* lamp = item("engineStatus");
    QQuickItem* transport = item("transportButton");
    ASSERT_TRUE(lamp && transport);
    EXPECT_EQ(lamp->property("text").toString(), "ENGINE LIVE");
    const QColor live = lampOf(lamp);
    EXPECT_EQ(transport->property("text").toString(), "PAUSE");

    click("transportButton");
    EXPECT_FALSE(engine().isPlaying());
    EXPECT_EQ(lamp->property("text").toString(), "PAUSED");
    EXPECT_NE(lampOf(lamp), live);
    EXPECT_EQ(transport->property("text").toString(), "PLAY");
    EXPECT_TRUE(transport->property("lit").toBool());

    engine().play();
    EXPECT_EQ(lamp->property("text").toString(), "ENGINE LIVE");
    EXPECT_EQ(transport->property("text").toString(), "PAUSE");

    // An engine whose output never started is not shown as live.
    slm::test::OfflineEngine silent(0.0);
    ASSERT_NE(silent.engine().outputState(), SLMAudioEngine::OutputState::live);
    panel()->setProperty("audioEngine", QVariant::fromValue<QObject*>(&silent.engine()));
    EXPECT_EQ(lamp->property("text").toString(), "NO AUDIO OUTPUT");
    panel()->setProperty("audioEngine", QVariant::fromValue<QObject*>(&engine()));
}

TEST_F(ConsoleHeaderBar, SleepKeyStepsTheTimerAndTheReadoutFollows)
{
    SLMSleepTimer* timer = engine().sleepTimer();
    EXPECT_EQ(readout("sleepReadout"), "OFF");
    click("sleepButton");
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->lengthMinutes(), 15);
    EXPECT_EQ(readout("sleepReadout"), "15:00");
    EXPECT_TRUE(item("sleepButton")->property("lit").toBool());
    for (const char* shown : {"30:00", "45:00", "1:00:00", "1:30:00", "OFF"}) {
        click("sleepButton");
        EXPECT_EQ(readout("sleepReadout"), shown);
    }
    EXPECT_FALSE(timer->isActive());
    timer->start(0.5);
    EXPECT_EQ(readout("sleepReadout"), "0:30");
}

TEST_F(ConsoleKeyboard, TabVisitsEveryControlInOrderWithAVisibleRing)
{
    window()->requestActivate();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window()));
    QStringList visited;
    QQuickItem* first = nullptr;
    for (int i = 0; i < 80; ++i) {
        QTest::keyClick(window(), Qt::Key_Tab);
        QQuickItem* focused = window()->activeFocusItem();
        ASSERT_TRUE(focused);
        if (focused == first)
            break;
        if (!first)
            first = focused;
        QQuickItem* ring = items(focused, "focusRing").value(0);
        ASSERT_TRUE(ring) << focused->objectName().toStdString();
        EXPECT_TRUE(ring->isVisible()) << focused->objectName().toStdString();
        visited << (focused->objectName().isEmpty() ? focused->property("text").toString() : focused->objectName());
    }
    const QStringList expected{
        "sleepButton", "transportButton", "freezeButton",
        "preset_void", "preset_drift", "preset_swarm", "preset_storm", "preset_custom", "saveCustom",
        "masterFader", "masterFull",
        "reactorFader", "reactorReset", "reactorMute", "reactorSolo",
        "fieldFader", "fieldReset", "fieldMute", "fieldSolo",
        "waveFader", "waveReset", "waveMute", "waveSolo",
        "anomalyFader", "anomalyReset", "anomalyMute", "anomalySolo",
        "glowMasterFader", "glowMasterMute", "glowMasterSolo",
        "glowLevelFader", "glowActivityFader", "glowBrightFader", "glowTrailFader", "glowTravelFader"};
    EXPECT_EQ(visited, expected);
    // A mouse click does not leave a ring behind on a key.
    click("fieldMute");
    EXPECT_FALSE(items(item("fieldMute"), "focusRing").value(0)->isVisible());
}

// Which key does what is the mapping functions'; here the keys reach the models.
TEST_F(ConsoleKeyboard, FaderKeysMoveTheBoundParameterAndSpaceTogglesAKey)
{
    item("reactorFader")->forceActiveFocus(Qt::TabFocusReason);
    QTest::keyClick(window(), Qt::Key_Up);
    EXPECT_DOUBLE_EQ(parameters().reactorLevel(), 0.204);
    QTest::keyClick(window(), Qt::Key_Return);
    EXPECT_EQ(parameters().reactorLevel(), 0.2);

    // The master writes the device volume over its own range.
    item("masterFader")->forceActiveFocus(Qt::TabFocusReason);
    QTest::keyClick(window(), Qt::Key_Down);
    EXPECT_DOUBLE_EQ(output().volume(), 0.99);

    item("waveMute")->forceActiveFocus(Qt::TabFocusReason);
    QTest::keyClick(window(), Qt::Key_Space);
    EXPECT_TRUE(parameters().waveMuted());
    QTest::keyClick(window(), Qt::Key_Space);
    EXPECT_FALSE(parameters().waveMuted());
}

TEST_F(ConsoleDetails, FooterHintFollowsTheSignalFlowAndTheLockNotice)
{
    // The footer's hint follows the signal flow (and the lock notice) in one row.
    QQuickItem* row = item("footerRow");
    QQuickItem* hint = item("footerHint");
    ASSERT_TRUE(row && hint);
    EXPECT_EQ(hint->parentItem(), row);
    const QList<QQuickItem*> shown = [&] {
        QList<QQuickItem*> list;
        for (QQuickItem* child : row->childItems())
            if (child->isVisible())
                list.append(child);
        return list;
    }();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown.back(), hint);
    const double spacing = row->property("spacing").toDouble();
    EXPECT_DOUBLE_EQ(hint->x(), shown.front()->x() + shown.front()->width() + spacing);
    engine().setIsFrozen(true);
    QQuickItem* locked = item("evolutionLocked");
    const auto follows = [&] { return hint->x() == locked->x() + locked->width() + spacing; };
    EXPECT_TRUE(QTest::qWaitFor(follows, 1000)) << hint->x();
}
