#include "HandFrame.h"

#include "clock/MinuteTraveller.h"
#include "clock/StrandGeometry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Centre of every element the traveller draws, in drawing order: trail
// 5 x 4 elements, body 24 x 3, head 6.
std::vector<Point2> elementCentres(const ClockFrame& f)
{
    DisplayList list;
    drawMinuteTraveller(list, f);
    std::vector<Point2> out;
    for (const DisplayOp& op : list.ops()) {
        const auto pts = list.points(op.path);
        out.push_back({pts[0].x + pts[1].x / 2, pts[0].y + pts[1].y / 2});
    }
    return out;
}

} // namespace

TEST(MinuteTraveller, CrossesTheCentreExactlyAtSecondThirty)
{
    for (double minute = someMinute; minute < someMinute + 40; ++minute) {
        ClockFrame f = handFrame(minute, 30, 1373, 771);
        f.S = 1.0 + (minute - someMinute) / 97;
        f.cx = 1373 * 0.4450001;
        f.charge = 1;
        const Point2d head = minuteTravellerHead(f);
        EXPECT_EQ(head.x, f.cx) << minute;
        EXPECT_EQ(head.y, f.cy) << minute;
    }
    const ClockFrame f = handFrame(someMinute, 30);
    const Point2 ring = elementCentres(f).back(); // the drawn head, not just the reported one
    EXPECT_FLOAT_EQ(ring.x, static_cast<float>(f.cx));
    EXPECT_FLOAT_EQ(ring.y, static_cast<float>(f.cy));
}

TEST(MinuteTraveller, EntersAtTheLeftEdgeWithEverythingPiledOnTheHead)
{
    ClockFrame f = handFrame(someMinute, 0);
    f.S = 1.3;
    const double xL = strandFrameValues(f).xL;
    EXPECT_EQ(minuteTravellerHead(f).x, xL);
    const auto centres = elementCentres(f);
    ASSERT_EQ(centres.size(), 5u * 4 + 24 * 3 + 6);
    for (const Point2& c : centres)
        EXPECT_NEAR(c.x, xL, 1e-3);

}

TEST(MinuteTraveller, WanderStaysWithinTheLimitMeetsTheCentreAndChangesEachMinute)
{
    const double L = 0.2 * 300;
    double widest = 0;
    for (int m = 0; m < 200; ++m) {
        const double seed = someMinute + m + 17, t = (someMinute + m) * 60 + 0.37 * m;
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
    EXPECT_EQ(widest, L); // the limit does hold the path in somewhere

    const double t = someMinute * 60 + 15;
    EXPECT_GT(std::abs(travellerOffset(0.25, someMinute + 17, 0.1, t, L)
                       - travellerOffset(0.25, someMinute + 18, 0.1, t, L)),
              1e-3);
}

TEST(TravellerKeyframes, HoldThenBlendOverTheLastStretchOfEachInterval)
{
    // Keyframe 0 holds up to 72 % of its interval (0.16 · 0.72 = 0.1152).
    TravellerStage st = keyframeAt(0.115);
    EXPECT_EQ(st.s, 0);
    EXPECT_EQ(st.k.mass, 0.86);
    // Halfway through the blend (lp = 0.86) the values are halfway.
    st = keyframeAt(0.16 * 0.86);
    EXPECT_NEAR(st.b, 0.5, 1e-12);
    EXPECT_NEAR(st.k.mass, (0.86 + 0.98) / 2, 1e-12);
    st = keyframeAt(0.16);
    EXPECT_EQ(st.s, 1);
    EXPECT_EQ(st.k.head.b, 0.9);
    st = keyframeAt(0.78);
    EXPECT_EQ(st.s, 4);
    EXPECT_EQ(st.k.mass, 0.92);

    // In the last keyframe b still rises from about 0.938, but the values stay.
    EXPECT_EQ(keyframeAt(0.937).b, 0);
    st = keyframeAt(0.97);
    EXPECT_GT(st.b, 0.5);
    EXPECT_EQ(st.k.mass, 0.92);
}
