#include "HandFrame.h"

#include "clock/StrandGeometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
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

namespace {

// The cut as first written: one test per point, then the runs.
std::vector<std::vector<Point2>> plainRuns(const std::vector<double>& x, const std::vector<double>& y, double cx,
                                           double cy, double rho)
{
    std::vector<std::vector<Point2>> out;
    std::vector<Point2> run;
    for (std::size_t i = 0; i <= x.size(); ++i) {
        if (i < x.size() && (x[i] - cx) * (x[i] - cx) + (y[i] - cy) * (y[i] - cy) >= rho * rho) {
            run.push_back({static_cast<float>(x[i]), static_cast<float>(y[i])});
            continue;
        }
        if (run.size() >= 2)
            out.push_back(run);
        run.clear();
    }
    return out;
}

bool sameRuns(const std::vector<std::vector<Point2>>& a, const std::vector<std::vector<Point2>>& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t r = 0; r < a.size(); ++r) {
        if (a[r].size() != b[r].size())
            return false;
        for (std::size_t i = 0; i < a[r].size(); ++i)
            if (std::memcmp(&a[r][i], &b[r][i], sizeof(Point2)) != 0)
                return false;
    }
    return true;
}

} // namespace

// Shared x, many strands: the runs are those of the plain per-point cut,
// also for wiggles around the gap, points on its edge, NaN and infinity.
TEST(StrandGap, SharedXCutsEveryStrandLikeThePlainTest)
{
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> wiggle(-30, 30);
    const double cx = 500, cy = 400, rho = 20;
    std::vector<double> x(strandPointCount);
    for (int i = 0; i < strandPointCount; ++i)
        x[i] = -3 + 1006.0 * i / 560;
    // A few points out of order and one exactly on the gap's edge on x.
    std::swap(x[200], x[290]);
    x[300] = cx + rho;
    const StrandGap gap(x, cx, cy, rho);

    for (int strand = 0; strand < 200; ++strand) {
        std::vector<double> y(strandPointCount);
        for (int i = 0; i < strandPointCount; ++i)
            y[i] = cy + wiggle(rng) * (1 + std::sin(i * 0.05 + strand));
        if (strand % 5 == 1)
            y[rng() % strandPointCount] = std::nan("");
        if (strand % 7 == 2)
            y[rng() % strandPointCount] = std::numeric_limits<double>::infinity();
        if (strand % 3 == 0)
            y[300] = cy; // on the edge: drawn
        bool nan = false;
        for (double v : y)
            nan |= std::isnan(v);

        const auto expected = plainRuns(x, y, cx, cy, rho);
        for (bool mayHoldNaN : {true, false}) {
            if (nan && !mayHoldNaN)
                continue;
            DisplayList list;
            StrandRuns runs;
            gap.addRuns(list, y, mayHoldNaN, runs);
            std::vector<std::vector<Point2>> got;
            for (const PathRef& run : runs.runs())
                got.emplace_back(list.points(run).begin(), list.points(run).end());
            EXPECT_TRUE(sameRuns(got, expected)) << "strand " << strand << (mayHoldNaN ? " checked" : " finite");
        }
        EXPECT_TRUE(sameRuns(runsOf(x, y, cx, cy, rho), expected)) << strand;
    }
}
