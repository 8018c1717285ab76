#include "analysis/GoertzelKernel.h"

#include <cstdlib>
#include <cstring>

namespace slm::spectrum {

namespace detail {

void runGoertzelBankSse2(GoertzelBank& bank, const double* x, std::size_t count) { runBank<Sse2Lanes>(bank, x, count); }

} // namespace detail

bool kernelPathAvailable(KernelPath path)
{
    switch (path) {
    case KernelPath::sse2: return true;
    case KernelPath::avx2: return __builtin_cpu_supports("avx2");
    }
    return false;
}

namespace {

KernelPath choosePath()
{
    const char* asked = std::getenv("STARLUME_SIMD");
    if (asked && std::strcmp(asked, "sse2") == 0)
        return KernelPath::sse2;
    // "avx2" and "auto" both take the widest path the CPU has.
    return kernelPathAvailable(KernelPath::avx2) ? KernelPath::avx2 : KernelPath::sse2;
}

} // namespace

KernelPath chosenKernelPath()
{
    static const KernelPath path = choosePath();
    return path;
}

void runGoertzelBank(GoertzelBank& bank, const double* x, std::size_t count, KernelPath path)
{
    if (path == KernelPath::avx2 && kernelPathAvailable(KernelPath::avx2))
        detail::runGoertzelBankAvx2(bank, x, count);
    else
        detail::runGoertzelBankSse2(bank, x, count);
}

} // namespace slm::spectrum
