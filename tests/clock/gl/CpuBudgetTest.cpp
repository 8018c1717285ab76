// A simulated process: a 60 Hz display, a 30 fps cap, a steady background
// (the sound) and a fixed CPU cost per clock frame, all in synthetic time.
#include "clock/gl/CpuBudget.h"
#include "clock/gl/FramePacer.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using Time = std::chrono::nanoseconds;

namespace {

struct SimulatedClock {
    struct Outcome {
        int frames = 0;
        double usage = 0; // of one core
    };
    Outcome run(Time span, Time frameCost, double background)
    {
        const Time refresh = 16'666'667ns;
        const Time cpuBefore = cpu, end = wall + span;
        Outcome outcome;
        for (; wall < end; wall += refresh) {
            cpu += Time(static_cast<Time::rep>(background * static_cast<double>(refresh.count())));
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
    CpuBudget budget{0.9};
    Time wall = 1000s;
    Time cpu = 3s;
};

TEST(CpuBudget, CheapFramesRunAtTheCapAndDearOnesAreSpacedOutToFitTheShare)
{
    SimulatedClock cheap;
    cheap.run(3s, 5ms, 0.05);
    EXPECT_NEAR(cheap.run(10s, 5ms, 0.05).frames, 300, 2);

    for (const auto& [frameCost, background] : {std::pair{40ms, 0.05}, {100ms, 0.05}, {100ms, 0.3}, {250ms, 0.1}}) {
        SimulatedClock clock;
        const auto where = testing::Message() << "frame " << frameCost.count() << " ms, background " << background;
        clock.run(5s, frameCost, background);
        const auto settled = clock.run(10s, frameCost, background);
        EXPECT_LE(settled.usage, 0.9 + 0.03) << where;
        // Not starved either: within two refreshes of the ideal interval c / (share - b).
        const double ideal = static_cast<double>(frameCost.count()) / 1e3 / (0.9 - background);
        EXPECT_GE(settled.frames, 10 / (ideal + 2 / 60.0)) << where;
    }
}

TEST(CpuBudget, RecoversWhenFramesGetCheapNeverStopsTheClockAndAPauseIsNotIdleTime)
{
    SimulatedClock clock;
    clock.run(5s, 150ms, 0.05);
    clock.run(3s, 5ms, 0.05);
    EXPECT_NEAR(clock.run(5s, 5ms, 0.05).frames, 150, 2);

    clock.run(5s, 100ms, 0.05);
    // Hidden for a minute, no frames and no CPU: without the restart the first
    // stretch after it would read as idle and let frames run at the cap.
    clock.budget.restart();
    clock.pacer.restart();
    clock.wall += 60s;
    EXPECT_LE(clock.run(1s, 100ms, 0.05).usage, 0.95);

    // Over budget on every frame: still one a second.
    clock.run(5s, 3s, 0.0);
    EXPECT_GE(clock.run(20s, 3s, 0.0).frames, 19);
}

} // namespace
