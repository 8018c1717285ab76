#include "clock/Palette.h"
#include "clock/gl/ClockBatcher.h"
#include "clock/gl/PolylineThinning.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

namespace {

float distance(Point2 a, Point2 b) { return std::hypot(b.x - a.x, b.y - a.y); }

std::vector<Point2> thin(const std::vector<Point2>& in, PolylineThinning thinning, float scale = 1)
{
    std::vector<Point2> out(in.size());
    out.resize(thinPolyline(in, thinning, scale, out.data()));
    return out;
}

bool same(Point2 a, Point2 b) { return a.x == b.x && a.y == b.y; }

float distanceToSegment(Point2 p, Point2 a, Point2 b)
{
    const double ex = b.x - a.x, ey = b.y - a.y;
    const double ee = ex * ex + ey * ey;
    const double t = ee > 0 ? std::clamp(((p.x - a.x) * ex + (p.y - a.y) * ey) / ee, 0.0, 1.0) : 0.0;
    return static_cast<float>(std::hypot(p.x - a.x - t * ex, p.y - a.y - t * ey));
}

// For each input point, the index of the last kept point at or before it;
// fails unless the kept points are input points in order, ends included.
std::vector<std::size_t> keptBefore(const std::vector<Point2>& in, const std::vector<Point2>& out)
{
    std::vector<std::size_t> k(in.size());
    std::size_t j = 0;
    EXPECT_TRUE(same(in.front(), out.front()));
    for (std::size_t i = 1; i < in.size(); ++i) {
        if (j + 1 < out.size() && same(in[i], out[j + 1]))
            ++j;
        k[i] = j;
    }
    EXPECT_EQ(j, out.size() - 1) << "kept points out of order";
    EXPECT_TRUE(same(in.back(), out.back()));
    return k;
}

// A spiral sampled about every 0.1 units, unevenly, like the strands.
std::vector<Point2> denseSpiral()
{
    std::vector<Point2> pts;
    for (int i = 0; i < 2000; ++i) {
        const double t = i * 0.1 + 0.04 * std::sin(7.0 * i);
        const double r = 5 + 0.2 * t;
        pts.push_back({static_cast<float>(50 + r * std::cos(t / r)), static_cast<float>(50 + r * std::sin(t / r))});
    }
    return pts;
}

} // namespace

// Kept points are the given ones in order, at least the distance apart (but
// for the end, which always stays); every dropped point lies within the
// distance of the point kept before it, so the line moves by less than that.
TEST(PolylineThinning, MinimumSegmentKeepsEndsSpacingAndShape)
{
    const std::vector<Point2> in = denseSpiral();
    for (float minDistance : {0.5f, 1.0f, 2.5f}) {
        const std::vector<Point2> out = thin(in, {minDistance, 0});
        ASSERT_GE(out.size(), 2u);
        EXPECT_LT(out.size(), in.size() / 4) << minDistance;
        for (std::size_t k = 1; k + 1 < out.size(); ++k)
            EXPECT_GE(distance(out[k - 1], out[k]), minDistance) << minDistance << " at " << k;
        const std::vector<std::size_t> k = keptBefore(in, out);
        for (std::size_t i = 0; i < in.size(); ++i) {
            if (!same(in[i], out[k[i]])) {
                EXPECT_LT(distance(out[k[i]], in[i]), minDistance) << minDistance << " point " << i;
            }
        }
    }
}

// Every point dropped lies within the deviation of the segment that replaced
// it, in units of `scale` pixels: on curves and across corners.
TEST(PolylineThinning, DeviationBoundsTheMoveAndKeepsCorners)
{
    const std::vector<Point2> spiral = denseSpiral();
    std::vector<Point2> square;
    for (int side = 0; side < 4; ++side)
        for (int i = 0; i < 50; ++i) {
            const float t = 0.2f * static_cast<float>(i);
            const Point2 corners[] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}};
            const Point2 a = corners[side], b = corners[side + 1];
            square.push_back({a.x + (b.x - a.x) * t / 10, a.y + (b.y - a.y) * t / 10});
        }
    square.push_back({0, 0});
    for (const auto& in : {spiral, square})
        for (float scale : {0.5f, 2.0f}) {
            const float deviation = 0.25f;
            const std::vector<Point2> out = thin(in, {0, deviation}, scale);
            EXPECT_LT(out.size(), in.size() / 4) << scale;
            const std::vector<std::size_t> k = keptBefore(in, out);
            for (std::size_t i = 0; i < in.size(); ++i) {
                if (!same(in[i], out[k[i]])) {
                    EXPECT_LE(scale * distanceToSegment(in[i], out[k[i]], out[k[i] + 1]), deviation * 1.0001f)
                        << scale << " point " << i;
                }
            }
        }
}

TEST(PolylineThinning, LeavesSparseShortAndBrokenLinesAlone)
{
    const std::vector<Point2> sparse{{0, 0}, {3, 0}, {3, 3}, {0, 3}, {0, 0.5f}};
    EXPECT_EQ(thin(sparse, {1.0f, 0.1f}).size(), sparse.size());
    EXPECT_EQ(thin(sparse, {}).size(), sparse.size());
    // Two points stay two however close.
    EXPECT_EQ(thin({{0, 0}, {0.01f, 0}}, {1.0f, 0}).size(), 2u);
    // The end stays however close to the point kept before it.
    EXPECT_EQ(thin({{0, 0}, {2, 0}, {2.3f, 0}}, {1.0f, 0}).size(), 3u);
    const std::vector<Point2> stub = thin({{0, 0}, {0.2f, 0}, {0.4f, 0}}, {1.0f, 0});
    ASSERT_EQ(stub.size(), 2u);
    EXPECT_EQ(stub[1].x, 0.4f);
    // A broken point stays, so the shaders still break the line there.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::vector<Point2> line{{0, 0}, {0.1f, 0}, {nan, nan}, {0.2f, 0}, {0.3f, 0}, {5, 0}};
    const std::vector<Point2> broken = thin(line, {1.0f, 0});
    ASSERT_EQ(broken.size(), 4u);
    EXPECT_TRUE(std::isnan(broken[1].x));
    EXPECT_EQ(broken[2].x, 0.2f);
    // A straight line on both sides of it: the break and its neighbours stay.
    const std::vector<Point2> straight = thin(line, {0, 0.5f});
    ASSERT_EQ(straight.size(), 5u);
    EXPECT_TRUE(std::isnan(straight[2].x));
}

// The distance is in drawn pixels: through the frame's scale and any layer's.
TEST(PolylineThinning, BatcherThinsInPixelsThroughLayers)
{
    DisplayList list;
    const auto strokeSpiral = [&] {
        const auto first = list.pointCount();
        for (Point2 p : denseSpiral())
            list.addPoint(p.x, p.y);
        list.stroke(list.polylineFrom(first), DisplayList::solid(srgb(1, 1, 1, 1)), 1);
    };
    strokeSpiral();
    list.pushLayer(10, 10, 3);
    strokeSpiral();
    list.popLayer();

    ClockBatcher batcher;
    batcher.batch(list, 0.5);
    const std::size_t all = batcher.instances().size();
    EXPECT_EQ(all, 2 * (denseSpiral().size() - 1));

    batcher.batch(list, 0.5, {1.0f, 0});
    ASSERT_EQ(batcher.records().size(), 2u);
    std::size_t instances = 0;
    for (const GLOpRecord& rec : batcher.records()) {
        const auto first = static_cast<std::size_t>(rec.shape[2]);
        const auto last = static_cast<std::size_t>(rec.shape[3]);
        ASSERT_GE(first, batcher.curveStart());
        const std::span<const Point2> pts = batcher.curvePoints().subspan(first - batcher.curveStart(), last - first + 1);
        const float pixelsPerUnit = rec.place[0];
        for (std::size_t k = 1; k + 1 < pts.size(); ++k)
            ASSERT_GE(pixelsPerUnit * distance(pts[k - 1], pts[k]), 0.999f) << k;
        instances += pts.size() - 1;
        // Not thinned further than asked: about one point per pixel of length.
        double length = 0;
        const std::vector<Point2> spiral = denseSpiral();
        for (std::size_t k = 1; k < spiral.size(); ++k)
            length += pixelsPerUnit * distance(spiral[k - 1], spiral[k]);
        EXPECT_GT(static_cast<double>(pts.size()), 0.8 * length) << pixelsPerUnit;
    }
    EXPECT_EQ(batcher.instances().size(), instances);
    EXPECT_LT(instances, all / 4);
}
