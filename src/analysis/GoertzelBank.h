#pragma once

#include <cstddef>

// The analyser's inner loop: one Goertzel recursion per band, all bands
// advancing together over a run of windowed samples. Compiled once for the
// SSE2 baseline and once for AVX2; both do the same IEEE operations in the
// same order in every lane, so they give the same bits.
namespace slm::spectrum {

inline constexpr int bankSize = 24;

struct GoertzelBank {
    alignas(32) double coefficient[bankSize]; // 2 cos(omega)
    alignas(32) double s1[bankSize];          // s[n - 1]
    alignas(32) double s2[bankSize];          // s[n - 2]
};

enum class KernelPath { sse2, avx2 };

// The widest path this CPU runs, unless STARLUME_SIMD (sse2, avx2 or auto)
// asks for another one it can run. Decided once per process.
KernelPath chosenKernelPath();
bool kernelPathAvailable(KernelPath path);

// Advances every band over x[0 ... count).
void runGoertzelBank(GoertzelBank& bank, const double* x, std::size_t count, KernelPath path);

namespace detail {
void runGoertzelBankSse2(GoertzelBank& bank, const double* x, std::size_t count);
void runGoertzelBankAvx2(GoertzelBank& bank, const double* x, std::size_t count);
} // namespace detail

} // namespace slm::spectrum
