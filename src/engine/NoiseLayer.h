#pragma once

#include "engine/SynthMath.h"

#include <cstdint>

// The engine's one random generator (xorshift64*) and the pair of low-passed
// white-noise streams the wave voice mixes in. The anomaly and glowworm events
// draw from the same generator, interleaved frame by frame with the noise, so
// the whole soundscape is reproducible from the seed.
namespace slm::synth {

inline constexpr std::uint64_t noiseSeed = 0x9e3779b97f4a7c15ULL;

// Advances `state` (never 0) and returns a value in 0...1.
inline double nextRandom(std::uint64_t& state)
{
    std::uint64_t x = state;
    x ^= x >> 12;
    x ^= x << 25;
    x ^= x >> 27;
    state = x;
    // The product as a 64-bit fraction, rounded to the nearest double. Both
    // halves convert exactly and their sum rounds once, so this is the direct
    // conversion's result, without the branch on the top bit that an
    // unsigned conversion costs on x86-64.
    const std::uint64_t product = x * 0x2545f4914f6cdd1dULL;
    const double high = static_cast<double>(static_cast<std::uint32_t>(product >> 32)) * 0x1p32;
    const double low = static_cast<double>(static_cast<std::uint32_t>(product));
    return (high + low) * 0x1p-64;
}

struct NoiseState {
    std::uint64_t noiseState = noiseSeed;
    double filteredNoiseL = 0.0;
    double filteredNoiseR = 0.0;
};

// One-pole low-pass at 1500 Hz, in the RC form.
inline double noiseSmoothing(double rate)
{
    return (1.0 / rate) / (1.0 / rate + 1.0 / (twoPi * 1500.0));
}

// Two draws, left first.
inline void noiseFrame(NoiseState& s, double alpha)
{
    const double uL = nextRandom(s.noiseState);
    const double uR = nextRandom(s.noiseState);
    s.filteredNoiseL = s.filteredNoiseL + alpha * ((2.0 * uL - 1.0) - s.filteredNoiseL);
    s.filteredNoiseR = s.filteredNoiseR + alpha * ((2.0 * uR - 1.0) - s.filteredNoiseR);
}

} // namespace slm::synth
