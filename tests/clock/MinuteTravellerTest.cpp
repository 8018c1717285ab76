#include "HandFrame.h"

#include "clock/MinuteTraveller.h"
#include "clock/StrandGeometry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Centre of every element the traveller draws, in drawing order.
std::vector<Point2> elementCentres(const DisplayList& list)
{
    std::vector<Point2> out;
    for (const DisplayOp& op : list.ops()) {
        const auto pts = list.points(op.path);
        out.push_back({pts[0].x + pts[1].x / 2, pts[0].y + pts[1].y / 2});
    }
    return out;
}

void expectKeyframe(const TravellerKeyframe& k, double mass, double headBlue)
{
    EXPECT_DOUBLE_EQ(k.mass, mass);
    EXPECT_DOUBLE_EQ(k.head.b, headBlue);
}

} // namespace

TEST(MinuteTraveller, CrossesTheCentreExactlyAtSecondThirty)
{
    for (double minute = someMinute; minute < someMinute + 40; ++minute) {
        ClockFrame f = handFrame(minute, 30, 1373, 771);
        f.S = 1.0 + (minute - someMinute) / 97; // any zoom
        f.cx = 1373 * 0.4450001;
        f.charge = 1;
        const Point2d head = minuteTravellerHead(f);
        EXPECT_EQ(head.x, f.cx) << minute;
        EXPECT_EQ(head.y, f.cy) << minute;
    }
    // The drawn head is where the reported one is: its last element, the ring.
    const ClockFrame f = handFrame(someMinute, 30);
    DisplayList list;
    drawMinuteTraveller(list, f);
    const Point2 ring = elementCentres(list).back();
    EXPECT_FLOAT_EQ(ring.x, static_cast<float>(f.cx));
    EXPECT_FLOAT_EQ(ring.y, static_cast<float>(f.cy));
}

TEST(MinuteTraveller, EntersAtTheLeftEdgeWithEverythingPiledOnTheHead)
{
    ClockFrame f = handFrame(someMinute, 0);
    f.S = 1.3;
    const double xL = strandFrameValues(f).xL;
    EXPECT_EQ(minuteTravellerHead(f).x, xL);

    DisplayList list;
    drawMinuteTraveller(list, f);
    // Trail 5 x 4 elements, body 24 x 3, head 6.
    const auto centres = elementCentres(list);
    ASSERT_EQ(centres.size(), 5u * 4 + 24 * 3 + 6);
    for (const Point2& c : centres)
        EXPECT_NEAR(c.x, xL, 1e-3);
}

TEST(MinuteTraveller, EarlySegmentsWaitAtTheLeftEdge)
{
    // At second 2 the segment spacing is 0.004 + 0.0018·0.86 of the minute, so
    // segments from 7 on would be before the minute began.
    const ClockFrame f = handFrame(someMinute, 2);
    const double xL = strandFrameValues(f).xL;
    DisplayList list;
    drawMinuteTraveller(list, f);
    const auto centres = elementCentres(list);
    for (int i = 0; i < 24; ++i) {
        const float x = centres[20 + 3 * i].x;
        if (i < 6) {
            EXPECT_GT(x, xL + 1) << i;
        } else if (i >= 7) {
            EXPECT_FLOAT_EQ(x, static_cast<float>(xL)) << i;
        }
    }
    // Segment 0 sits under the head, the others trail behind.
    EXPECT_EQ(centres.back().x, centres[20].x);
    EXPECT_GT(centres[20].x, centres[23].x);
}

TEST(MinuteTraveller, WanderStaysWithinTheLimitAndMeetsTheCentre)
{
    const double L = 0.2 * 300;
    double widest = 0;
    for (int m = 0; m < 200; ++m) {
        const double seed = someMinute + m + 17;
        const double t = (someMinute + m) * 60 + 0.37 * m;
        const TravellerWander wander(seed, t, L);
        for (double omega : {0.0, 0.22, -0.4}) {
            EXPECT_EQ(wander.offset(0.5, omega), 0) << seed;
            for (int k = 0; k <= 100; ++k) {
                const double off = wander.offset(k / 100.0, omega);
                ASSERT_LE(std::abs(off), L) << seed << " " << k;
                widest = std::max(widest, std::abs(off));
            }
        }
    }
    // The limit is actually reached somewhere, so it is what holds the path in.
    EXPECT_EQ(widest, L);
}

TEST(MinuteTraveller, PathChangesWithTheMinute)
{
    const double t = someMinute * 60 + 15;
    const double a = travellerOffset(0.25, someMinute + 17, 0.1, t, 60);
    const double b = travellerOffset(0.25, someMinute + 18, 0.1, t, 60);
    EXPECT_GT(std::abs(a - b), 1e-3);
    // Same inputs, same path.
    EXPECT_EQ(a, travellerOffset(0.25, someMinute + 17, 0.1, t, 60));
}

TEST(TravellerKeyframes, HoldThenBlendOverTheLastStretchOfEachInterval)
{
    // Keyframe 0 holds until 72 % of its interval (0.16 · 0.72 = 0.1152).
    TravellerStage st = keyframeAt(0.115);
    EXPECT_EQ(st.s, 0);
    EXPECT_EQ(st.b, 0);
    expectKeyframe(st.k, 0.86, 1.0);

    // Halfway through the blend the values are halfway: lp = 0.86, b = 0.5.
    st = keyframeAt(0.16 * 0.86);
    EXPECT_NEAR(st.b, 0.5, 1e-12);
    EXPECT_NEAR(st.k.mass, (0.86 + 0.98) / 2, 1e-12);
    EXPECT_NEAR(st.k.body.g, (0.9 + 1.0) / 2, 1e-12);

    st = keyframeAt(0.16);
    EXPECT_EQ(st.s, 1);
    EXPECT_EQ(st.b, 0);
    expectKeyframe(st.k, 0.98, 0.9);

    st = keyframeAt(0.78);
    EXPECT_EQ(st.s, 4);
    expectKeyframe(st.k, 0.92, 1.0);

    // In the last keyframe b still rises from about 0.938, but the values stay.
    EXPECT_EQ(keyframeAt(0.937).b, 0);
    st = keyframeAt(0.97);
    EXPECT_EQ(st.s, 4);
    EXPECT_GT(st.b, 0.5);
    expectKeyframe(st.k, 0.92, 1.0);
    EXPECT_NEAR(keyframeAt(0.999999).b, 1, 1e-6);
}

TEST(MinuteTraveller, SameFrameSameList)
{
    const ClockFrame f = handFrame(someMinute, 41.7, 1920, 1080);
    DisplayList a, b;
    drawMinuteTraveller(a, f);
    drawMinuteTraveller(b, f);
    EXPECT_TRUE(a == b);
    ClockFrame g = f;
    g.t += 0.016;
    g.secF += 0.016;
    DisplayList c;
    drawMinuteTraveller(c, g);
    EXPECT_FALSE(a == c);
}
