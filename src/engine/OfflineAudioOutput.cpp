#include "engine/OfflineAudioOutput.h"

#include <algorithm>

OfflineAudioOutput::OfflineAudioOutput(double sampleRate, std::uint32_t deviceChannels, Layout layout)
    : m_sampleRate(sampleRate)
    , m_deviceChannels(deviceChannels)
    , m_layout(layout)
{
}

AudioDeviceFormat OfflineAudioOutput::deviceFormat() { return {m_sampleRate, m_deviceChannels}; }

bool OfflineAudioOutput::createStream(double, std::uint32_t channels)
{
    if (channels == 0)
        return false;
    m_streamChannels = channels;
    if (m_layout == Layout::Interleaved) {
        m_buffers.assign(1, AudioBuffer{channels, nullptr});
    } else {
        m_channels.assign(channels, {});
        m_buffers.assign(channels, AudioBuffer{1, nullptr});
    }
    return true;
}

void OfflineAudioOutput::setRenderCallback(RenderCallback callback) { m_callback = std::move(callback); }

bool OfflineAudioOutput::start(std::string& error)
{
    if (!m_callback || m_streamChannels == 0) {
        error = "no stream to start";
        return false;
    }
    m_started = true;
    return true;
}

void OfflineAudioOutput::stop() { m_started = false; }

bool OfflineAudioOutput::render(std::uint32_t frames)
{
    if (!m_started || m_corked) {
        m_frames = 0;
        return false;
    }
    // Buffers are sized here, on the caller's side of the callback, never inside it.
    m_frames = frames;
    if (m_layout == Layout::Interleaved) {
        m_interleaved.assign(static_cast<std::size_t>(frames) * m_streamChannels, 0.0f);
        m_buffers[0].data = m_interleaved.data();
    } else {
        for (std::size_t k = 0; k < m_channels.size(); ++k) {
            m_channels[k].assign(frames, 0.0f);
            m_buffers[k].data = m_channels[k].data();
        }
    }
    m_callback(frames, AudioBufferList(m_buffers));
    return true;
}

std::span<const float> OfflineAudioOutput::channel(std::uint32_t index) const
{
    if (m_layout != Layout::NonInterleaved || index >= m_channels.size())
        return {};
    return std::span<const float>(m_channels[index]).first(m_frames);
}

std::span<const float> OfflineAudioOutput::interleaved() const
{
    if (m_layout != Layout::Interleaved)
        return {};
    return std::span<const float>(m_interleaved).first(static_cast<std::size_t>(m_frames) * m_streamChannels);
}
