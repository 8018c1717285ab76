#include "support/SinkKeeper.h"

#include <pulse/timeval.h>

#include <cstring>

namespace slm::test {

SinkKeeper::SinkKeeper(const QString& server, const QString& sink)
    : m_server(server)
    , m_sink(sink)
{
}

SinkKeeper::~SinkKeeper()
{
    if (!m_loop.isRunning())
        return;
    {
        PulseMainLoop::Locker locker(m_loop);
        if (m_stream) {
            pa_stream_set_write_callback(m_stream, nullptr, nullptr);
            pa_stream_set_state_callback(m_stream, nullptr, nullptr);
            pa_stream_disconnect(m_stream);
            pa_stream_unref(m_stream);
        }
        if (m_context) {
            pa_context_set_state_callback(m_context, nullptr, nullptr);
            pa_context_disconnect(m_context);
            pa_context_unref(m_context);
        }
    }
    m_loop.stop();
}

bool SinkKeeper::start()
{
    if (!m_loop.start())
        return false;
    const auto deadline = PulseMainLoop::Clock::now() + std::chrono::seconds(5);
    PulseMainLoop::Locker locker(m_loop);
    auto signal = [](auto*, void* loop) { static_cast<PulseMainLoop*>(loop)->signal(); };

    m_context = pa_context_new(m_loop.api(), "starlume-test-keeper");
    pa_context_set_state_callback(m_context, signal, &m_loop);
    const QByteArray server = m_server.toUtf8();
    if (pa_context_connect(m_context, server.constData(), PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        return false;
    m_loop.waitUntil([this] {
        const auto state = pa_context_get_state(m_context);
        return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
    }, deadline);
    if (pa_context_get_state(m_context) != PA_CONTEXT_READY)
        return false;

    const pa_sample_spec sampleSpec{PA_SAMPLE_FLOAT32NE, 48000, 1};
    m_stream = pa_stream_new(m_context, "keeper", &sampleSpec, nullptr);
    if (!m_stream)
        return false;
    pa_stream_set_write_callback(m_stream, &SinkKeeper::onWrite, this);
    const auto none = static_cast<std::uint32_t>(-1);
    const pa_buffer_attr attr{none, static_cast<std::uint32_t>(pa_usec_to_bytes(10 * PA_USEC_PER_MSEC, &sampleSpec)), none,
                              none, none};
    const QByteArray sink = m_sink.toUtf8();
    if (pa_stream_connect_playback(m_stream, sink.constData(), &attr, PA_STREAM_ADJUST_LATENCY, nullptr, nullptr) < 0)
        return false;
    // During the idle stride nothing is pulled; once the sink pulls at
    // about real-time pace for a while, it has left it.
    const std::uint64_t perWindow = pa_usec_to_bytes(30 * PA_USEC_PER_MSEC, &sampleSpec);
    int steadyWindows = 0;
    while (PulseMainLoop::Clock::now() < deadline) {
        const std::uint64_t before = m_bytes.load();
        m_loop.waitUntil([] { return false; }, PulseMainLoop::Clock::now() + std::chrono::milliseconds(50));
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
    keeper->m_loop.signal();
}

} // namespace slm::test
