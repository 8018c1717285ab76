#include "HandFrame.h"

#include "clock/ChaosStrands.h"

#include <gtest/gtest.h>

#include <algorithm>
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

TEST(ChaosStrands, EveryStrandSpansTheWindowAndAvoidsTheCoreGap)
{
    ClockFrame f = handFrame(someMinute, 17.3, 1000, 700);
    f.cx = 500;
    f.align[1] = 0.5; // ripples too
    const DisplayList list = strandsOf(f);
    const double rho = strandFrameValues(f).rho;

    std::set<std::uint32_t> fromLeftEdge, toRightEdge;
    float lo = 1e9f, hi = -1e9f;
    for (const DisplayOp& op : list.ops()) {
        ASSERT_EQ(op.kind, OpKind::Stroke);
        ASSERT_EQ(op.path.kind, PathKind::Polyline);
        const auto pts = list.points(op.path);
        ASSERT_GE(pts.size(), 2u);
        if (pts.front().x == -3.0f)
            fromLeftEdge.insert(op.path.first);
        if (pts.back().x == 1003.0f)
            toRightEdge.insert(op.path.first);
        for (const Point2& p : pts) {
            lo = std::min(lo, p.x);
            hi = std::max(hi, p.x);
            EXPECT_GE(std::hypot(p.x - f.cx, p.y - f.cy), rho * (1 - 1e-6));
        }
    }
    EXPECT_EQ(lo, -3.0f);
    EXPECT_EQ(hi, 1003.0f);
    // 14 threads, 15 ribbons, the spine and 4 echoes, 20 fine threads, 4 ripples:
    // each reaches both edges once.
    EXPECT_EQ(fromLeftEdge.size(), 58u);
    EXPECT_EQ(toRightEdge.size(), 58u);
}

TEST(ChaosStrands, EveryStrandIsCutAtTheCore)
{
    // Uncharged, each strand passes the centre within its small kink, inside
    // the gap, so none of its strokes runs from edge to edge. (A strong charge
    // may lift the widest ribbons clear of the gap.)
    for (int k = 0; k < 12; ++k) {
        ClockFrame f = handFrame(someMinute + 7 * k, 4.9 * k, 1000, 700);
        f.cx = 500;
        const DisplayList list = strandsOf(f);
        for (const DisplayOp& op : list.ops()) {
            const auto pts = list.points(op.path);
            EXPECT_FALSE(pts.front().x == -3.0f && pts.back().x == 1003.0f) << k;
        }
    }
}

TEST(ChaosStrands, EachPassStrokesAllRunsBeforeTheNext)
{
    const ClockFrame f = handFrame(someMinute, 44);
    const DisplayList list = strandsOf(f);
    const auto ops = list.ops();
    ASSERT_GE(ops.size(), 6u);

    // The first thread is cut in two by the core gap: left run, right run,
    // three passes of widths 0.78, 2.9 and 0.34 (no intensity: no boost).
    const PathRef left = ops[0].path, right = ops[1].path;
    EXPECT_EQ(right.first, left.first + left.count);
    const float widths[3] = {0.78f, 2.9f, 0.34f};
    for (int pass = 0; pass < 3; ++pass) {
        EXPECT_EQ(ops[2 * pass].path.first, left.first) << pass;
        EXPECT_EQ(ops[2 * pass + 1].path.first, right.first) << pass;
        EXPECT_FLOAT_EQ(ops[2 * pass].width, widths[pass]);
        EXPECT_FLOAT_EQ(ops[2 * pass + 1].width, widths[pass]);
    }
    EXPECT_EQ(ops[4].paint.color.r, 1.0f); // third pass is white
    EXPECT_NE(ops[6].path.first, left.first); // then the next thread
}

TEST(ChaosStrands, SpineStrokesGradientAndHighlightRunByRun)
{
    const ClockFrame f = handFrame(someMinute, 8);
    const DisplayList list = strandsOf(f);
    const auto ops = list.ops();
    // The spine's broad glow is the first gradient stroke at width 12 (no energy, no intensity).
    const auto glow = std::find_if(ops.begin(), ops.end(), [](const DisplayOp& op) {
        return op.paint.kind == PaintKind::Linear;
    });
    ASSERT_NE(glow, ops.end());
    EXPECT_FLOAT_EQ(glow->width, 12);
    ASSERT_EQ(list.stops(glow->paint).size(), 8u);
    EXPECT_FLOAT_EQ(glow->paint.p0.x, -3);
    EXPECT_FLOAT_EQ(glow->paint.p1.x, 1003);
    EXPECT_FLOAT_EQ(list.stops(glow->paint)[0].a, 0.4f);

    // Two runs, then line and highlight on the left run, then on the right.
    const auto line = glow + 2;
    EXPECT_EQ(glow[1].width, glow->width);
    EXPECT_EQ(line[0].path.first, glow[0].path.first);
    EXPECT_FLOAT_EQ(line[0].width, 2.95f);
    EXPECT_EQ(line[0].paint.kind, PaintKind::Linear);
    EXPECT_FLOAT_EQ(list.stops(line[0].paint)[3].a, 1);
    EXPECT_EQ(line[1].path.first, glow[0].path.first);
    EXPECT_FLOAT_EQ(line[1].width, 0.78f);
    EXPECT_EQ(line[1].paint.kind, PaintKind::Solid);
    EXPECT_EQ(line[2].path.first, glow[1].path.first);
    EXPECT_FLOAT_EQ(line[2].width, 2.95f);
}

TEST(ChaosStrands, RipplesOnlyNearTheSecondAndThirdAlignment)
{
    ClockFrame f = handFrame(someMinute, 20);
    const std::size_t quiet = strandsOf(f).ops().size();

    f.align[0] = 1;
    f.align[3] = 1;
    f.align[4] = 1;
    f.A = 0; // keep everything else as quiet as before
    EXPECT_EQ(strandsOf(f).ops().size(), quiet);

    f.align[1] = 0.01;
    EXPECT_EQ(strandsOf(f).ops().size(), quiet);

    for (int which : {1, 2}) {
        ClockFrame g = handFrame(someMinute, 20);
        g.align[which] = 0.0101;
        const DisplayList list = strandsOf(g);
        ASSERT_GT(list.ops().size(), quiet) << which;
        // Four ripples, two passes over each of their runs; the first is cyan.
        const DisplayOp& first = list.ops()[quiet];
        EXPECT_FLOAT_EQ(first.paint.color.a, static_cast<float>(0.1 + 0.2 * 0.0101));
        EXPECT_EQ(first.paint.color.b, tint(Tint::cyan).b);
        EXPECT_EQ((list.ops().size() - quiet) % 2, 0u);
        EXPECT_GE(list.ops().size() - quiet, 8u);
    }
}

TEST(ChaosStrands, SameFrameSameListAndTimeMovesTheStrands)
{
    const ClockFrame f = handFrame(someMinute, 31.25, 1920, 1080);
    const DisplayList a = strandsOf(f);

    // A list that was used before and cleared gives the same result.
    DisplayList b;
    drawChaosStrands(b, handFrame(someMinute + 5, 3));
    b.clear();
    drawChaosStrands(b, f);
    EXPECT_TRUE(a == b);

    ClockFrame later = f;
    later.t += 1.0 / 60;
    EXPECT_FALSE(a == strandsOf(later));
}
