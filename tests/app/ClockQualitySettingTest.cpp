#include "app/ClockFrameReport.h"
#include "app/ClockQualitySetting.h"

#include <QSettings>

#include <gtest/gtest.h>

namespace {

// The per-user store is a temporary directory in this binary (SettingsSandbox).
class ClockQualitySettingTest : public testing::Test {
protected:
    void SetUp() override { qunsetenv("STARLUME_CLOCK_QUALITY"); }
    void TearDown() override
    {
        qunsetenv("STARLUME_CLOCK_QUALITY");
        store().remove(QLatin1String(clockQualitySettingKey));
    }
    static QSettings store()
    {
        return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Starlume"), QStringLiteral("Starlume"));
    }
};

TEST_F(ClockQualitySettingTest, ReadsThePresetsFileUnderTheEnvironment)
{
    EXPECT_EQ(requestedClockQuality(), ClockQualityMode::automatic);

    store().setValue(QLatin1String(clockQualitySettingKey), QStringLiteral("reduced"));
    EXPECT_EQ(requestedClockQuality(), ClockQualityMode::reduced);

    qputenv("STARLUME_CLOCK_QUALITY", "full");
    EXPECT_EQ(requestedClockQuality(), ClockQualityMode::full);

    qputenv("STARLUME_CLOCK_QUALITY", "");
    EXPECT_EQ(requestedClockQuality(), ClockQualityMode::reduced);
}

TEST(ClockFrameReport, OneLineWithCountOneDecimalSecondsAndRateAndTwoDecimalScale)
{
    EXPECT_EQ(formatClockFrameReport(150, 5.0, 0.5), QStringLiteral("clock: 150 frames in 5.0 s (30.0 fps), render scale 0.50"));
    EXPECT_EQ(formatClockFrameReport(301, 5.0371, 1.0), QStringLiteral("clock: 301 frames in 5.0 s (59.8 fps), render scale 1.00"));
    // Never a division by zero, whatever the timer did.
    EXPECT_EQ(formatClockFrameReport(3, 0.0, 0.5), QStringLiteral("clock: 3 frames in 0.0 s (0.0 fps), render scale 0.50"));
}

} // namespace
