#include "support/MonitorRecorder.h"

#include <pulse/introspect.h>
#include <pulse/timeval.h>

#include <cmath>
#include <optional>
#include <cstring>

namespace slm::test {

MonitorRecorder::MonitorRecorder(const QString& server, const QString& sink, unsigned rate, unsigned channels)
    : m_server(server)
    , m_source(sink + QStringLiteral(".monitor"))
    , m_rate(rate)
    , m_channels(channels)
{
}

bool MonitorRecorder::start()
{
    PulseMainLoop& loop = m_client.loop();
    if (!loop.start())
        return false;
    const auto deadline = PulseMainLoop::Clock::now() + std::chrono::seconds(3);
    PulseMainLoop::Locker locker(loop);
    if (!m_client.connect(m_server, "starlume-test-recorder", deadline))
        return false;

    // The source's own order, so that channel n is the sink's channel n:
    // pipewire-pulse maps a record stream by position names whatever its
    // flags say.
    struct SourceMap {
        PulseMainLoop* loop;
        std::optional<pa_channel_map> map;
        bool done = false;
    } sourceMap{&loop, std::nullopt};
    const QByteArray sourceName = m_source.toUtf8();
    pa_operation* query = pa_context_get_source_info_by_name(
        m_client.context(), sourceName.constData(),
        [](pa_context*, const pa_source_info* info, int eol, void* data) {
            auto* result = static_cast<SourceMap*>(data);
            if (info)
                result->map = info->channel_map;
            if (eol) {
                result->done = true;
                result->loop->signal();
            }
        },
        &sourceMap);
    if (query) {
        loop.waitUntil([&] { return sourceMap.done; }, deadline);
        if (!sourceMap.done)
            pa_operation_cancel(query);
        pa_operation_unref(query);
    }
    const pa_channel_map* map = sourceMap.map && sourceMap.map->channels == m_channels ? &*sourceMap.map : nullptr;

    const pa_sample_spec sampleSpec{PA_SAMPLE_FLOAT32NE, m_rate, static_cast<std::uint8_t>(m_channels)};
    pa_stream* stream = pa_stream_new(m_client.context(), "monitor", &sampleSpec, map);
    if (!stream)
        return false;
    m_client.adopt(stream);
    pa_stream_set_state_callback(stream, &TestPulseClient::signalLoop, &loop);
    pa_stream_set_read_callback(stream, &MonitorRecorder::onRead, this);
    pa_buffer_attr attr;
    attr.maxlength = static_cast<std::uint32_t>(-1);
    attr.fragsize = static_cast<std::uint32_t>(pa_usec_to_bytes(10 * PA_USEC_PER_MSEC, &sampleSpec));
    attr.tlength = attr.prebuf = attr.minreq = static_cast<std::uint32_t>(-1);
    const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_NO_REMAP_CHANNELS
                                                      | PA_STREAM_NO_REMIX_CHANNELS);
    const QByteArray source = m_source.toUtf8();
    if (pa_stream_connect_record(stream, source.constData(), &attr, flags) < 0)
        return false;
    return m_client.waitUntilReady(stream, deadline);
}

void MonitorRecorder::onRead(pa_stream* stream, size_t, void* self)
{
    auto* recorder = static_cast<MonitorRecorder*>(self);
    const void* data = nullptr;
    size_t bytes = 0;
    while (pa_stream_readable_size(stream) > 0) {
        if (pa_stream_peek(stream, &data, &bytes) < 0 || bytes == 0)
            return;
        const std::size_t count = bytes / sizeof(float);
        {
            std::lock_guard guard(recorder->m_mutex);
            const std::size_t at = recorder->m_samples.size();
            recorder->m_samples.resize(at + count, 0.0f);
            if (data)
                std::memcpy(recorder->m_samples.data() + at, data, count * sizeof(float));
        }
        recorder->m_client.loop().signal();
        pa_stream_drop(stream);
    }
}

std::size_t MonitorRecorder::frames()
{
    std::lock_guard guard(m_mutex);
    return m_samples.size() / m_channels;
}

bool MonitorRecorder::waitForFrames(std::size_t wanted, std::chrono::milliseconds timeout)
{
    const auto deadline = PulseMainLoop::Clock::now() + timeout;
    PulseMainLoop::Locker locker(m_client.loop());
    return m_client.loop().waitUntil([&] { return frames() >= wanted; }, deadline);
}

std::vector<float> MonitorRecorder::samples()
{
    std::lock_guard guard(m_mutex);
    return m_samples;
}

std::size_t firstSoundingFrame(const std::vector<float>& samples, unsigned channels)
{
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (samples[i] != 0.0f)
            return i / channels;
    }
    return samples.size() / channels;
}

double rms(const std::vector<float>& samples, unsigned channels, unsigned channel, std::size_t begin, std::size_t end)
{
    double sum = 0.0;
    std::size_t count = 0;
    for (std::size_t frame = begin; frame < end && frame * channels + channel < samples.size(); ++frame) {
        const double v = samples[frame * channels + channel];
        sum += v * v;
        ++count;
    }
    return count ? std::sqrt(sum / static_cast<double>(count)) : 0.0;
}

} // namespace slm::test
