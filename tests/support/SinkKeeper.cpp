#include "support/SinkKeeper.h"

#include <pulse/timeval.h>

#include <cstring>

namespace slm::test {

SinkKeeper::SinkKeeper(const QString& server, const QString& sink)
    : m_server(server)
    , m_sink(sink)
{
}

bool SinkKeeper::start()
{
    PulseMainLoop& loop = m_client.loop();
    if (!loop.start())
        return false;
    const auto deadline = PulseMainLoop::Clock::now() + std::chrono::seconds(5);
    PulseMainLoop::Locker locker(loop);
    if (!m_client.connect(m_server, "starlume-test-keeper", deadline))
        return false;

    const pa_sample_spec sampleSpec{PA_SAMPLE_FLOAT32NE, 48000, 1};
    pa_stream* stream = pa_stream_new(m_client.context(), "keeper", &sampleSpec, nullptr);
    if (!stream)
        return false;
    m_client.adopt(stream);
    pa_stream_set_write_callback(stream, &SinkKeeper::onWrite, this);
    const auto none = static_cast<std::uint32_t>(-1);
    const pa_buffer_attr attr{none, static_cast<std::uint32_t>(pa_usec_to_bytes(10 * PA_USEC_PER_MSEC, &sampleSpec)), none,
                              none, none};
    const QByteArray sink = m_sink.toUtf8();
    if (pa_stream_connect_playback(stream, sink.constData(), &attr, PA_STREAM_ADJUST_LATENCY, nullptr, nullptr) < 0)
        return false;
    // During the idle stride nothing is pulled; once the sink pulls at
    // about real-time pace for a while, it has left it.
    const std::uint64_t perWindow = pa_usec_to_bytes(30 * PA_USEC_PER_MSEC, &sampleSpec);
    int steadyWindows = 0;
    while (PulseMainLoop::Clock::now() < deadline) {
        const std::uint64_t before = m_bytes.load();
        loop.waitUntil([] { return false; }, PulseMainLoop::Clock::now() + std::chrono::milliseconds(50));
        steadyWindows = m_bytes.load() - before >= perWindow ? steadyWindows + 1 : 0;
        if (steadyWindows >= 3)
            return true;
    }
    return false;
}

void SinkKeeper::onWrite(pa_stream* stream, size_t bytes, void* self)
{
    auto* keeper = static_cast<SinkKeeper*>(self);
    void* data = nullptr;
    if (pa_stream_begin_write(stream, &data, &bytes) < 0 || !data)
        return;
    std::memset(data, 0, bytes);
    pa_stream_write(stream, data, bytes, nullptr, 0, PA_SEEK_RELATIVE);
    keeper->m_bytes.fetch_add(bytes);
    keeper->m_client.loop().signal();
}

} // namespace slm::test
