#pragma once

#include "math/Lanes.h"

// e^x and e^x - 1 without the C library: branch-free, the same bits on every
// x86-64 build (no fused multiply-adds, no CPU-dependent dispatch), written
// once for any lane width. expMinusOne is within 2 ulp of the C library's
// expm1 for |x| <= 700; exp is within 2 ulp of exp for -708 <= x <= 709 and
// gives exactly 0 below -708, where the C library would return subnormals.
namespace slm::synth {

namespace detail {

// x = k ln2 + r, |r| <= ln2/2; ln2 is split so that k * ln2High is exact.
// Returns r and 2^k (k from -1022 to 1023).
template <class V>
[[gnu::always_inline]] inline V reduceLn2(V x, V& twoToK)
{
    constexpr double invLn2 = 0x1.71547652b82fep0;
    constexpr double ln2High = 0x1.62e42fee00000p-1;
    constexpr double ln2Low = 0x1.a39ef35793c76p-33;
    constexpr double roundingShift = 0x1.8p52;
    const V shifted = x * invLn2 + roundingShift;
    const V k = shifted - roundingShift;
    // The shifted sum carries k in its low mantissa bits; only the low 11
    // bits of k + 1023 reach the exponent field.
    using W = MaskOf<V>;
    twoToK = (V)(((W)shifted + 1023) << 52);
    return (x - k * ln2High) - k * ln2Low;
}

// e^r - 1 on |r| <= ln2/2: Taylor series to degree 13, truncation below
// 1e-17 relative.
template <class V>
[[gnu::always_inline]] inline V expMinusOneKernel(V r)
{
    V p = splat<V>(1.0 / 6227020800.0);
    p = p * r + 1.0 / 479001600.0;
    p = p * r + 1.0 / 39916800.0;
    p = p * r + 1.0 / 3628800.0;
    p = p * r + 1.0 / 362880.0;
    p = p * r + 1.0 / 40320.0;
    p = p * r + 1.0 / 5040.0;
    p = p * r + 1.0 / 720.0;
    p = p * r + 1.0 / 120.0;
    p = p * r + 1.0 / 24.0;
    p = p * r + 1.0 / 6.0;
    p = p * r + 0.5;
    return r + (r * r) * p;
}

} // namespace detail

// For |x| <= 700. e^x - 1 = 2^k (e^r - 1) + (2^k - 1): exact for k = 0, so
// small arguments keep their full relative accuracy.
template <class V>
[[gnu::always_inline]] inline V expMinusOneLanes(V x)
{
    V twoToK;
    const V r = detail::reduceLn2(x, twoToK);
    return twoToK * detail::expMinusOneKernel(r) + (twoToK - 1.0);
}

template <class V>
[[gnu::always_inline]] inline V expLanes(V x)
{
    constexpr double lowest = -708.0;
    constexpr double highest = 709.0;
    // Clamped first so that 2^k stays a normal number; a NaN passes both.
    const V clamped = select(x < lowest, splat<V>(lowest), select(x > highest, splat<V>(highest), x));
    V twoToK;
    const V r = detail::reduceLn2(clamped, twoToK);
    const V e = twoToK * (detail::expMinusOneKernel(r) + 1.0);
    return select(x < lowest, V{}, e);
}

[[gnu::always_inline]] inline double expMinusOne(double x) { return expMinusOneLanes(Doubles<1>{x})[0]; }
[[gnu::always_inline]] inline double exp(double x) { return expLanes(Doubles<1>{x})[0]; }

} // namespace slm::synth
