// The baseline kernel: every x86-64 CPU has SSE2.
#include "engine/ChunkKernelBody.h"

const slm::synth::ChunkKernel slm::synth::sse2ChunkKernel{"sse2", steadyLanes, voiceLanes};
