#include "analysis/SLMAudioMeters.h"

#include <QMetaProperty>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

namespace {

// Properties 0-6 are the levels, 7-13 the peaks, in declaration order.
double value(const SLMAudioMeters& meters, int index)
{
    const QMetaObject& meta = SLMAudioMeters::staticMetaObject;
    return meta.property(meta.propertyOffset() + index).read(&meters).toDouble();
}

void updateAll(SLMAudioMeters& meters, double a) { meters.update(a, a, a, a, a, a, a); }

// From the floor a peak takes the instantaneous level as it is and a level
// makes one rise step towards it, so one update shows each channel's reading.
TEST(SLMAudioMeters, ConvertsPeaksToClampedDecibelsPerChannel)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const std::pair<double, double> cases[] = {{1e-6, -60}, {0, -60},  {-0.5, -60}, {nan, -60},
                                               {0.001, -60}, {0.01, -40}, {0.5, 20 * std::log10(0.5)},
                                               {1, 0},      {4, 0},    {inf, 0}};
    for (const auto& [amplitude, db] : cases) {
        for (int channel = 0; channel < 7; ++channel) {
            SLMAudioMeters meters;
            double in[7] = {};
            in[channel] = amplitude;
            meters.update(in[0], in[1], in[2], in[3], in[4], in[5], in[6]);
            for (int i = 0; i < 7; ++i) {
                const double t = i == channel ? db : -60.0;
                const double rise = i < 5 ? 0.72 : 0.9;
                EXPECT_NEAR(value(meters, 7 + i), t, 1e-12) << amplitude << " on " << channel;
                EXPECT_NEAR(value(meters, i), -60.0 + (t + 60.0) * rise, 1e-12) << amplitude << " on " << channel;
            }
        }
    }
}

TEST(SLMAudioMeters, LevelsFallMoreSlowlyThanTheyRise)
{
    SLMAudioMeters meters;
    for (int i = 0; i < 14; ++i)
        EXPECT_EQ(value(meters, i), -60.0);
    for (int i = 0; i < 60; ++i)
        updateAll(meters, 1.0);
    updateAll(meters, 0.0);
    for (int i = 0; i < 7; ++i)
        EXPECT_NEAR(value(meters, i), i < 5 ? -9.6 : -14.4, 1e-9) << i;
}

TEST(SLMAudioMeters, PeaksHoldAtOnceThenSinkLinearlyToTheFloor)
{
    SLMAudioMeters meters;
    meters.update(1.0, 0.5, 0, 0, 0, 0, 1.0);
    meters.update(0.0, 0.5, 0, 0, 0, 0, 0.0);
    EXPECT_NEAR(meters.fieldPeakDB(), 20 * std::log10(0.5), 1e-12); // an equal level is no decay step
    for (int step = 2; step <= 109; ++step) {
        updateAll(meters, 0.0);
        ASSERT_NEAR(meters.reactorPeakDB(), -0.55 * step, 1e-9) << step;
        ASSERT_NEAR(meters.masterRightPeakDB(), -0.55 * step, 1e-9) << step;
    }
    updateAll(meters, 0.0);
    EXPECT_EQ(meters.reactorPeakDB(), -60.0);
    updateAll(meters, 0.0);
    EXPECT_EQ(meters.reactorPeakDB(), -60.0);
    meters.update(0.5, 0, 0, 0, 0, 0, 0);
    EXPECT_NEAR(meters.reactorPeakDB(), 20 * std::log10(0.5), 1e-12);
}

// Each value is its own published change, levels first: announced while the
// old value is stored, then notified.
TEST(SLMAudioMeters, AnnouncesEachOfTheFourteenAssignmentsInOrder)
{
    SLMAudioMeters meters;
    auto snapshot = [&] {
        std::vector<double> values;
        for (int i = 0; i < 14; ++i)
            values.push_back(value(meters, i));
        return values;
    };
    std::vector<std::vector<double>> seen;
    QObject::connect(&meters, &SLMAudioMeters::objectWillChange, [&] { seen.push_back(snapshot()); });
    const QMetaObject& meta = SLMAudioMeters::staticMetaObject;
    std::vector<std::unique_ptr<QSignalSpy>> notified;
    for (int i = 0; i < 14; ++i)
        notified.push_back(std::make_unique<QSignalSpy>(&meters, meta.property(meta.propertyOffset() + i).notifySignal()));

    updateAll(meters, 1.0);
    seen.push_back(snapshot());
    ASSERT_EQ(seen.size(), 15u);
    for (int k = 0; k < 14; ++k) {
        EXPECT_EQ(notified[k]->count(), 1) << k;
        for (int i = 0; i < 14; ++i)
            EXPECT_EQ(seen[k + 1][i] != seen[k][i], i == k) << "announcement " << k << ", value " << i;
    }
}

} // namespace
