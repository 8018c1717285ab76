#include "console/InstrumentMapping.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <QtCore/qnamespace.h>

#include <limits>

using namespace slm::console;

namespace {
constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
} // namespace

TEST(ConsoleMeterMapping, FillFractionClampsToTheScale)
{
    EXPECT_DOUBLE_EQ(fillFraction(-30, -60, 0), 0.5);
    EXPECT_DOUBLE_EQ(fillFraction(-18, -72, 0), 0.75);
    EXPECT_DOUBLE_EQ(fillFraction(-90, -60, 0), 0.0);
    EXPECT_DOUBLE_EQ(fillFraction(6, -60, 0), 1.0);
    EXPECT_DOUBLE_EQ(fillFraction(notANumber, -60, 0), 0.0);
}

TEST(ConsoleFaderMapping, CapFollowsTheValueButStaysInsideTheTrack)
{
    EXPECT_DOUBLE_EQ(faderCapCenterY(0.32, 0, 0.4, 235), 47.0);
    EXPECT_DOUBLE_EQ(faderCapCenterY(-8, -60, 6, 235), 235 * (1 - 52.0 / 66.0));
    // The ends and values beyond them park the cap 14 points from the end.
    EXPECT_DOUBLE_EQ(faderCapCenterY(0.4, 0, 0.4, 235), 14.0);
    EXPECT_DOUBLE_EQ(faderCapCenterY(0.9, 0, 0.4, 235), 14.0);
    EXPECT_DOUBLE_EQ(faderCapCenterY(-1.0, 0, 0.4, 235), 221.0);
    // An empty or inverted range reads as the bottom.
    EXPECT_DOUBLE_EQ(faderCapCenterY(0.5, 1, 1, 235), 221.0);
    EXPECT_DOUBLE_EQ(faderCapCenterY(0.5, 1, 0, 235), 221.0);
    // Too short for the cap: the middle; a zero height counts as 1.
    EXPECT_DOUBLE_EQ(faderCapCenterY(0.7, 0, 1, 20), 10.0);
    EXPECT_DOUBLE_EQ(faderCapCenterY(0.7, 0, 1, 0), 0.5);
}

TEST(ConsoleFaderMapping, PointerPositionSetsTheValueAbsolutely)
{
    EXPECT_DOUBLE_EQ(faderValueAt(47, 235, 0, 0.4), 0.32);
    EXPECT_DOUBLE_EQ(faderValueAt(-30, 235, 0, 0.4), 0.4);
    EXPECT_DOUBLE_EQ(faderValueAt(400, 235, 0, 0.4), 0.0);
    EXPECT_DOUBLE_EQ(faderValueAt(117.5, 235, -60, 6), -27.0);
    EXPECT_DOUBLE_EQ(faderValueAt(0.25, 0, 0, 1), 0.75);
}

TEST(ConsoleFaderMapping, AccessibilityStepsAndValueText)
{
    EXPECT_DOUBLE_EQ(faderIncremented(0.399, 0, 0.4), 0.4);
    EXPECT_DOUBLE_EQ(faderIncremented(0.2, 0, 0.4), 0.204);
    EXPECT_DOUBLE_EQ(faderDecremented(0.001, 0, 0.4), 0.0);
    EXPECT_DOUBLE_EQ(faderDecremented(-8, -60, 6), -8.66);
    EXPECT_EQ(faderValueText(0.32), "0.320");
    EXPECT_EQ(faderValueText(-8), "-8.000");
    EXPECT_EQ(faderValueText(0.0625), "0.062"); // an exact half rounds as C does
}

TEST(ConsoleReadouts, PercentOfTheFaderRange)
{
    EXPECT_EQ(percentText(0.2, 0, 0.4), "50%");
    EXPECT_EQ(percentText(0.078, 0, 0.2), "39%");
    EXPECT_EQ(percentText(0.085, 0, 0.2), "43%"); // 42.5 rounds up
    EXPECT_EQ(percentText(-8, -60, 6), "79%");
    EXPECT_EQ(percentText(0.9, 0, 0.4), "100%");
    EXPECT_EQ(percentText(-0.001, 0, 0.4), "0%");
    EXPECT_EQ(percentText(notANumber, 0, 0.4), "0%");
    EXPECT_EQ(percentText(0.5, 1, 1), "0%");
}

TEST(ConsoleReadouts, MasterVolumeOrFixed)
{
    EXPECT_EQ(masterVolumeText(0.504, true), "50%");
    EXPECT_EQ(masterVolumeText(0.505, true), "51%");
    EXPECT_EQ(masterVolumeText(0.7, false), "FIXED");
    EXPECT_EQ(masterVolumeText(notANumber, true), "0%");
}

TEST(ConsoleReadouts, GlowMasterTurnsRedAtTheBottom)
{
    EXPECT_TRUE(glowMasterIsSilent(-60));
    EXPECT_TRUE(glowMasterIsSilent(-59.5));
    EXPECT_FALSE(glowMasterIsSilent(-59.4));
}

TEST(ConsoleSpectrumMapping, BarWidthSharesTheRowAndNeverGoesBelowFour)
{
    EXPECT_DOUBLE_EQ(spectrumBarWidth(932, 24), (932 - 23 * 4) / 24.0);
    EXPECT_DOUBLE_EQ(spectrumBarWidth(50, 24), 4.0);
    // No bands: computed as one band, no division by zero.
    EXPECT_DOUBLE_EQ(spectrumBarWidth(300, 0), 300);
    EXPECT_DOUBLE_EQ(spectrumBarWidth(0, 0), 4.0);
}

TEST(ConsoleSpectrumMapping, FrequencyLabels)
{
    EXPECT_EQ(frequencyLabel(40), "40");
    EXPECT_EQ(frequencyLabel(999.9), "999");
    EXPECT_EQ(frequencyLabel(1000), "1k");
    EXPECT_EQ(frequencyLabel(6300), "6.3k");
    EXPECT_EQ(frequencyLabel(2040), "2k"); // within 0.05 of a whole number

    const QList<double> centres{40, 50, 63, 80, 100, 125, 160, 200, 250, 315, 400, 500,
                                630, 800, 1000, 1250, 1600, 2000, 2500, 3150, 4000, 5000, 6300, 10000};
    QStringList shown = spectrumLabels(centres, 24);
    ASSERT_EQ(shown.size(), 24);
    EXPECT_EQ(shown[22], " ");
    shown.removeAll(" ");
    EXPECT_EQ(shown, (QStringList{"40", "100", "250", "630", "1k", "2k", "4k", "10k"}));
    // The last band is always labelled; missing frequencies leave blanks.
    EXPECT_EQ(spectrumLabels({40, 50, 63, 80, 100, 125}, 6), (QStringList{"40", " ", " ", " ", "100", "125"}));
    EXPECT_EQ(spectrumLabels({40}, 3), (QStringList{"40", " ", " "}));
    EXPECT_TRUE(spectrumLabels({}, 0).isEmpty());
}

TEST(ConsoleMeterMapping, BarAndPeakStayInsideTheBody)
{
    EXPECT_DOUBLE_EQ(meterBarHeight(-60, -60, 0, 235), 1.0);
    EXPECT_DOUBLE_EQ(meterBarHeight(-59.9, -60, 0, 235), 1.0);
    EXPECT_DOUBLE_EQ(meterBarHeight(3, -60, 0, 235), 235.0);
    EXPECT_DOUBLE_EQ(meterBarHeight(-30, -60, 0, 200), 100.0);
    EXPECT_DOUBLE_EQ(meterPeakCenterY(0, -60, 0, 235), 1.0);
    EXPECT_DOUBLE_EQ(meterPeakCenterY(-60, -60, 0, 235), 234.0);
    EXPECT_DOUBLE_EQ(meterPeakCenterY(-30, -60, 0, 200), 100.0);
    EXPECT_DOUBLE_EQ(meterPeakCenterY(-30, -60, 0, 1), 0.5);
    EXPECT_EQ(meterValueText(-12.34), "-12.3 dB");
}

TEST(ConsoleFaderMapping, KeysStepFromTheCapWithinTheRange)
{
    const auto key = [](double value, int k) { return faderKeyValue(value, 0, 0.4, 0.2, k); };
    EXPECT_DOUBLE_EQ(*key(0.2, Qt::Key_Up), 0.204);
    EXPECT_DOUBLE_EQ(*key(0.2, Qt::Key_Left), 0.196);
    EXPECT_DOUBLE_EQ(*key(0.2, Qt::Key_PageUp), 0.24);
    EXPECT_DOUBLE_EQ(*key(0.2, Qt::Key_PageDown), 0.16);
    EXPECT_EQ(*key(0.399, Qt::Key_Right), 0.4);
    EXPECT_EQ(*key(0.01, Qt::Key_PageDown), 0.0);
    EXPECT_EQ(*key(0.13, Qt::Key_Home), 0.0);
    EXPECT_EQ(*key(0.13, Qt::Key_End), 0.4);
    EXPECT_EQ(*key(0.13, Qt::Key_Return), 0.2);
    EXPECT_EQ(*key(0.13, Qt::Key_Enter), 0.2);
    // A value beyond the range moves from the end where its cap is drawn.
    EXPECT_DOUBLE_EQ(*key(0.9, Qt::Key_Down), 0.396);
    EXPECT_DOUBLE_EQ(*key(notANumber, Qt::Key_Up), 0.004);
    EXPECT_DOUBLE_EQ(*faderKeyValue(-8, -60, 6, -8, Qt::Key_PageUp), -1.4);
    EXPECT_FALSE(key(0.2, Qt::Key_Space));
    EXPECT_FALSE(faderKeyValue(0.2, 1, 1, 0.2, Qt::Key_Up));
}

TEST(ConsoleReadouts, FaderDescriptionNamesTheStrip)
{
    EXPECT_EQ(faderDescription("REACTOR", 0.2), "REACTOR, 0.200");
    EXPECT_EQ(faderDescription("", 0.2), "0.200");
}

TEST(ConsoleReadouts, SleepTimerTimeLeft)
{
    EXPECT_EQ(sleepTimerText(false, 900), "OFF");
    EXPECT_EQ(sleepTimerText(true, 900), "15:00");
    EXPECT_EQ(sleepTimerText(true, 59), "0:59");
    EXPECT_EQ(sleepTimerText(true, 3600), "1:00:00");
    EXPECT_EQ(sleepTimerText(true, 3661), "1:01:01");
    EXPECT_EQ(sleepTimerText(true, -3), "0:00");
}
