// The pacer sees only the times it is given: these run the same on any machine.
#include "clock/gl/FramePacer.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace std::chrono_literals;
using Time = FramePacer::Time;

namespace {

// Offers the pacer a chance at each of `ticks`; the times it drew at.
std::vector<Time> drawnAt(FramePacer& pacer, const std::vector<Time>& ticks)
{
    std::vector<Time> drawn;
    for (const Time t : ticks)
        if (pacer.beginFrame(t))
            drawn.push_back(t);
    return drawn;
}

// A display refreshing at `hz` for `seconds`, from an arbitrary origin, each
// refresh moved by up to `jitter` either way.
std::vector<Time> refreshes(double hz, double seconds, Time jitter = 0ns)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<Time::rep> offset(-jitter.count(), jitter.count());
    std::vector<Time> ticks;
    const Time origin = 123456789s;
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

TEST(FramePacer, UncappedDrawsAtEveryChance)
{
    FramePacer pacer;
    EXPECT_FALSE(pacer.isCapped());
    const auto ticks = refreshes(144, 2);
    EXPECT_EQ(drawnAt(pacer, ticks).size(), ticks.size());
    EXPECT_EQ(pacer.untilNextFrame(ticks.back()), 0ns);
}

TEST(FramePacer, HoldsTheCapOnFastDisplaysEvenWithJitter)
{
    struct Case {
        double hz;
        Time jitter;
    };
    for (const Case c : {Case{60, 0ms}, Case{60, 2ms}, Case{75, 1ms}, Case{120, 1ms}, Case{144, 2ms}, Case{240, 0ms}}) {
        FramePacer pacer(30);
        const auto drawn = drawnAt(pacer, refreshes(c.hz, 10, c.jitter));
        const auto where = testing::Message() << c.hz << " Hz, jitter " << c.jitter.count() << " ns";
        // 300 frames in 10 s, give or take the last refresh's rounding; a
        // 144 Hz display offers a frame every 6.9 ms, so the pacer can only
        // approach 30 from below, by whole refreshes.
        EXPECT_LE(drawn.size(), 301u) << where;
        EXPECT_GE(drawn.size(), c.hz / 30 == std::floor(c.hz / 30) ? 299u : 270u) << where;
        // Never a burst: two frames always at least most of an interval apart.
        EXPECT_GE(shortestGap(drawn), pacer.interval() * 3 / 4 - c.jitter * 2) << where;
    }
}

TEST(FramePacer, At60HzDrawsEveryOtherRefresh)
{
    FramePacer pacer(30);
    const auto ticks = refreshes(60, 1);
    for (std::size_t i = 0; i < ticks.size(); ++i)
        EXPECT_EQ(pacer.beginFrame(ticks[i]), i % 2 == 0) << "refresh " << i;
}

TEST(FramePacer, ASlowMachineDrawsEveryChanceWithoutCatchingUpAfterAStall)
{
    FramePacer pacer(30);
    // 20 chances a second: all slower than the cap, all drawn.
    const auto slow = refreshes(20, 3);
    EXPECT_EQ(drawnAt(pacer, slow).size(), slow.size());

    // A one-second stall, then a 60 Hz display again: no burst of the frames
    // "owed" for the stall, the rhythm restarts at the first chance.
    const Time resume = slow.back() + 1s;
    std::vector<Time> ticks;
    for (int i = 0; i < 60; ++i)
        ticks.push_back(resume + i * 16'666'667ns);
    const auto drawn = drawnAt(pacer, ticks);
    ASSERT_FALSE(drawn.empty());
    EXPECT_EQ(drawn.front(), resume);
    EXPECT_EQ(drawn.size(), 30u);
    EXPECT_GE(shortestGap(drawn), 30ms);
}

TEST(FramePacer, SaysHowLongUntilTheNextFrameSoATimerCanWakeForIt)
{
    FramePacer pacer(30);
    EXPECT_EQ(pacer.untilNextFrame(5s), 0ns) << "nothing drawn yet";
    ASSERT_TRUE(pacer.beginFrame(5s));
    EXPECT_EQ(pacer.untilNextFrame(5s), pacer.interval());
    EXPECT_EQ(pacer.untilNextFrame(5s + 10ms), pacer.interval() - 10ms);
    EXPECT_EQ(pacer.untilNextFrame(5s + 1s), 0ns);

    // Waking exactly when told always draws, and keeps the rate: a timer loop.
    Time now = 5s;
    int frames = 1;
    for (int i = 0; i < 1000; ++i) {
        now += pacer.untilNextFrame(now) + 300us; // the timer's own lateness
        frames += pacer.beginFrame(now) ? 1 : 0;
    }
    EXPECT_EQ(frames, 1001);
    // Lateness does not accumulate: 1000 intervals, plus one lateness.
    EXPECT_LE(now - 5s, pacer.interval() * 1000 + 300us);
}

TEST(FramePacer, RestartAndANewCapDrawAtTheNextChance)
{
    FramePacer pacer(30);
    ASSERT_TRUE(pacer.beginFrame(1s));
    EXPECT_FALSE(pacer.beginFrame(1s + 5ms));
    pacer.restart();
    EXPECT_TRUE(pacer.beginFrame(1s + 6ms));

    // The same cap again keeps the rhythm; another one starts afresh.
    pacer.setMaxFramesPerSecond(30);
    EXPECT_FALSE(pacer.beginFrame(1s + 7ms));
    pacer.setMaxFramesPerSecond(24);
    EXPECT_TRUE(pacer.beginFrame(1s + 8ms));
    EXPECT_EQ(pacer.untilNextFrame(1s + 8ms), 41'666'666ns);

    pacer.setMaxFramesPerSecond(0);
    EXPECT_TRUE(pacer.beginFrame(1s + 9ms));
    EXPECT_TRUE(pacer.beginFrame(1s + 9ms));
}

} // namespace
