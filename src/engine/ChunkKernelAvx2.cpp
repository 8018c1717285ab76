// Built with -mavx2 (and never -mfma): four frames per instruction. Only
// chosen where the CPU reports AVX2.
#include "engine/ChunkKernelBody.h"

const slm::synth::ChunkKernel slm::synth::avx2ChunkKernel{"avx2", steadyLanes, voiceLanes};
