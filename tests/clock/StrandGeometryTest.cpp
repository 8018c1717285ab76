#include "HandFrame.h"

#include "clock/StrandGeometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

std::vector<std::vector<Point2>> runsOf(const std::vector<double>& x, const std::vector<double>& y, double cx,
                                        double cy, double rho)
{
    DisplayList list;
    StrandRuns runs;
    addStrandRuns(list, x, y, cx, cy, rho, runs);
    std::vector<std::vector<Point2>> out;
    for (const PathRef& run : runs.runs())
        out.emplace_back(list.points(run).begin(), list.points(run).end());
    return out;
}

} // namespace

TEST(StrandGap, PointAtExactlyRhoIsDrawnAndJustInsideIsLeftOut)
{
    // Distances from (10, 20): 8, 7, 6, 5, 0, 5, 6, 7, 8; the fives lie on a
    // 3-4-5 diagonal, so their squares add up exactly.
    const std::vector<double> x{2, 3, 4, 7, 10, 13, 16, 17, 18};
    const std::vector<double> y{20, 20, 20, 24, 20, 24, 20, 20, 20};

    auto runs = runsOf(x, y, 10, 20, 5.0);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].size(), 4u);
    EXPECT_FLOAT_EQ(runs[0].back().y, 24);
    EXPECT_FLOAT_EQ(runs[1].front().x, 13);

    runs = runsOf(x, y, 10, 20, std::nextafter(5.0, 6.0));
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_FLOAT_EQ(runs[0].back().x, 4);
    EXPECT_FLOAT_EQ(runs[1].front().x, 16);
}

TEST(StrandGap, LonePointsAndNonFinitePointsDrawNothing)
{
    // Out, in, out, in, out, out, NaN, out, out, out (rho 3 about the origin).
    const double nan = std::nan("");
    const std::vector<double> x{5, 0, 5, 0, 5, 6, nan, 5, 6, 7};
    const auto runs = runsOf(x, std::vector<double>(x.size(), 0.0), 0, 0, 3);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].size(), 2u);
    EXPECT_EQ(runs[1].size(), 3u);
    EXPECT_FLOAT_EQ(runs[1].back().x, 7);

    // The most runs a strand can break into still fit.
    std::vector<double> alternating;
    for (int i = 0; i < strandPointCount; ++i)
        alternating.push_back(i % 3 == 2 ? 0 : 10);
    EXPECT_EQ(runsOf(alternating, std::vector<double>(strandPointCount, 0.0), 0, 0, 1).size(),
              StrandRuns::capacity);
}

TEST(StrandFrame, SpanReachesThreePointsBeyondTheWindowInZoomedCoordinates)
{
    ClockFrame f = handFrame(someMinute, 12, 1000, 800);
    f.cx = 500;
    StrandRow x;
    strandXs(strandFrameValues(f), f.cx, x);
    EXPECT_EQ(x.front(), -3);
    EXPECT_EQ(x[strandCentreIndex], 500);
    EXPECT_EQ(x.back(), 1003);

    f.S = 2; // zoomed in twice: the layer needs to reach only half as far
    strandXs(strandFrameValues(f), f.cx, x);
    EXPECT_DOUBLE_EQ(x.front(), 248.5);
    EXPECT_DOUBLE_EQ(x.back(), 751.5);
}

TEST(StrandFrame, KinkJumpsAcrossTheCentreWithIntensity)
{
    ClockFrame f = handFrame(someMinute, 12);
    StrandKink kink;
    const auto jump = [&] {
        const int c = strandCentreIndex;
        return kink.scale[c] * kink.bend[c] - kink.scale[c - 1] * kink.bend[c - 1];
    };

    strandKink(strandFrameValues(f), kink); // I = 0
    EXPECT_NEAR(jump(), 2 * 0.08 * 1.18, 1e-3);
    EXPECT_NEAR(kink.bend.front(), 0, 1e-4); // far out, the waveform alone
    EXPECT_NEAR(kink.scale.back(), 1, 1e-3);

    f.charge = 1; // I = 1: kB = 0.32, kA = 0.72
    strandKink(strandFrameValues(f), kink);
    EXPECT_NEAR(jump(), 2 * 0.32 * 1.72, 1e-3);
}

TEST(StrandHash, StaysInUnitIntervalWhenTheSineIsNegative)
{
    int negative = 0;
    for (double base : {12.9898 * 1000, 12.9898 * (someMinute + 17)}) {
        for (int j = 1; j <= 40; ++j) {
            const double h = strandHash(base, j);
            EXPECT_TRUE(h >= 0 && h < 1) << h;
            negative += std::sin(base + 78.233 * j) < 0;
        }
    }
    EXPECT_GT(negative, 10); // so a truncating frac would have shown
}
