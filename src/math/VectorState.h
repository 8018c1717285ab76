#pragma once

// Code built for the x86-64 baseline is encoded with legacy SSE
// instructions, and those run several times slower while the upper halves of
// the ymm registers hold data (see bench/VectorStateProbe.cpp for the
// measurement). Library code that uses them without clearing them afterwards
// leaves a thread in that state until something runs vzeroupper. So every hot
// loop of ours (the render block, the analyser block, the clock frame) starts
// by clearing it: one instruction, and the loop runs at full speed whatever
// ran on the thread before.
namespace slm {

inline void cleanUpperVectorState()
{
#if defined(__x86_64__)
    if (__builtin_cpu_supports("avx"))
        asm volatile("vzeroupper" ::: "xmm0", "xmm1", "xmm2", "xmm3", "xmm4", "xmm5", "xmm6", "xmm7", "xmm8", "xmm9",
                     "xmm10", "xmm11", "xmm12", "xmm13", "xmm14", "xmm15");
#endif
}

} // namespace slm
