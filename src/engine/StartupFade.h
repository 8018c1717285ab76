#pragma once

#include "engine/SynthMath.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

// Silence, then a raised-cosine fade-in, counted in rendered samples from the
// first render: once per run, not after a freeze.
namespace slm::synth {

struct StartupFade {
    std::int64_t sampleIndex = 0;
    std::int64_t holdSamples = 1;
    std::int64_t fadeSamples = 1;

    void arm(double rate)
    {
        sampleIndex = 0;
        holdSamples = samplesFor(rate * 0.75);
        fadeSamples = samplesFor(rate * 5.25);
    }

    // The gain of the next frame.
    double nextGain()
    {
        const std::int64_t j = sampleIndex;
        const std::int64_t h = holdSamples;
        const std::int64_t d = fadeSamples;
        double g = 1.0;
        if (j < h)
            g = 0.0;
        else if (j - h < d)
            g = raisedCosine(std::min(static_cast<double>(j - h) / static_cast<double>(std::max<std::int64_t>(d, 1)), 1.0));
        sampleIndex = j + 1;
        return g;
    }
};

} // namespace slm::synth
