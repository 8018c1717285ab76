// The header's transport and sleep controls, the keyboard over the whole
// board, and the footer row.
#include "PanelFixture.h"

#include "engine/SLMSleepTimer.h"

#include <QColor>
#include <QTest>

using ConsoleHeaderBar = PanelFixture;
using ConsoleKeyboard = PanelFixture;
using ConsoleDetails = PanelFixture;

// The lamp's texts and colours for each state are EngineStatusTest's.
TEST_F(ConsoleHeaderBar, LampAndTransportKeyFollowTheEngine)
{
    const auto text = [this](const char* name) { return item(name)->property("text").toString(); };
    const auto lamp = [this] { return item("engineStatus")->property("lampColor").value<QColor>(); };
    EXPECT_EQ(text("engineStatus"), "ENGINE LIVE");
    EXPECT_EQ(text("transportButton"), "PAUSE");
    const QColor live = lamp();

    click("transportButton");
    EXPECT_FALSE(engine().isPlaying());
    EXPECT_EQ(text("engineStatus"), "PAUSED");
    EXPECT_NE(lamp(), live);
    EXPECT_EQ(text("transportButton"), "PLAY");
    EXPECT_TRUE(item("transportButton")->property("lit").toBool());

    engine().play();
    EXPECT_EQ(text("engineStatus"), "ENGINE LIVE");
    EXPECT_EQ(text("transportButton"), "PAUSE");

    // An engine whose output never started is not shown as live.
    slm::test::OfflineEngine silent(0.0);
    panel()->setProperty("audioEngine", QVariant::fromValue<QObject*>(&silent.engine()));
    EXPECT_EQ(text("engineStatus"), "NO AUDIO OUTPUT");
    panel()->setProperty("audioEngine", QVariant::fromValue<QObject*>(&engine()));
}

// The lengths it steps through are the sleep timer's, the text InstrumentMappingTest's.
TEST_F(ConsoleHeaderBar, SleepKeyStepsTheTimerAndTheReadoutFollows)
{
    EXPECT_EQ(readout("sleepReadout"), "OFF");
    click("sleepButton");
    EXPECT_EQ(engine().sleepTimer()->lengthMinutes(), 15);
    EXPECT_EQ(readout("sleepReadout"), "15:00");
    EXPECT_TRUE(item("sleepButton")->property("lit").toBool());
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

TEST_F(ConsoleDetails, FooterHintMakesRoomForTheLockNotice)
{
    QQuickItem* hint = item("footerHint");
    QQuickItem* locked = item("evolutionLocked");
    ASSERT_TRUE(hint && locked);
    const double before = hint->x();
    engine().setIsFrozen(true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return hint->x() > before && hint->x() >= locked->x() + locked->width(); }, 1000))
        << hint->x();
}
