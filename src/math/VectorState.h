#pragma once

// Code built for the x86-64 baseline is encoded with legacy SSE
// instructions, and those run several times slower while the upper halves of
// the vector registers hold data (bench/VectorStateProbe.cpp measures it).
// Library code that uses them without clearing them afterwards leaves a
// thread in that state for as long as nothing clears it. So every hot loop
// of ours (the render block, the analyser block, the clock frame) starts by
// clearing it: a few instructions, and the loop runs at full speed whatever
// ran on the thread before.
namespace slm {

inline void cleanUpperVectorState()
{
#if defined(__x86_64__)
    if (!__builtin_cpu_supports("avx"))
        return;
    // The upper halves of ymm0-15 (the compiler's xmm values keep their low halves).
    asm volatile("vzeroupper" ::: "xmm0", "xmm1", "xmm2", "xmm3", "xmm4", "xmm5", "xmm6", "xmm7", "xmm8", "xmm9",
                 "xmm10", "xmm11", "xmm12", "xmm13", "xmm14", "xmm15");
#if !defined(__AVX512F__)
    // vzeroupper leaves zmm16-31 alone, and the C library's AVX-512 routines
    // use them. Code built without AVX-512 never holds a value there.
    if (__builtin_cpu_supports("avx512f"))
        asm volatile("vpxord %xmm16, %xmm16, %xmm16\n\tvpxord %xmm17, %xmm17, %xmm17\n\t"
                     "vpxord %xmm18, %xmm18, %xmm18\n\tvpxord %xmm19, %xmm19, %xmm19\n\t"
                     "vpxord %xmm20, %xmm20, %xmm20\n\tvpxord %xmm21, %xmm21, %xmm21\n\t"
                     "vpxord %xmm22, %xmm22, %xmm22\n\tvpxord %xmm23, %xmm23, %xmm23\n\t"
                     "vpxord %xmm24, %xmm24, %xmm24\n\tvpxord %xmm25, %xmm25, %xmm25\n\t"
                     "vpxord %xmm26, %xmm26, %xmm26\n\tvpxord %xmm27, %xmm27, %xmm27\n\t"
                     "vpxord %xmm28, %xmm28, %xmm28\n\tvpxord %xmm29, %xmm29, %xmm29\n\t"
                     "vpxord %xmm30, %xmm30, %xmm30\n\tvpxord %xmm31, %xmm31, %xmm31");
#endif
#endif
}

} // namespace slm
