#include "HandFrame.h"

#include "clock/ChaosStrands.h"
#include "clock/MinuteTraveller.h"

#include <gtest/gtest.h>

#include "support/AllocationCounter.h"

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
    EXPECT_EQ(slm::test::allocationsDuring([&] {
                  drawChaosStrands(list, busier);
                  drawMinuteTraveller(list, busier);
              }),
              0);
}
