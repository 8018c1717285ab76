// The pacer sees only the times it is given: these run the same on any machine.
#include "clock/gl/FramePacer.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace std::chrono_literals;
using Time = FramePacer::Time;

namespace {

// The times at which the pacer drew, offered a chance at each of `ticks`.
std::vector<Time> drawnAt(FramePacer& pacer, const std::vector<Time>& ticks)
{
    std::vector<Time> drawn;
    for (const Time t : ticks)
        if (pacer.beginFrame(t))
            drawn.push_back(t);
    return drawn;
}

// A display refreshing at `hz` for `seconds` from `origin`, each refresh moved by up to `jitter`.
std::vector<Time> refreshes(double hz, double seconds, Time jitter = 0ns, Time origin = 123456789s)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<Time::rep> offset(-jitter.count(), jitter.count());
    std::vector<Time> ticks;
    for (int i = 0; i < static_cast<int>(hz * seconds); ++i)
        ticks.push_back(origin + Time(static_cast<Time::rep>(i * 1e9 / hz)) + Time(offset(random)));
    return ticks;
}

Time shortestGap(const std::vector<Time>& times)
{
    Time shortest = Time::max();
    for (std::size_t i = 1; i < times.size(); ++i)
        shortest = std::min(shortest, times[i] - times[i - 1]);
    return shortest;
}

TEST(FramePacer, HoldsTheCapOnFastDisplaysEvenWithJitterAndUncappedTakesEveryChance)
{
    struct Case {
        double hz;
        Time jitter;
        std::size_t fewest; // in 10 s; a 144 Hz display can only approach 30 fps by whole refreshes
    };
    for (const Case c : {Case{60, 0ms, 299}, Case{60, 2ms, 299}, Case{120, 1ms, 299}, Case{144, 2ms, 270}}) {
        FramePacer pacer(30);
        const auto drawn = drawnAt(pacer, refreshes(c.hz, 10, c.jitter));
        const auto where = testing::Message() << c.hz << " Hz, jitter " << c.jitter.count() << " ns";
        EXPECT_LE(drawn.size(), 301u) << where;
        EXPECT_GE(drawn.size(), c.fewest) << where;
        // Never a burst: two frames always most of an interval apart.
        EXPECT_GE(shortestGap(drawn), pacer.interval() * 3 / 4 - c.jitter * 2) << where;
    }
    FramePacer uncapped;
    EXPECT_EQ(drawnAt(uncapped, refreshes(144, 2)).size(), 288u);
}

TEST(FramePacer, ASlowMachineDrawsEveryChanceWithoutCatchingUpAfterAStall)
{
    FramePacer pacer(30);
    const auto slow = refreshes(20, 3);
    EXPECT_EQ(drawnAt(pacer, slow).size(), slow.size());

    // After a one-second stall, no burst of the frames "owed": the rhythm restarts.
    const auto resumed = drawnAt(pacer, refreshes(60, 1, 0ns, slow.back() + 1s));
    ASSERT_FALSE(resumed.empty());
    EXPECT_EQ(resumed.front(), slow.back() + 1s);
    EXPECT_EQ(resumed.size(), 30u);
    EXPECT_GE(shortestGap(resumed), 30ms);
}

TEST(FramePacer, ATimerWokenWhenToldAlwaysDrawsAndItsLatenessDoesNotAccumulate)
{
    FramePacer pacer(30);
    EXPECT_EQ(pacer.untilNextFrame(5s), 0ns) << "nothing drawn yet";
    ASSERT_TRUE(pacer.beginFrame(5s));
    EXPECT_EQ(pacer.untilNextFrame(5s + 10ms), pacer.interval() - 10ms);

    Time now = 5s;
    int frames = 1;
    for (int i = 0; i < 1000; ++i) {
        now += pacer.untilNextFrame(now) + 300us;
        frames += pacer.beginFrame(now) ? 1 : 0;
    }
    EXPECT_EQ(frames, 1001);
    EXPECT_LE(now - 5s, pacer.interval() * 1000 + 300us);
}

TEST(FramePacer, ANewCapOrARestartDrawsAtOnceAndTheSameCapKeepsTheRhythm)
{
    FramePacer pacer(30);
    ASSERT_TRUE(pacer.beginFrame(1s));
    pacer.setMaxFramesPerSecond(30);
    EXPECT_FALSE(pacer.beginFrame(1s + 5ms));
    pacer.restart();
    EXPECT_TRUE(pacer.beginFrame(1s + 6ms));
    pacer.setMaxFramesPerSecond(24);
    EXPECT_TRUE(pacer.beginFrame(1s + 7ms));
    EXPECT_EQ(pacer.untilNextFrame(1s + 7ms), 41'666'666ns);
    // A longer minimum stretches the intervals from the frame already due on,
    // without restarting.
    pacer.setMinimumInterval(100ms);
    EXPECT_TRUE(pacer.beginFrame(1s + 57ms));
    EXPECT_FALSE(pacer.beginFrame(1s + 117ms));
    EXPECT_TRUE(pacer.beginFrame(1s + 150ms));
}

} // namespace
