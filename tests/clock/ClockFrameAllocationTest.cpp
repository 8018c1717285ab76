#include "clock/ClockFrameBuilder.h"
#include "clock/ClockFrameComputation.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

// Counts every allocation of this test binary.
namespace {
std::atomic<long> allocations{0};
}

void* operator new(std::size_t size)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

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
    const long before = allocations.load();
    buildClockFrame(list, busiest);
    // The three pools are reserved once, up front; nothing grows after that.
    EXPECT_LE(allocations.load() - before, 3);

    const long warm = allocations.load();
    buildClockFrame(list, busiestFrame(3840, 2160));
    buildClockFrame(list, computeClockFrame(ClockCalendarTime{736502430.0, 10, 0, 30, 0}, {800, 600}));
    EXPECT_EQ(allocations.load() - warm, 0);
}

} // namespace
