#pragma once

#include "math/Exp.h"
#include "math/Lanes.h"

// Powers of non-negative bases for the voices' envelopes: branch-free, the
// same bits on every x86-64 build, written once for any lane width.
// power(x, y) for 0 <= x < 2^1024 and 0 < y <= 16: relative error within
// 2^-52 (2 + 2 |y ln x|) of the C library's pow, exactly 0 for x = 0 and
// wherever the result falls below e^-708; NaN for NaN.
namespace slm::synth {

namespace detail {

// ln x for x >= 0: x = 2^e m with sqrt(1/2) <= m < sqrt(2), and
// ln m = 2 atanh s, s = (m - 1) / (m + 1), |s| <= 0.172, by its series to s^23.
template <class V>
[[gnu::always_inline]] inline V powBaseLog(V x)
{
    using W = MaskOf<V>;
    constexpr double ln2High = 0x1.62e42fee00000p-1;
    constexpr double ln2Low = 0x1.a39ef35793c76p-33;
    constexpr double sqrtTwo = 0x1.6a09e667f3bcdp0;

    // Subnormals are scaled into the normal range first.
    const W subnormal = x < 0x1p-1022;
    const V scaled = select(subnormal, x * 0x1p54, x);
    const W bits = (W)scaled;
    // The biased exponent as a double: its 11 bits planted in the mantissa of 2^52.
    const V biased = (V)(((bits >> 52) & 0x7ff) | 0x4330000000000000LL) - 0x1p52;
    V m = (V)((bits & 0x000fffffffffffffLL) | 0x3ff0000000000000LL);
    const W high = m > sqrtTwo;
    m = select(high, m * 0.5, m);
    const V e = biased - 1023.0 - select(subnormal, splat<V>(54.0), V{}) + select(high, splat<V>(1.0), V{});

    const V s = (m - 1.0) / (m + 1.0);
    const V s2 = s * s;
    V p = splat<V>(1.0 / 23.0);
    p = p * s2 + 1.0 / 21.0;
    p = p * s2 + 1.0 / 19.0;
    p = p * s2 + 1.0 / 17.0;
    p = p * s2 + 1.0 / 15.0;
    p = p * s2 + 1.0 / 13.0;
    p = p * s2 + 1.0 / 11.0;
    p = p * s2 + 1.0 / 9.0;
    p = p * s2 + 1.0 / 7.0;
    p = p * s2 + 1.0 / 5.0;
    p = p * s2 + 1.0 / 3.0;
    const V lnM = (s + s) + (s + s) * s2 * p;
    const V ln = e * ln2High + (e * ln2Low + lnM);
    constexpr double infinity = __builtin_inf();
    return select(x == 0.0, splat<V>(-infinity), ln);
}

} // namespace detail

template <class V>
[[gnu::always_inline]] inline V powerLanes(V x, double y)
{
    const V result = expLanes(detail::powBaseLog(x) * y);
    return select(x == x, result, x);
}

[[gnu::always_inline]] inline double power(double x, double y) { return powerLanes(Doubles<1>{x}, y)[0]; }

// x^N for a small whole N by repeated squaring: within N ulp of pow.
template <int N, class V>
[[gnu::always_inline]] inline V wholePower(V x)
{
    static_assert(N >= 1);
    if constexpr (N == 1)
        return x;
    else if constexpr (N % 2 == 0) {
        const V half = wholePower<N / 2>(x);
        return half * half;
    } else
        return wholePower<N - 1>(x) * x;
}

} // namespace slm::synth
