#pragma once

#include <array>

// The short delay lines that widen the field and wave voices. All four lines
// share one write position, which the render cycle advances once per frame
// after both voices have written.
namespace slm::synth {

inline constexpr int spatialDelayLength = 128;

struct SpatialDelayLine {
    std::array<double, spatialDelayLength> samples{};

    // The value written `delay` frames before the one at `writeIndex`.
    double tap(int writeIndex, int delay) const
    {
        return samples[(writeIndex + spatialDelayLength - delay) % spatialDelayLength];
    }
    void write(int writeIndex, double value) { samples[writeIndex] = value; }
};

inline int nextSpatialIndex(int index) { return index == spatialDelayLength - 1 ? 0 : index + 1; }

} // namespace slm::synth
