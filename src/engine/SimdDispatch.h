#pragma once

#include "engine/ChunkKernel.h"

#include <string_view>

// Which chunk kernel the render uses: the widest the CPU runs, unless
// STARLUME_SIMD asks for one ("sse2", "avx2" or "auto"). A request the CPU
// cannot honour, or an unknown word, falls back to the automatic choice.
namespace slm::synth {

// The kernels this CPU can run, baseline first.
bool cpuRunsAvx2();

const ChunkKernel& chunkKernelFor(std::string_view request);

// From the environment; read by the render's owner, off the audio thread.
const ChunkKernel& selectedChunkKernel();

} // namespace slm::synth
