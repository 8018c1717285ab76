// The rotated modulators against the sines of the phases they stand for,
// chunk by chunk, anchored as the render anchors them.

#include "engine/ModulatorRotation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace slm::synth;

namespace {

double worstDifference(const ModulatorLanes& lanes, int j, const Modulators& m)
{
    const double differences[] = {lanes.M1.v[j] - m.M1, lanes.M2.v[j] - m.M2, lanes.M3.v[j] - m.M3,
                                  lanes.MD.v[j] - m.MD, lanes.LA.v[j] - m.LA, lanes.LB.v[j] - m.LB,
                                  lanes.LC.v[j] - m.LC, lanes.LD.v[j] - m.LD, lanes.BR.v[j] - m.BR,
                                  lanes.DR.v[j] - m.DR};
    double worst = 0.0;
    for (double d : differences)
        worst = std::max(worst, std::fabs(d));
    return worst;
}

// Blocks of `blockFrames`, anchored every anchorFrames from each block's
// start; the largest difference from the sines over all frames.
double runAgainstSines(double rate, int blockFrames, int blocks, SlowModulatorState state, bool frozen)
{
    const SlowModulatorIncrements inc(rate);
    ModulatorRotation rotation;
    ModulatorLanes lanes{};
    double worst = 0.0;
    for (int block = 0; block < blocks; ++block) {
        rotation.setSteps(inc);
        for (int first = 0; first < blockFrames; first += chunkFrames) {
            if (first % ModulatorRotation::anchorFrames == 0)
                rotation.anchor(state);
            const int frames = std::min(chunkFrames, blockFrames - first);
            Modulators exact[chunkFrames];
            SlowModulatorState walked = state;
            for (int j = 0; j < frames; ++j) {
                exact[j] = modulatorsOf(walked);
                if (!frozen)
                    advanceSlowModulators(walked, inc);
            }
            rotation.chunk(lanes, frames, state, inc, frozen);
            EXPECT_EQ(state.macroPhase, walked.macroPhase);
            for (int j = 0; j < frames; ++j)
                worst = std::max(worst, worstDifference(lanes, j, exact[j]));
        }
    }
    return worst;
}

} // namespace

TEST(ModulatorRotation, FollowsTheSinesOfThePhasesThroughWrapsAndRates)
{
    // Phases just short of a full turn, so several wrap during the run (the
    // macro phase's wrap moves the argument of MD by half a turn).
    SlowModulatorState nearWrap;
    nearWrap.breathPhase = twoPi - 1e-4;
    nearWrap.driftPhase = twoPi - 3e-5;
    nearWrap.macroPhase = twoPi - 2e-6;
    nearWrap.longFormPhaseC = 3.0;
    for (double rate : {8000.0, 48000.0, 192000.0}) {
        EXPECT_LE(runAgainstSines(rate, 512, 40, nearWrap, false), 1e-14) << rate;
        // Short odd blocks anchor at every block start.
        EXPECT_LE(runAgainstSines(rate, 37, 300, nearWrap, false), 1e-14) << rate;
    }
}

TEST(ModulatorRotation, FrozenModulatorsAreExactlyTheSinesOfTheStillPhases)
{
    SlowModulatorState still;
    still.macroPhase = 1.9;
    still.longFormPhaseB = 5.5;
    still.breathPhase = 0.7;
    EXPECT_EQ(runAgainstSines(48000.0, 512, 4, still, true), 0.0);
}
