#include "engine/SimdDispatch.h"

#include <cstdlib>

namespace slm::synth {

bool cpuRunsAvx2()
{
    // __builtin_cpu_supports also checks that the OS saves the wide registers.
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

const ChunkKernel& chunkKernelFor(std::string_view request)
{
    if (request == "sse2")
        return sse2ChunkKernel;
    return cpuRunsAvx2() ? avx2ChunkKernel : sse2ChunkKernel;
}

const ChunkKernel& selectedChunkKernel()
{
    const char* request = std::getenv("STARLUME_SIMD");
    return chunkKernelFor(request ? request : "auto");
}

} // namespace slm::synth
