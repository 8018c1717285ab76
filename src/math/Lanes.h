#pragma once

#include <cstdint>

// Lanes of doubles as GCC vector types, for the functions in this folder that
// are written once for any width. Each lane sees exactly the IEEE operations
// the scalar code would, so a width of 1, 2, 4 or 8 gives the same bits per
// lane whatever instructions the compiler picks for it.
namespace slm::synth {

template <int N>
using Doubles [[gnu::vector_size(8 * N)]] = double;
template <int N>
using Words [[gnu::vector_size(8 * N)]] = std::uint64_t;

// The comparison result of two V: -1 or 0 per lane, as signed 64-bit words.
template <class V>
using MaskOf = decltype(V{} < V{});

// Whole-lane bit selection, with no branch.
template <class V>
[[gnu::always_inline]] inline V select(MaskOf<V> mask, V ifTrue, V ifFalse)
{
    return (V)(((MaskOf<V>)ifTrue & mask) | ((MaskOf<V>)ifFalse & ~mask));
}

template <class V>
[[gnu::always_inline]] inline V splat(double value)
{
    return V{} + value;
}

} // namespace slm::synth
