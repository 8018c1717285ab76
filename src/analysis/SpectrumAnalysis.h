#pragma once

#include "analysis/GoertzelBank.h"

#include <array>
#include <span>

// The analyser's arithmetic, free of threads and objects so that the live
// spectrum, the offline renderer, the tests and the benchmark share it.
namespace slm::spectrum {

inline constexpr int bandCount = bankSize;
inline constexpr double floorDB = -72.0;
inline constexpr double ceilingDB = 0.0;

using Bands = std::array<double, bandCount>;

// One-third-octave nominal centres from 40 Hz; 8 kHz is left out on purpose.
inline constexpr Bands centerFrequencies = {
    40,   50,   63,   80,   100,  125,  160,  200,  250,  315,  400,  500,
    630,  800,  1000, 1250, 1600, 2000, 2500, 3150, 4000, 5000, 6300, 10000,
};

inline constexpr Bands floorBands()
{
    Bands bands{};
    bands.fill(floorDB);
    return bands;
}

// Instantaneous level (dB, floor ... ceiling) of each band over one block:
// a Hann-windowed Goertzel filter at the band's exact centre, which is pulled
// down to 0.45 x the sample rate where it would lie above. Any block length;
// an empty block or a sample rate not above 0 reads the floor everywhere.
Bands measure(std::span<const float> block, double sampleRate);
// The same through a chosen vector path; every path gives the same bits.
Bands measure(std::span<const float> block, double sampleRate, KernelPath path);

// One smoothing step from the previous result towards new levels: fast when
// a band rises, slow when it falls.
Bands smooth(const Bands& previous, const Bands& levels);

// The full analysis of one block against the previous result.
inline Bands analyse(std::span<const float> block, double sampleRate, const Bands& previous)
{
    return smooth(previous, measure(block, sampleRate));
}

} // namespace slm::spectrum
