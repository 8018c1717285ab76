#include "HandFrame.h"

#include "clock/StrandGeometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

std::vector<std::vector<Point2>> runPoints(const DisplayList& list, const StrandRuns& runs)
{
    std::vector<std::vector<Point2>> out;
    for (const PathRef& run : runs.runs()) {
        const auto pts = list.points(run);
        out.emplace_back(pts.begin(), pts.end());
    }
    return out;
}

} // namespace

TEST(StrandGap, PointAtExactlyRhoIsDrawnAndJustInsideIsLeftOut)
{
    // Around the centre (10, 20): distances 8, 7, 6, 5, 0, 5, 6, 7, 8, the two
    // fives on a diagonal (3-4-5), so the squares add up exactly.
    const std::vector<double> x{2, 3, 4, 7, 10, 13, 16, 17, 18};
    const std::vector<double> y{20, 20, 20, 24, 20, 24, 20, 20, 20};
    DisplayList list;
    StrandRuns runs;

    addStrandRuns(list, x, y, 10, 20, 5.0, runs);
    auto pts = runPoints(list, runs);
    ASSERT_EQ(pts.size(), 2u);
    EXPECT_EQ(pts[0].size(), 4u);
    EXPECT_FLOAT_EQ(pts[0].back().x, 7);
    EXPECT_FLOAT_EQ(pts[0].back().y, 24);
    EXPECT_EQ(pts[1].size(), 4u);
    EXPECT_FLOAT_EQ(pts[1].front().x, 13);

    DisplayList list2;
    addStrandRuns(list2, x, y, 10, 20, std::nextafter(5.0, 6.0), runs);
    pts = runPoints(list2, runs);
    ASSERT_EQ(pts.size(), 2u);
    EXPECT_EQ(pts[0].size(), 3u);
    EXPECT_FLOAT_EQ(pts[0].back().x, 4);
    EXPECT_FLOAT_EQ(pts[1].front().x, 16);
}

TEST(StrandGap, LonePointsDrawNothingAndEveryRunIsItsOwnPolyline)
{
    // Out, in, out, in, out, out, in, out, out, out: lone points at 0 and 2.
    const std::vector<double> x{5, 0, 5, 0, 5, 6, 0, 5, 6, 7};
    const std::vector<double> y(x.size(), 0.0);
    DisplayList list;
    StrandRuns runs;
    addStrandRuns(list, x, y, 0, 0, 3, runs);
    const auto pts = runPoints(list, runs);
    ASSERT_EQ(pts.size(), 2u);
    EXPECT_EQ(pts[0].size(), 2u);
    EXPECT_FLOAT_EQ(pts[0][1].x, 6);
    EXPECT_EQ(pts[1].size(), 3u);
    EXPECT_FLOAT_EQ(pts[1][2].x, 7);
    // Only the drawn points reach the list.
    EXPECT_EQ(list.pointCount(), 5u);
}

TEST(StrandGap, NonFinitePointsAreLeftOut)
{
    const double nan = std::nan("");
    const std::vector<double> x{5, 6, nan, 8, 9, 10};
    const std::vector<double> y{0, 0, 0, 0, nan, 0};
    DisplayList list;
    StrandRuns runs;
    addStrandRuns(list, x, y, 0, 0, 3, runs);
    const auto pts = runPoints(list, runs);
    ASSERT_EQ(pts.size(), 1u);
    EXPECT_FLOAT_EQ(pts[0][0].x, 5);
    EXPECT_EQ(pts[0].size(), 2u);
}

TEST(StrandGap, WorstCaseAlternationFitsTheRunCapacity)
{
    std::vector<double> x, y(strandPointCount, 0.0);
    for (int i = 0; i < strandPointCount; ++i)
        x.push_back(i % 3 == 2 ? 0 : 10); // two out, one in, ...
    DisplayList list;
    StrandRuns runs;
    addStrandRuns(list, x, y, 0, 0, 1, runs);
    EXPECT_EQ(runs.count, StrandRuns::capacity);
}

TEST(StrandFrame, SpanCoversTheWindowPlusThreePointsInZoomedCoordinates)
{
    ClockFrame f = handFrame(someMinute, 12, 1000, 800);
    f.cx = 500;
    StrandRow x;
    strandXs(strandFrameValues(f), f.cx, x);
    EXPECT_EQ(x.front(), -3);
    EXPECT_EQ(x[strandCentreIndex], 500);
    EXPECT_EQ(x.back(), 1003);

    // Zoomed in twice, the layer only needs to reach half as far.
    f.S = 2;
    strandXs(strandFrameValues(f), f.cx, x);
    EXPECT_DOUBLE_EQ(x.front(), 248.5);
    EXPECT_DOUBLE_EQ(x.back(), 751.5);
    EXPECT_EQ(x[strandCentreIndex], 500);
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
    // Far out the strand is its waveform alone.
    EXPECT_NEAR(kink.bend.front(), 0, 1e-4);
    EXPECT_NEAR(kink.scale.back(), 1, 1e-3);

    f.charge = 1; // I = 1: kB = 0.32, kA = 0.72
    const StrandFrameValues v = strandFrameValues(f);
    EXPECT_DOUBLE_EQ(v.I, 1);
    strandKink(v, kink);
    EXPECT_NEAR(jump(), 2 * 0.32 * 1.72, 1e-3);
    EXPECT_GT(v.rho, f.R * 0.108);
}

TEST(StrandFrame, IntensityAndEnergySaturateAtOne)
{
    ClockFrame f = handFrame(someMinute, 0.7);
    f.accent = {ClockAccentKind::minute, 1};
    f.A = 1;
    f.charge = 1;
    f.slow[4] = 1;
    const StrandFrameValues v = strandFrameValues(f);
    EXPECT_EQ(v.E, 1);
    EXPECT_EQ(v.I, 1);

    // A level left on an inactive accent does not count.
    f.accent = {ClockAccentKind::none, 0.9};
    f.A = 0;
    EXPECT_EQ(strandFrameValues(f).E, 0);
}

TEST(StrandHash, StaysInUnitIntervalWhenTheSineIsNegative)
{
    int negative = 0;
    for (double base : {12.9898 * 1000, 12.9898 * 2000, 12.9898 * (someMinute + 17)}) {
        for (int j = 1; j <= 40; ++j) {
            const double h = strandHash(base, j);
            EXPECT_GE(h, 0);
            EXPECT_LT(h, 1);
            negative += std::sin(base + 78.233 * j) < 0;
        }
    }
    EXPECT_GT(negative, 10); // the floor, not truncation, was exercised
}
