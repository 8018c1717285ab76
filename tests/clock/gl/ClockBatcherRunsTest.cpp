#include "clock/gl/ClockBatcher.h"

#include <gtest/gtest.h>

#include <vector>

// Solid strokes go in draw commands of their own, the other shapes in the
// general ones; together the commands still draw every instance once, in the
// list's order.
TEST(ClockBatcherRuns, SolidStrokesApartInOrder)
{
    DisplayList list;
    const auto line = [&](double y) {
        const auto first = list.pointCount();
        list.addPoint(0, y);
        list.addPoint(10, y);
        list.addPoint(20, y + 5);
        return list.polylineFrom(first);
    };
    const Paint solid = DisplayList::solid(srgb(1, 1, 1, 0.5));
    const Paint gradient = list.linear({0, 0}, {20, 0}, {srgb(1, 0, 0), srgb(0, 0, 1)});
    list.stroke(line(0), solid, 1);             // solid, 2 instances
    list.stroke(line(10), solid, 2);            // solid, 2
    list.stroke(line(20), gradient, 1);         // general, 2
    list.fill(list.ellipse(5, 5, 4, 4), solid); // general, 1
    list.stroke(line(30), solid, 1);            // solid, 2

    ClockBatcher batcher;
    batcher.batch(list, 1.0);
    using Kind = GLDrawCommand::Kind;
    std::vector<Kind> kinds;
    std::uint32_t next = 0;
    for (const GLDrawCommand& c : batcher.commands()) {
        kinds.push_back(c.kind);
        EXPECT_EQ(c.first, next);
        next += c.count;
    }
    EXPECT_EQ(next, batcher.instances().size());
    EXPECT_EQ(kinds, (std::vector<Kind>{Kind::SolidStrokes, Kind::Shapes, Kind::SolidStrokes}));
    ASSERT_EQ(batcher.commands().size(), 3u);
    EXPECT_EQ(batcher.commands()[0].count, 4u);
    EXPECT_EQ(batcher.commands()[1].count, 3u);
    const std::span<const std::uint32_t> ops = batcher.instances();
    EXPECT_EQ(std::vector<std::uint32_t>(ops.begin(), ops.end()), (std::vector<std::uint32_t>{0, 0, 1, 1, 2, 2, 3, 4, 4}));
}

// For a software rasteriser solid strokes and rings become strips, drawn in
// the list's order between the other shapes.
TEST(ClockBatcherRuns, StripsKeepTheirPlaceInTheOrder)
{
    DisplayList list;
    const auto first = list.pointCount();
    list.addPoint(0, 0);
    list.addPoint(10, 0);
    list.addPoint(20, 5);
    const PathRef line = list.polylineFrom(first);
    const Paint solid = DisplayList::solid(srgb(1, 1, 1, 0.5));
    const Paint gradient = list.linear({0, 0}, {20, 0}, {srgb(1, 0, 0), srgb(0, 0, 1)});
    list.stroke(line, solid, 1);                     // strip
    list.stroke(list.circle(50, 50, 20), solid, 2);  // strip, bridged to the one before
    list.stroke(line, gradient, 1);                  // general, 2 instances
    list.fill(list.circle(5, 5, 2), solid);          // general, 1
    list.stroke(list.circle(50, 50, 30), solid, 1);  // strip

    ClockBatcher batcher;
    batcher.batch(list, 1.0, {}, true);
    using Kind = GLDrawCommand::Kind;
    std::vector<Kind> kinds;
    std::uint32_t nextStrip = 0;
    for (const GLDrawCommand& c : batcher.commands()) {
        kinds.push_back(c.kind);
        if (c.kind == Kind::Strips) {
            EXPECT_EQ(c.first, nextStrip);
            nextStrip += c.count;
        }
    }
    EXPECT_EQ(nextStrip, batcher.strips().size());
    EXPECT_EQ(kinds, (std::vector<Kind>{Kind::Strips, Kind::Shapes, Kind::Strips}));
    EXPECT_EQ(batcher.instances().size(), 3u);
    // Each strip vertex names its own operation: 0 and 1, then 4.
    const std::span<const GLStripVertex> strips = batcher.strips();
    EXPECT_EQ(strips.front().op, 0u);
    EXPECT_EQ(strips[batcher.commands()[0].count - 1].op, 1u);
    EXPECT_EQ(strips.back().op, 4u);
}
