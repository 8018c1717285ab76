#include "clock/ClockFrameBuilder.h"
#include "clock/ClockFrameComputation.h"

#include <gtest/gtest.h>

#include "support/AllocationCounter.h"

namespace {

// Everything open at once: the hour accent, full charge, every alignment window.
ClockFrame busiestFrame(double width, double height)
{
    ClockFrame f = computeClockFrame(ClockCalendarTime{736502400.5, 10, 0, 0, 500'000'000}, {width, height});
    f.align.fill(1);
    f.A = 1;
    return f;
}

TEST(ClockFrameAllocation, EvenTheFirstBusiestFrameGrowsNoPool)
{
    const ClockFrame busiest = busiestFrame(1920, 1080);
    DisplayList list;
    // The three pools are reserved once, up front; nothing grows after that.
    EXPECT_LE(slm::test::allocationsDuring([&] { buildClockFrame(list, busiest); }), 3);

    const ClockFrame biggest = busiestFrame(3840, 2160);
    const ClockFrame half = computeClockFrame(ClockCalendarTime{736502430.0, 10, 0, 30, 0}, {800, 600});
    EXPECT_EQ(slm::test::allocationsDuring([&] {
                  buildClockFrame(list, biggest);
                  buildClockFrame(list, half);
              }),
              0);
}

} // namespace
