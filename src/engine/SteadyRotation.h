#pragma once

#include "engine/ChunkKernel.h"
#include "math/Sine.h"

#include <numbers>

// The steady voices' sines without a sine per frame. Each sine's argument is
// k * phase + c for one steady phase, so it turns by k * step a frame: a
// chunk's frames are its (sine, cosine) pair at the chunk's first frame
// rotated by 0..7 steps, and the pair moves on by eight steps a chunk. Two
// products a lane where a sine costs twenty. Anchored on exact sines at each
// block's start and every anchorFrames frames, the values stay within a few
// 1e-15 of the sines of the phases themselves.
namespace slm::synth {

// The argument of each sine: k * phases[base] + c. The spare slots turn a
// spare phase, which stays at zero.
struct SteadySineArgument {
    int base;
    double k, c;
};

inline constexpr SteadySineArgument steadySineArguments[SteadySine::padded] = {
    {Steady::reactor40, 1.0, 0.0},      {Steady::reactor80, 1.0, 0.0},      {Steady::reactor120, 1.0, 0.0},
    {Steady::reactor200, 1.0, 0.0},     {Steady::reactor320, 1.0, 0.0},     {Steady::fieldA, 1.0, 0.0},
    {Steady::fieldB, 1.0, 0.0},         {Steady::fieldC, 1.0, 0.0},         {Steady::fieldD, 1.0, 0.0},
    {Steady::fieldPulse, 1.0, 0.0},     {Steady::fieldMotion, 1.0, 0.0},    {Steady::waveA, 1.0, 0.0},
    {Steady::waveB, 1.0, 0.0},          {Steady::waveC, 1.0, 0.0},          {Steady::waveD, 1.0, 0.0},
    {Steady::waveE, 1.0, 0.0},          {Steady::waveA, 1.0, 0.41},         {Steady::waveB, 1.0, 0.77},
    {Steady::waveC, 1.0, 1.1},          {Steady::waveD, 1.0, 1.57},         {Steady::waveE, 1.0, 2.03},
    {Steady::waveMotion, 1.0, 0.0},     {Steady::waveTide, 1.0, 0.0},       {Steady::waveShimmer, 1.0, 0.0},
    {Steady::filamentA, 1.0, 0.0},      {Steady::filamentB, 1.0, 0.41},     {Steady::filamentC, 1.0, 1.17},
    {Steady::filamentD, 1.0, 0.73},     {Steady::filamentE, 1.0, 1.61},     {Steady::filamentF, 1.0, 2.27},
    {Steady::filamentMotion, 1.0, 0.0}, {Steady::filamentBreath, 1.0, 0.0}, {Steady::filamentBreath, 2.37, 0.91},
    {Steady::filamentBreath, 0.47, 0.0}, {Steady::filamentBreath, 0.53, 1.2}, {Steady::chimeSub, 1.0, 0.0},
    {Steady::chimeSub, 0.502, 0.73},    {Steady::chimeBody, 1.0, 0.21},     {Steady::chimeBody, 0.503, 1.11},
    {Steady::chimeRing, 1.0, 0.64},     {Steady::chimeAir, 1.0, 1.37},      {Steady::filamentBreath, 0.31, 0.0},
    {Steady::chimeBody, 1.003, 0.0},    {Steady::chimeRing, 0.997, 0.0},    {Steady::chimeAir, 1.009, 0.0},
    {Steady::filamentMotion, 1.37, 0.0}, {Steady::count, 1.0, 0.0},     {Steady::count, 1.0, 0.0},
};

static_assert(SteadySine::padded - SteadySine::count == 2 && Steady::count < Steady::padded,
              "the spare sines turn a spare phase");

struct alignas(32) SteadyRotation {
    static constexpr int anchorFrames = 32;
    static_assert(anchorFrames % chunkFrames == 0);

    // Each pair at the chunk's first frame.
    double sine[SteadySine::padded] = {};
    double cosine[SteadySine::padded] = {};
    // Turning by a whole chunk.
    double chunkCos[SteadySine::padded] = {};
    double chunkSin[SteadySine::padded] = {};
    // Turning by 0, 1, ... chunkFrames - 1 frames.
    FrameLanes frameCos[SteadySine::padded] = {};
    FrameLanes frameSin[SteadySine::padded] = {};
    // Where a phase wraps, an argument that scales it by k jumps by k turns
    // back; by a whole number of turns only where k is one.
    double wrapCos[SteadySine::padded] = {};
    double wrapSin[SteadySine::padded] = {};
    // The phase steps the turns were made for: they change only with the
    // freeze and the rate, so most blocks keep them.
    double steps[Steady::padded] = {};
    bool madeOnce = false;
    // Whether the last chunk turned the chime's pairs too.
    bool chimeTurning = false;

    // Once per block, before the first chunk.
    void setSteps(const SteadyPhases& phases)
    {
        bool same = madeOnce;
        for (int i = 0; i < Steady::padded; ++i)
            same &= phases.step[i] == steps[i];
        if (same)
            return;
        madeOnce = true;
        for (int i = 0; i < Steady::padded; ++i)
            steps[i] = phases.step[i];
        for (int i = 0; i < SteadySine::padded; ++i) {
            const SteadySineArgument& a = steadySineArguments[i];
            const double step = a.k * steps[a.base];
            for (int j = 0; j < chunkFrames; ++j)
                turn(j * step, frameCos[i].v[j], frameSin[i].v[j]);
            turn(chunkFrames * step, chunkCos[i], chunkSin[i]);
            turn(-a.k * (2.0 * std::numbers::pi), wrapCos[i], wrapSin[i]);
        }
    }

private:
    static void turn(double angle, double& cosine, double& sine)
    {
        sine = slm::synth::sine(angle);
        // 1 - 2 sin^2(x/2): exact at zero, so a held phase holds to the bit.
        const double half = slm::synth::sine(0.5 * angle);
        cosine = 1.0 - 2.0 * half * half;
    }
};

// Every sine of a chunk from its phase lanes, as the voices once took them
// frame by frame: the reference the rotation is held to.
inline void exactSteadySines(ChunkInput& in)
{
    for (int i = 0; i < SteadySine::count; ++i) {
        const SteadySineArgument& a = steadySineArguments[i];
        for (int j = 0; j < chunkFrames; ++j)
            in.sines[i].v[j] = sine(a.k * in.phases[a.base].v[j] + a.c);
    }
}

} // namespace slm::synth
