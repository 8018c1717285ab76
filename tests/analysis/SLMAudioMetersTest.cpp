#include "analysis/SLMAudioMeters.h"

#include <QMetaProperty>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

double propertyValue(const SLMAudioMeters& meters, int index)
{
    const QMetaObject& meta = SLMAudioMeters::staticMetaObject;
    return meta.property(meta.propertyOffset() + index).read(&meters).toDouble();
}

void updateAll(SLMAudioMeters& meters, double amplitude)
{
    meters.update(amplitude, amplitude, amplitude, amplitude, amplitude, amplitude, amplitude);
}

TEST(SLMAudioMeters, StartsSilentOnAllFourteenProperties)
{
    SLMAudioMeters meters;
    const QMetaObject& meta = SLMAudioMeters::staticMetaObject;
    ASSERT_EQ(meta.propertyCount() - meta.propertyOffset(), 14);
    for (int i = 0; i < 14; ++i)
        EXPECT_EQ(propertyValue(meters, i), -60.0) << i;
}

// From the floor a held peak takes the instantaneous level as it is, so the
// peaks show the conversion directly; each argument goes to its own meter,
// and its level makes one rise step towards it.
TEST(SLMAudioMeters, ConvertsAmplitudesToClampedDecibels)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double amplitude;
        double db;
    };
    const std::vector<Case> cases = {
        {1e-6, -60.0}, {0.0, -60.0},  {-0.5, -60.0}, {nan, -60.0},
        {0.001, -60.0}, {1.01e-6, -60.0}, {0.01, -40.0}, {0.5, 20.0 * std::log10(0.5)},
        {1.0, 0.0},    {4.0, 0.0},    {inf, 0.0},
    };
    for (const Case& c : cases) {
        for (int channel = 0; channel < 7; ++channel) {
            SLMAudioMeters meters;
            double a[7] = {0, 0, 0, 0, 0, 0, 0};
            a[channel] = c.amplitude;
            meters.update(a[0], a[1], a[2], a[3], a[4], a[5], a[6]);
            for (int other = 0; other < 7; ++other) {
                const double expected = other == channel ? c.db : -60.0;
                EXPECT_NEAR(propertyValue(meters, 7 + other), expected, 1e-12)
                    << "amplitude " << c.amplitude << " on channel " << channel;
                const double rise = other < 5 ? 0.72 : 0.9;
                EXPECT_NEAR(propertyValue(meters, other), -60.0 + (expected + 60.0) * rise, 1e-12)
                    << "amplitude " << c.amplitude << " on channel " << channel;
            }
        }
    }
    SLMAudioMeters meters;
    meters.update(0.5, 0, 0, 0, 0, 0, 0);
    EXPECT_NEAR(meters.reactorPeakDB(), -6.0206, 1e-4);
}

TEST(SLMAudioMeters, VoicesAndMasterRiseFastAndFallSlowly)
{
    SLMAudioMeters meters;
    updateAll(meters, 1.0);
    for (double v : {meters.reactorDB(), meters.fieldDB(), meters.waveDB(), meters.anomalyDB(), meters.glowwormDB()})
        EXPECT_NEAR(v, -16.8, 1e-12);
    EXPECT_NEAR(meters.masterLeftDB(), -6.0, 1e-12);
    EXPECT_NEAR(meters.masterRightDB(), -6.0, 1e-12);

    updateAll(meters, 0.0);
    EXPECT_NEAR(meters.reactorDB(), -16.8 + (-60.0 + 16.8) * 0.16, 1e-12);
    EXPECT_NEAR(meters.glowwormDB(), -16.8 + (-60.0 + 16.8) * 0.16, 1e-12);
    EXPECT_NEAR(meters.masterRightDB(), -6.0 + (-60.0 + 6.0) * 0.24, 1e-12);

    // Settled at full scale, one silent update drops by the fall step alone.
    for (int i = 0; i < 60; ++i)
        updateAll(meters, 1.0);
    updateAll(meters, 0.0);
    EXPECT_NEAR(meters.reactorDB(), -9.6, 1e-9);
    EXPECT_NEAR(meters.masterLeftDB(), -14.4, 1e-9);

    // A level equal to the current value is not a rise: nothing moves.
    SLMAudioMeters steady;
    steady.update(0.001, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(steady.reactorDB(), -60.0);
}

TEST(SLMAudioMeters, LevelsStayWithinTheFloorAndCeiling)
{
    SLMAudioMeters meters;
    const double pattern[] = {1e9, 0.0, 3.0, 1e-9, 1.0, 0.2, std::numeric_limits<double>::infinity()};
    for (int round = 0; round < 200; ++round) {
        updateAll(meters, pattern[round % 7]);
        for (int i = 0; i < 14; ++i) {
            EXPECT_LE(propertyValue(meters, i), 0.0);
            EXPECT_GE(propertyValue(meters, i), -60.0);
        }
    }
}

TEST(SLMAudioMeters, PeaksHoldAtOnceThenSinkLinearlyToTheFloor)
{
    SLMAudioMeters meters;
    meters.update(1.0, 0, 0, 0, 0, 0, 1.0);
    EXPECT_EQ(meters.reactorPeakDB(), 0.0);
    EXPECT_EQ(meters.masterRightPeakDB(), 0.0);
    // The peak follows the instantaneous level, not the smoothed one.
    EXPECT_GT(meters.reactorPeakDB(), meters.reactorDB());

    for (int step = 1; step <= 109; ++step) {
        updateAll(meters, 0.0);
        ASSERT_NEAR(meters.reactorPeakDB(), -0.55 * step, 1e-9) << step;
        ASSERT_NEAR(meters.masterRightPeakDB(), -0.55 * step, 1e-9) << step;
    }
    updateAll(meters, 0.0);
    EXPECT_EQ(meters.reactorPeakDB(), -60.0);
    updateAll(meters, 0.0);
    EXPECT_EQ(meters.reactorPeakDB(), -60.0);
}

TEST(SLMAudioMeters, PeakMeetsTheSignalAgainOrTakesAnEqualLevel)
{
    SLMAudioMeters meters;
    meters.update(1.0, 0.5, 0, 0, 0, 0, 0);
    // Equal level: taken as the new peak, no decay step.
    meters.update(0.1, 0.5, 0, 0, 0, 0, 0);
    EXPECT_NEAR(meters.fieldPeakDB(), 20.0 * std::log10(0.5), 1e-12);
    // Falling peak overtaken by a louder reading jumps to it.
    EXPECT_NEAR(meters.reactorPeakDB(), -0.55, 1e-12);
    meters.update(0.5, 0, 0, 0, 0, 0, 0);
    EXPECT_NEAR(meters.reactorPeakDB(), -1.10, 1e-12);
    meters.update(1.0, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(meters.reactorPeakDB(), 0.0);
}

// Each of the fourteen values is its own published change, levels first:
// the announcement comes while the old value is still stored, the property's
// signal once the new one is in place.
TEST(SLMAudioMeters, PublishesFourteenChangesInDeclarationOrder)
{
    SLMAudioMeters meters;
    const QMetaObject& meta = SLMAudioMeters::staticMetaObject;
    std::vector<std::string> events;
    int nextIndex = 0;

    QObject::connect(&meters, &SLMAudioMeters::objectWillChange, [&] {
        events.push_back("will");
        if (nextIndex < 14) {
            EXPECT_EQ(propertyValue(meters, nextIndex), -60.0) << "stored before announcement " << nextIndex;
        }
    });
    using Signal = void (SLMAudioMeters::*)();
    const Signal changed[14] = {
        &SLMAudioMeters::reactorDBChanged,        &SLMAudioMeters::fieldDBChanged,
        &SLMAudioMeters::waveDBChanged,           &SLMAudioMeters::anomalyDBChanged,
        &SLMAudioMeters::glowwormDBChanged,       &SLMAudioMeters::masterLeftDBChanged,
        &SLMAudioMeters::masterRightDBChanged,    &SLMAudioMeters::reactorPeakDBChanged,
        &SLMAudioMeters::fieldPeakDBChanged,      &SLMAudioMeters::wavePeakDBChanged,
        &SLMAudioMeters::anomalyPeakDBChanged,    &SLMAudioMeters::glowwormPeakDBChanged,
        &SLMAudioMeters::masterLeftPeakDBChanged, &SLMAudioMeters::masterRightPeakDBChanged,
    };
    for (int i = 0; i < 14; ++i) {
        QObject::connect(&meters, changed[i], [&, i] {
            events.push_back(meta.property(meta.propertyOffset() + i).name());
            EXPECT_NE(propertyValue(meters, i), -60.0) << "not yet stored at notification " << i;
            nextIndex = i + 1;
        });
    }

    updateAll(meters, 1.0);

    ASSERT_EQ(events.size(), 28u);
    for (int i = 0; i < 14; ++i) {
        EXPECT_EQ(events[2 * i], "will");
        EXPECT_EQ(events[2 * i + 1], meta.property(meta.propertyOffset() + i).name());
    }
}

} // namespace
