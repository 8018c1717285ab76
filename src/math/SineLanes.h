#pragma once

#include "math/Lanes.h"
#include "math/Sine.h"

#include <cmath>

// The voices' sine on any number of lanes: the same operations as sine(x)
// in every lane, so the same bits, one instruction stream for all of them.
namespace slm::synth {

template <class V>
[[gnu::always_inline]] inline V sineLanes(V x)
{
    constexpr int lanes = sizeof(V) / sizeof(double);
    using U = Words<lanes>;
    using W = MaskOf<V>;
    // Arguments beyond the reduction's range (never a voice's phase) take the
    // scalar path, which hands them to the C library.
    const W inRange = (V)((U)x & ~(U{} + 0x8000000000000000ULL)) < detail::reductionLimit;
    bool all = true;
    for (int i = 0; i < lanes; ++i)
        all &= inRange[i] != 0;
    if (!all) [[unlikely]] {
        V out;
        for (int i = 0; i < lanes; ++i)
            out[i] = sine(x[i]);
        return out;
    }
    V shifted;
    const V s = detail::halfTurnSineSeries(detail::reduceHalfTurns(x, shifted));
    return (V)((U)s ^ ((U)shifted << 63));
}

} // namespace slm::synth
