#include "OfflineEngine.h"

#include "control/MemoryDeviceControl.h"

#include <algorithm>
#include <cmath>

namespace slm::test {

OfflineEngine::OfflineEngine(double rate, std::uint32_t deviceChannels, OfflineAudioOutput::Layout layout)
{
    auto output = std::make_unique<OfflineAudioOutput>(rate, deviceChannels, layout);
    m_output = output.get();
    m_engine = std::make_unique<SLMAudioEngine>(std::move(output), std::make_unique<MemoryDeviceControl>());
}

std::vector<std::vector<float>> OfflineEngine::render(std::int64_t frames, std::uint32_t block)
{
    const std::uint32_t channels = m_output->streamChannels();
    std::vector<std::vector<float>> out(channels);
    for (auto& c : out)
        c.reserve(static_cast<std::size_t>(frames));
    for (std::int64_t done = 0; done < frames;) {
        const auto n = static_cast<std::uint32_t>(std::min<std::int64_t>(block, frames - done));
        if (!m_output->render(n)) {
            // Nothing pulled (corked): the device plays silence.
            for (auto& c : out)
                c.insert(c.end(), n, 0.0f);
        } else if (const auto all = m_output->interleaved(); !all.empty()) {
            for (std::uint32_t i = 0; i < n; ++i)
                for (std::uint32_t c = 0; c < channels; ++c)
                    out[c].push_back(all[static_cast<std::size_t>(i) * channels + c]);
        } else {
            for (std::uint32_t c = 0; c < channels; ++c) {
                const auto samples = m_output->channel(c);
                out[c].insert(out[c].end(), samples.begin(), samples.end());
            }
        }
        done += n;
        m_frames += n;
    }
    return out;
}

void OfflineEngine::skip(std::int64_t frames, std::uint32_t block)
{
    for (std::int64_t done = 0; done < frames;) {
        const auto n = static_cast<std::uint32_t>(std::min<std::int64_t>(block, frames - done));
        m_output->render(n);
        done += n;
        m_frames += n;
    }
}

void OfflineEngine::skipTo(std::int64_t frames, std::uint32_t block)
{
    if (frames > m_frames)
        skip(frames - m_frames, block);
}

float peakOf(const std::vector<float>& samples, std::size_t from, std::size_t to)
{
    float peak = 0.0f;
    for (std::size_t i = from; i < std::min(to, samples.size()); ++i)
        peak = std::max(peak, std::fabs(samples[i]));
    return peak;
}

} // namespace slm::test
