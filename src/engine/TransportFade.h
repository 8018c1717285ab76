#pragma once

#include "engine/SynthMath.h"

#include <atomic>
#include <cmath>
#include <cstdint>

// Pause and play as a gain on the output: a raised cosine over a position
// that runs from 1 (full) to 0 (silent) and back. A new target turns the
// position round where it is, so a reversal never jumps.
namespace slm::synth {

// What the main thread asks for: play or pause, and over how long. One word
// of eight bytes, so the render reads it whole from one lock-free atomic.
struct TransportTarget {
    float fadeSeconds = 0.0f;
    // serial << 1 | playing: a new request is told apart from an old one with
    // the same direction, so a report of silence always names its request.
    std::uint32_t command = 1;

    bool playing() const { return (command & 1u) != 0; }
    static TransportTarget next(TransportTarget previous, bool playing, double fadeSeconds)
    {
        const std::uint32_t serial = (previous.command >> 1) + 1;
        const double seconds = std::isfinite(fadeSeconds) && fadeSeconds > 0.0 ? fadeSeconds : 0.0;
        return {static_cast<float>(seconds), (serial << 1) | (playing ? 1u : 0u)};
    }
};
static_assert(std::atomic<TransportTarget>::is_always_lock_free);

struct TransportFade {
    double position = 1.0;
    double step = 0.0; // signed change of position per frame
    std::uint32_t command = 1;

    // Once per block.
    void follow(TransportTarget target, double rate)
    {
        command = target.command;
        const double frames = static_cast<double>(target.fadeSeconds) * rate;
        const double magnitude = frames > 1.0 ? 1.0 / frames : 1.0;
        step = target.playing() ? magnitude : -magnitude;
    }

    // Fully open and staying so: the render may skip the gain.
    bool isOpen() const { return position >= 1.0 && step >= 0.0; }
    bool isSilent() const { return position <= 0.0; }

    // The gain of the next frame.
    double nextGain()
    {
        const double g = gainAt(position);
        double next = position + step;
        // Rounding must not leave the fade a hair short of either end.
        if (next < 1e-9)
            next = 0.0;
        else if (next > 1.0 - 1e-9)
            next = 1.0;
        position = next;
        return g;
    }

    static double gainAt(double x)
    {
        if (x >= 1.0)
            return 1.0;
        if (x <= 0.0)
            return 0.0;
        return raisedCosine(x);
    }
};

} // namespace slm::synth
