// The steady voices' turned sines against the sines of the phase lanes they
// stand for, through each kernel, over a long run of odd blocks in which the
// phases wrap and the freeze holds and releases some of them.

#include "engine/ChunkKernel.h"
#include "engine/SimdDispatch.h"
#include "engine/SteadyRotation.h"
#include "engine/SynthMath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

using namespace slm::synth;

namespace {

struct Worst {
    double turning = 0.0; // largest difference where the phase turns
    double held = 0.0;    // and where it is held for the whole block
};

// Blocks of random length; in each, every phase steps by its own step or,
// at random, by zero. The breath steps fast enough to wrap every few hundred
// frames, so the jumps of the arguments that scale it come often, as do the
// chime's.
Worst runAgainstSines(const ChunkKernel& kernel, unsigned seed)
{
    std::mt19937_64 random(seed);
    const auto unit = [&random] { return std::uniform_real_distribution<double>(0.0, 1.0)(random); };
    double steps[Steady::padded] = {};
    for (int i = 0; i < Steady::count; ++i)
        steps[i] = 0.9 * unit();
    steps[Steady::filamentBreath] = 0.01 + 0.02 * unit();

    SteadyPhases phases{};
    for (int i = 0; i < Steady::count; ++i)
        phases.value[i] = twoPi * unit();
    SteadyRotation rotation;
    ChunkInput in{};
    ChunkInput exact{};
    Worst worst;
    bool chime = false;
    for (int block = 0; block < 400; ++block) {
        const int frames = block % 7 == 0 ? 1 + static_cast<int>(unit() * 40) : 64 + static_cast<int>(unit() * 900);
        for (int i = 0; i < Steady::count; ++i)
            phases.step[i] = unit() < 0.15 ? 0.0 : steps[i];
        rotation.setSteps(phases);
        for (int first = 0; first < frames; first += chunkFrames) {
            const int count = std::min(chunkFrames, frames - first);
            kernel.steadyPhases(phases, in, count);
            // The chime sounds for a while now and then.
            if (unit() < 0.02)
                chime = !chime;
            kernel.steadySines(rotation, phases, in, first % SteadyRotation::anchorFrames == 0, chime);
            std::copy(std::begin(in.phases), std::end(in.phases), std::begin(exact.phases));
            exactSteadySines(exact);
            for (int i = 0; i < (chime ? SteadySine::count : SteadySine::firstChime); ++i) {
                const bool held = phases.step[steadySineArguments[i].base] == 0.0;
                for (int j = 0; j < count; ++j) {
                    const double d = std::fabs(in.sines[i].v[j] - exact.sines[i].v[j]);
                    double& w = held ? worst.held : worst.turning;
                    w = std::max(w, d);
                }
            }
        }
    }
    return worst;
}

} // namespace

TEST(SteadyRotation, FollowsTheSinesOfThePhasesThroughWrapsAndFreezes)
{
    std::vector<const ChunkKernel*> kernels{&sse2ChunkKernel};
    if (cpuRunsAvx2())
        kernels.push_back(&avx2ChunkKernel);
    for (const ChunkKernel* kernel : kernels) {
        for (unsigned seed : {1u, 2u, 3u}) {
            SCOPED_TRACE(testing::Message() << kernel->name << " seed " << seed);
            const Worst worst = runAgainstSines(*kernel, seed);
            // The phase lanes themselves drift from the turning they stand
            // for by up to half an ulp a frame: 31 frames from an anchor at
            // 2.37 times the breath, 3.2e-14; a wrap adds an ulp or two.
            EXPECT_LE(worst.turning, 5e-14);
            // A held phase's pair turns by exactly nothing.
            EXPECT_EQ(worst.held, 0.0);
        }
    }
}
