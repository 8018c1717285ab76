#pragma once

#include "analysis/GoertzelBank.h"

#include <immintrin.h>

// Included by each path's translation unit, which chooses the vector width
// and the instruction set it is compiled for. Intrinsics rather than
// generic vectors: GCC splits generic ones into scalar lanes here. Everything
// is forced inline, so no out-of-line copy built for one instruction set can
// be picked by the linker for the other.
namespace slm::spectrum::detail {

struct Sse2Lanes {
    using V = __m128d;
    static constexpr int width = 2;
    static constexpr int groups = 4; // of sixteen registers, no spills
    [[gnu::always_inline]] static V load(const double* p) { return _mm_load_pd(p); }
    [[gnu::always_inline]] static void store(double* p, V v) { _mm_store_pd(p, v); }
    [[gnu::always_inline]] static V broadcast(double x) { return _mm_set1_pd(x); }
    [[gnu::always_inline]] static V mul(V a, V b) { return _mm_mul_pd(a, b); }
    [[gnu::always_inline]] static V add(V a, V b) { return _mm_add_pd(a, b); }
    [[gnu::always_inline]] static V sub(V a, V b) { return _mm_sub_pd(a, b); }
};

#ifdef __AVX2__
struct Avx2Lanes {
    using V = __m256d;
    static constexpr int width = 4;
    static constexpr int groups = 6;
    [[gnu::always_inline]] static V load(const double* p) { return _mm256_load_pd(p); }
    [[gnu::always_inline]] static void store(double* p, V v) { _mm256_store_pd(p, v); }
    [[gnu::always_inline]] static V broadcast(double x) { return _mm256_set1_pd(x); }
    [[gnu::always_inline]] static V mul(V a, V b) { return _mm256_mul_pd(a, b); }
    [[gnu::always_inline]] static V add(V a, V b) { return _mm256_add_pd(a, b); }
    [[gnu::always_inline]] static V sub(V a, V b) { return _mm256_sub_pd(a, b); }
};
#endif

// s[n] = c s[n-1] + (x[n] - s[n-2]). The subtraction does not wait for the
// previous step, so each step costs a multiply and an add of latency. A pass
// takes as many vectors of bands as keep their two states in the sixteen
// registers (four on SSE2, six on AVX2, whose coefficients come from memory),
// and those independent chains keep both the multiplier and the adder busy.
template <class L>
[[gnu::always_inline]] inline void runBankPass(GoertzelBank& bank, int firstBand, const double* x,
                                               std::size_t count)
{
    using V = typename L::V;
    constexpr int groups = L::groups;
    V c[groups], a[groups], b[groups];
#pragma GCC unroll 6
    for (int g = 0; g < groups; ++g) {
        const int band = firstBand + g * L::width;
        c[g] = L::load(bank.coefficient + band);
        a[g] = L::load(bank.s1 + band);
        b[g] = L::load(bank.s2 + band);
    }
    for (std::size_t j = 0; j < count; ++j) {
        const V xj = L::broadcast(x[j]);
#pragma GCC unroll 6
        for (int g = 0; g < groups; ++g) {
            const V s = L::add(L::mul(c[g], a[g]), L::sub(xj, b[g]));
            b[g] = a[g];
            a[g] = s;
        }
    }
#pragma GCC unroll 6
    for (int g = 0; g < groups; ++g) {
        const int band = firstBand + g * L::width;
        L::store(bank.s1 + band, a[g]);
        L::store(bank.s2 + band, b[g]);
    }
}

template <class L>
[[gnu::always_inline]] inline void runBank(GoertzelBank& bank, const double* x, std::size_t count)
{
    static_assert(bankSize % (L::groups * L::width) == 0);
    for (int first = 0; first < bankSize; first += L::groups * L::width)
        runBankPass<L>(bank, first, x, count);
}

} // namespace slm::spectrum::detail
