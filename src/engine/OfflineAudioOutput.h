#pragma once

#include "engine/AudioOutput.h"

#include <cstdint>
#include <span>
#include <vector>

// An output without a device: the caller pulls blocks with render() on its
// own thread, and reads back what the engine wrote. What the tools and tests
// render against.
class OfflineAudioOutput : public AudioOutput {
public:
    enum class Layout {
        NonInterleaved, // one buffer per channel, as the tools write them
        Interleaved,    // one buffer of all channels, as the sound server takes them
    };

    OfflineAudioOutput(double sampleRate, std::uint32_t deviceChannels, Layout layout = Layout::NonInterleaved);

    AudioDeviceFormat deviceFormat() override;
    bool createStream(double sampleRate, std::uint32_t channels) override;
    void setRenderCallback(RenderCallback callback) override;
    bool start(std::string& error) override;
    void stop() override;
    // Corked, render() pulls nothing, as a corked stream on a server would.
    void setCorked(bool corked) override { m_corked = corked; }

    // Pulls `frames` frames through the render callback into zeroed buffers.
    // False (and nothing rendered, no block kept) unless the stream has
    // started and is not corked.
    bool render(std::uint32_t frames);

    double sampleRate() const { return m_sampleRate; }
    // Channels of the stream the engine created (0 before createStream).
    std::uint32_t streamChannels() const { return m_streamChannels; }
    bool isStarted() const { return m_started; }
    bool isCorked() const { return m_corked; }

    // The last block: one channel of it, or (interleaved layout) all of it.
    std::span<const float> channel(std::uint32_t index) const;
    std::span<const float> interleaved() const;

private:
    double m_sampleRate;
    std::uint32_t m_deviceChannels;
    Layout m_layout;
    std::uint32_t m_streamChannels = 0;
    RenderCallback m_callback;
    bool m_started = false;
    bool m_corked = false;
    std::uint32_t m_frames = 0;
    std::vector<std::vector<float>> m_channels; // non-interleaved
    std::vector<float> m_interleaved;
    std::vector<AudioBuffer> m_buffers;
};
