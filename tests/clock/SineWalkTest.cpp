#include "clock/SineWalk.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

// The strands' rows follow sin(phase + f·2π·i/560) over all 561 points, for
// the strand frequencies (1.4 to 40) and phases of time times a rate (up to
// about 4e9), with rounding far below a float vertex.
TEST(SineWalk, FollowsTheSineAlongAWholeStrand)
{
    double worst = 0;
    for (double f : {1.4, 2.39, 5.2, 13.0, 29.0, 40.0}) {
        for (double phase : {0.0, -1.3, 7.4e8, -2.2e9, 4.1e9}) {
            SineWalk walk(phase, f);
            // The phase's own sine and cosine, so that only the walk is measured.
            const double s0 = std::sin(phase), c0 = std::cos(phase);
            for (int i = 0; i < 561; i += 2) {
                const SineWalk::Pair pair = walk.next();
                for (int lane = 0; lane < 2; ++lane) {
                    const double a = f * (2 * std::numbers::pi) / 560 * (i + lane);
                    const double expected = s0 * std::cos(a) + c0 * std::sin(a);
                    worst = std::max(worst, std::abs(pair[lane] - expected));
                }
            }
        }
    }
    EXPECT_LT(worst, 1e-11);
}
