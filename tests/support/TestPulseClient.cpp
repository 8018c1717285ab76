#include "support/TestPulseClient.h"

namespace slm::test {

TestPulseClient::~TestPulseClient()
{
    if (!m_loop.isRunning())
        return;
    {
        PulseMainLoop::Locker locker(m_loop);
        if (m_stream) {
            pa_stream_set_write_callback(m_stream, nullptr, nullptr);
            pa_stream_set_read_callback(m_stream, nullptr, nullptr);
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

bool TestPulseClient::connect(const QString& server, const char* clientName, PulseMainLoop::Clock::time_point deadline)
{
    m_context = pa_context_new(m_loop.api(), clientName);
    pa_context_set_state_callback(m_context, &TestPulseClient::signalLoop, &m_loop);
    const QByteArray name = server.toUtf8();
    if (pa_context_connect(m_context, name.constData(), PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        return false;
    m_loop.waitUntil([this] {
        const auto state = pa_context_get_state(m_context);
        return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
    }, deadline);
    return pa_context_get_state(m_context) == PA_CONTEXT_READY;
}

bool TestPulseClient::waitUntilReady(pa_stream* stream, PulseMainLoop::Clock::time_point deadline)
{
    m_loop.waitUntil([stream] {
        const auto state = pa_stream_get_state(stream);
        return state == PA_STREAM_READY || !PA_STREAM_IS_GOOD(state);
    }, deadline);
    return pa_stream_get_state(stream) == PA_STREAM_READY;
}

void TestPulseClient::signalLoop(pa_context*, void* loop)
{
    static_cast<PulseMainLoop*>(loop)->signal();
}

void TestPulseClient::signalLoop(pa_stream*, void* loop)
{
    static_cast<PulseMainLoop*>(loop)->signal();
}

} // namespace slm::test
