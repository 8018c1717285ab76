// A simulated process: a 60 Hz display, a 30 fps cap, a steady background
// (the sound) and a fixed CPU cost per clock frame, all in synthetic time.
#include "clock/gl/CpuBudget.h"
#include "clock/gl/FramePacer.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using Time = std::chrono::nanoseconds;

namespace {

class SimulatedClock {
public:
    explicit SimulatedClock(double coreShare) : budget(coreShare) {}

    // Runs for `span`; returns the frames drawn and the process's usage of one core.
    struct Outcome {
        int frames = 0;
        double usage = 0;
    };
    Outcome run(Time span, Time frameCost, double background)
    {
        const Time refresh = 16'666'667ns;
        const Time cpuBefore = cpu, end = wall + span;
        Outcome outcome;
        for (; wall < end; wall += refresh) {
            cpu += Time(static_cast<Time::rep>(background * refresh.count()));
            if (!pacer.beginFrame(wall))
                continue;
            cpu += frameCost;
            ++outcome.frames;
            budget.frameDrawn(wall, cpu);
            pacer.setMinimumInterval(budget.minimumInterval());
        }
        outcome.usage = static_cast<double>((cpu - cpuBefore).count()) / static_cast<double>(span.count());
        return outcome;
    }

    FramePacer pacer{30};
    CpuBudget budget;
    Time wall = 1000s;
    Time cpu = 3s;
};

TEST(CpuBudget, CheapFramesRunAtTheCapUntouched)
{
    SimulatedClock clock(0.9);
    clock.run(3s, 5ms, 0.05);
    const auto settled = clock.run(10s, 5ms, 0.05);
    EXPECT_NEAR(settled.frames, 300, 2);
    EXPECT_NEAR(settled.usage, 0.05 + 30 * 0.005, 0.01);
}

TEST(CpuBudget, DearFramesAreSpacedOutToFitTheShare)
{
    struct Case {
        Time frameCost;
        double background;
    };
    for (const Case c : {Case{40ms, 0.05}, Case{100ms, 0.05}, Case{100ms, 0.3}, Case{250ms, 0.1}}) {
        SimulatedClock clock(0.9);
        const auto where = testing::Message() << "frame " << c.frameCost.count() / 1'000'000 << " ms, background "
                                              << c.background;
        // Unbudgeted, a 100 ms frame at 30 fps would want three cores.
        clock.run(5s, c.frameCost, c.background);
        const auto settled = clock.run(10s, c.frameCost, c.background);
        EXPECT_LE(settled.usage, 0.9 + 0.03) << where;
        // Not starved either: within a refresh or two of the ideal interval
        // c / (share - b), which the 60 Hz display rounds up.
        const double ideal = static_cast<double>(c.frameCost.count()) / 1e9 / (0.9 - c.background);
        EXPECT_GE(settled.frames, 10 / (ideal + 2 / 60.0)) << where;
    }
}

TEST(CpuBudget, ReturnsToTheCapWhenFramesGetCheapAgainAndNeverStopsTheClock)
{
    SimulatedClock clock(0.9);
    clock.run(5s, 150ms, 0.05);
    EXPECT_LT(clock.run(5s, 150ms, 0.05).frames, 40);
    clock.run(3s, 5ms, 0.05);
    EXPECT_NEAR(clock.run(5s, 5ms, 0.05).frames, 150, 2);

    // Over budget on every frame: still one a second.
    const auto hopeless = [&] {
        clock.run(5s, 3s, 0.0);
        return clock.run(20s, 3s, 0.0);
    }();
    EXPECT_GE(hopeless.frames, 19);
    EXPECT_LE(clock.budget.minimumInterval(), CpuBudget::longestInterval);
}

TEST(CpuBudget, APauseDoesNotCountAsIdleTime)
{
    SimulatedClock clock(0.9);
    clock.run(5s, 100ms, 0.05);
    const Time interval = clock.budget.minimumInterval();
    ASSERT_GT(interval, 100ms);
    // Hidden for a minute: no frames, no CPU. Without the restart the first
    // stretch after it would read as nearly idle and let frames run at the cap.
    clock.budget.restart();
    clock.pacer.restart();
    clock.wall += 60s;
    const auto resumed = clock.run(1s, 100ms, 0.05);
    EXPECT_LE(resumed.usage, 0.95);
}

} // namespace
