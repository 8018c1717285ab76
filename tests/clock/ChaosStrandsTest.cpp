#include "HandFrame.h"

#include "clock/ChaosStrands.h"
#include "clock/MinuteTraveller.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace {

DisplayList strandsOf(const ClockFrame& f)
{
    DisplayList list;
    drawChaosStrands(list, f);
    return list;
}

} // namespace

TEST(ChaosStrands, SpanTheWindowAndAreCutAtTheCore)
{
    ClockFrame f = handFrame(someMinute, 17.3, 1000, 700);
    f.cx = 500;
    f.align[1] = 0.5; // ripples too
    DisplayList list = strandsOf(f);
    const double rho = strandFrameValues(f).rho;
    std::set<std::uint32_t> fromLeft, toRight;
    for (const DisplayOp& op : list.ops()) {
        ASSERT_EQ(op.path.kind, PathKind::Polyline);
        const auto pts = list.points(op.path);
        if (pts.front().x == -3.0f)
            fromLeft.insert(op.path.first);
        if (pts.back().x == 1003.0f)
            toRight.insert(op.path.first);
        for (const Point2& p : pts) {
            EXPECT_TRUE(p.x >= -3 && p.x <= 1003);
            EXPECT_GE(std::hypot(p.x - f.cx, p.y - f.cy), rho * (1 - 1e-6));
        }
    }
    // 14 threads, 15 ribbons, spine and 4 echoes, 20 fine threads, 4 ripples.
    EXPECT_EQ(fromLeft.size(), 58u);
    EXPECT_EQ(toRight.size(), 58u);

    // Uncharged, every strand meets the centre within its small kink, so the
    // gap cuts it in two. (A strong charge can lift the widest ribbons clear.)
    for (int k = 0; k < 8; ++k) {
        list = strandsOf(handFrame(someMinute + 7 * k, 7.3 * k, 1000, 700));
        for (const DisplayOp& op : list.ops()) {
            const auto pts = list.points(op.path);
            EXPECT_FALSE(pts.front().x == -3.0f && pts.back().x == 1003.0f) << k;
        }
    }
}

TEST(ChaosStrands, EachPassStrokesAllRunsBeforeTheNext)
{
    const DisplayList list = strandsOf(handFrame(someMinute, 44));
    const auto ops = list.ops();
    // The first thread: left run, right run, three passes of widths 0.78, 2.9, 0.34.
    const PathRef left = ops[0].path, right = ops[1].path;
    const float widths[3] = {0.78f, 2.9f, 0.34f};
    for (int pass = 0; pass < 3; ++pass) {
        EXPECT_EQ(ops[2 * pass].path.first, left.first) << pass;
        EXPECT_EQ(ops[2 * pass + 1].path.first, right.first) << pass;
        EXPECT_FLOAT_EQ(ops[2 * pass + 1].width, widths[pass]);
    }
    EXPECT_NE(ops[6].path.first, left.first);

}

TEST(ChaosStrands, RipplesOnlyNearTheSecondAndThirdAlignment)
{
    ClockFrame f = handFrame(someMinute, 20);
    const std::size_t quiet = strandsOf(f).ops().size();
    f.align = {1, 0.01, 0.01, 1, 1};
    EXPECT_EQ(strandsOf(f).ops().size(), quiet);

    for (int which : {1, 2}) {
        ClockFrame g = handFrame(someMinute, 20);
        g.align[which] = 0.0101;
        const DisplayList list = strandsOf(g);
        // Four ripples, two passes each over their runs.
        EXPECT_GE(list.ops().size(), quiet + 8) << which;
    }
}

TEST(ChaosStrands, SameFrameDrawsTheSameList)
{
    const ClockFrame f = handFrame(someMinute, 31.25, 1920, 1080);
    DisplayList a, b;
    drawChaosStrands(a, f);
    drawMinuteTraveller(a, f);
    // A list used before and cleared gives the same result.
    drawChaosStrands(b, handFrame(someMinute + 5, 3));
    b.clear();
    drawChaosStrands(b, f);
    drawMinuteTraveller(b, f);
    EXPECT_TRUE(a == b);

    ClockFrame later = f;
    later.t += 1.0 / 60;
    later.secF += 1.0 / 60;
    b.clear();
    drawChaosStrands(b, later);
    drawMinuteTraveller(b, later);
    EXPECT_FALSE(a == b);
}
