// Built with -mavx2 (and never -mfma): four frames per instruction, a chunk
// in two halves (eight-lane vectors, split by the compiler, came out slower
// here). Only chosen where the CPU reports AVX2.
namespace {
constexpr int kernelWidth = 4;
}
#include "engine/ChunkKernelBody.h"

const slm::synth::ChunkKernel slm::synth::avx2ChunkKernel{"avx2", steadyLanes, steadySines, voiceLanes};
