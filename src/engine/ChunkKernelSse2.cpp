// The baseline kernel: every x86-64 CPU has SSE2. A whole chunk per vector,
// four registers wide, keeps more independent work in flight than two.
namespace {
constexpr int kernelWidth = 8;
}
#include "engine/ChunkKernelBody.h"

const slm::synth::ChunkKernel slm::synth::sse2ChunkKernel{"sse2", steadyLanes, steadySines, voiceLanes};
