#include "console/EngineStatus.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

using slm::console::engineStatus;
using State = SLMAudioEngine::OutputState;

// The lamp tells the truth: a missing or broken output outranks the
// transport, and each state has its own text and lamp colour.
TEST(ConsoleEngineLamp, SaysWhatTheOutputAndTransportDo)
{
    const auto live = engineStatus(State::live, true);
    const auto paused = engineStatus(State::live, false);
    const auto waiting = engineStatus(State::waitingForServer, true);
    EXPECT_EQ(live.text, "ENGINE LIVE");
    EXPECT_GT(live.lampColor.greenF(), live.lampColor.redF());
    EXPECT_EQ(paused.text, "PAUSED");
    EXPECT_GT(paused.lampColor.redF(), paused.lampColor.blueF() + 0.5); // amber
    EXPECT_EQ(waiting.text, "NO SOUND SERVER");
    EXPECT_EQ(engineStatus(State::waitingForServer, false).text, "NO SOUND SERVER");
    // Dim: darker than the live and paused lamps.
    EXPECT_LT(waiting.lampColor.valueF(), paused.lampColor.valueF());
    EXPECT_FALSE(waiting.detail.isEmpty());
    EXPECT_EQ(engineStatus(State::unavailable, false).text, "NO AUDIO OUTPUT");
    EXPECT_NE(engineStatus(State::unavailable, true).lampColor, live.lampColor);
}
