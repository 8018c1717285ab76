#pragma once

#include "engine/OfflineAudioOutput.h"
#include "engine/SLMAudioEngine.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace slm::test {

// An engine built as the application builds it, on an offline output that
// the test pulls block by block.
class OfflineEngine {
public:
    explicit OfflineEngine(double rate, std::uint32_t deviceChannels = 2,
                           OfflineAudioOutput::Layout layout = OfflineAudioOutput::Layout::NonInterleaved);

    SLMAudioEngine& engine() { return *m_engine; }
    SLMAudioParameters& parameters() { return *m_engine->parameters(); }
    const SynthesisState& state() const { return m_engine->synthesisState(); }
    OfflineAudioOutput& output() { return *m_output; }
    double rate() const { return m_output->sampleRate(); }

    // Renders `frames` frames in blocks of `block` (the last may be shorter)
    // and returns every channel of the stream (de-interleaved if need be);
    // blocks the output does not pull (corked) come back as silence.
    std::vector<std::vector<float>> render(std::int64_t frames, std::uint32_t block = 512);
    // Renders without keeping the output.
    void skip(std::int64_t frames, std::uint32_t block = 512);
    // Renders until `frames` frames have been rendered since construction.
    void skipTo(std::int64_t frames, std::uint32_t block = 512);

    std::int64_t framesRendered() const { return m_frames; }

private:
    OfflineAudioOutput* m_output;
    std::unique_ptr<SLMAudioEngine> m_engine;
    std::int64_t m_frames = 0;
};

// Largest magnitude of a range of samples.
float peakOf(const std::vector<float>& samples, std::size_t from = 0, std::size_t to = SIZE_MAX);

} // namespace slm::test
