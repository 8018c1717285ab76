#include "HandFrame.h"

#include "clock/ChaosStrands.h"
#include "clock/MinuteTraveller.h"

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

TEST(WarmFrame, DrawingStrandsAndTravellerAllocatesNothing)
{
    DisplayList list;
    const ClockFrame warm = handFrame(someMinute, 10, 1920, 1080);
    drawChaosStrands(list, warm);
    drawMinuteTraveller(list, warm);

    ClockFrame busier = handFrame(someMinute + 3, 28.2, 1920, 1080);
    busier.charge = 0.7;
    busier.align[2] = 0.8; // ripples, which the warm frame had not drawn
    list.clear();
    const long before = allocations.load();
    drawChaosStrands(list, busier);
    drawMinuteTraveller(list, busier);
    EXPECT_EQ(allocations.load() - before, 0);
}
