#include "pulse/PulseAudioOutput.h"

#include "pulse/PulseClientProperties.h"

#include <QLoggingCategory>

#include <pulse/error.h>
#include <pulse/introspect.h>
#include <pulse/timeval.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

// Connection losses and recoveries; QT_LOGGING_RULES="starlume.pulse=false" hides them.
Q_LOGGING_CATEGORY(lcPulse, "starlume.pulse")

namespace {

constexpr auto streamFlags = PA_STREAM_ADJUST_LATENCY;

bool settledState(pa_context* context)
{
    const pa_context_state_t state = pa_context_get_state(context);
    return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
}

bool settledState(pa_stream* stream)
{
    const pa_stream_state_t state = pa_stream_get_state(stream);
    return state == PA_STREAM_READY || !PA_STREAM_IS_GOOD(state);
}

} // namespace

PulseAudioOutput::PulseAudioOutput()
    : PulseAudioOutput(Timing{})
{
}

PulseAudioOutput::PulseAudioOutput(Timing timing)
    : m_timing(timing), m_connection(m_loop, PulseConnection::Role::playback, timing.retryInterval)
{
    m_connection.onState([this](pa_context_state_t state) { onContextState(state); });
    m_connection.onRetry([this] { retry(); });
}

PulseAudioOutput::~PulseAudioOutput()
{
    stop();
}

PulseAudioOutput::Clock::time_point PulseAudioOutput::startupDeadline()
{
    if (!m_deadline)
        m_deadline = Clock::now() + m_timing.startupBudget;
    return *m_deadline;
}

AudioDeviceFormat PulseAudioOutput::deviceFormat()
{
    if (m_deviceFormat)
        return *m_deviceFormat;
    if (m_stopped || !m_loop.start())
        return {};

    PulseMainLoop::Locker locker(m_loop);
    if (!m_realtimeAsked) {
        m_realtimeAsked = true;
        m_loop.preferRealtime("starlume-audio");
    }
    // Every attempt has its own budget; the background search stops while it runs.
    m_deadline = Clock::now() + m_timing.startupBudget;
    const auto deadline = *m_deadline;
    m_probing = false;
    m_connection.cancelRetry();
    m_loop.cancel(m_attemptTimer);
    if (!m_connection.isReady()) {
        if (!m_connection.connect() || !waitForContext(deadline)) {
            m_connection.drop();
            beginProbing();
            return {};
        }
    }

    struct Sink {
        bool found = false;
        pa_sample_spec sampleSpec{};
        pa_channel_map map{};
    } sink;
    auto callback = [](pa_context*, const pa_sink_info* info, int eol, void* user) {
        if (eol != 0 || !info)
            return;
        auto& out = *static_cast<Sink*>(user);
        out = Sink{true, info->sample_spec, info->channel_map};
    };
    const bool done = m_loop.finish(
        pa_context_get_sink_info_by_name(m_connection.context(), "@DEFAULT_SINK@", callback, &sink), deadline);
    if (!done || !sink.found) {
        // A server without a sink is waited on like a missing one.
        if (!done)
            m_connection.drop();
        beginProbing();
        return {};
    }
    m_sinkMap = sink.map;
    m_deviceFormat = AudioDeviceFormat{static_cast<double>(sink.sampleSpec.rate), sink.sampleSpec.channels};
    return *m_deviceFormat;
}

bool PulseAudioOutput::createStream(double sampleRate, std::uint32_t channels)
{
    if (!m_loop.isRunning())
        return false;
    PulseMainLoop::Locker locker(m_loop);
    if (m_stopped || m_stream)
        return false;
    if (!m_connection.isReady()) {
        // The server went between the steps: look for it again.
        m_connection.drop();
        beginProbing();
        return false;
    }
    if (!(sampleRate >= 1.0 && sampleRate <= PA_RATE_MAX) || channels == 0 || channels > PA_CHANNELS_MAX)
        return false;

    const pa_sample_spec sampleSpec{PA_SAMPLE_FLOAT32NE, static_cast<std::uint32_t>(std::lround(sampleRate)),
                              static_cast<std::uint8_t>(channels)};
    if (!pa_sample_spec_valid(&sampleSpec))
        return false;
    m_spec = sampleSpec;
    m_map = channelMapFor(m_sinkMap, channels);
    m_frameBytes = pa_frame_size(&m_spec);

    // Only the target length is ours to choose; the server sizes the rest.
    const auto target = static_cast<pa_usec_t>(m_timing.targetLatency.count()) * PA_USEC_PER_MSEC;
    constexpr auto serverChooses = std::numeric_limits<std::uint32_t>::max();
    m_attr = pa_buffer_attr{serverChooses, static_cast<std::uint32_t>(pa_usec_to_bytes(target, &m_spec)),
                            serverChooses, serverChooses, serverChooses};

    m_stream = newStream();
    return m_stream != nullptr;
}

void PulseAudioOutput::setRenderCallback(RenderCallback callback)
{
    if (!m_loop.isRunning()) {
        m_render = std::move(callback);
        return;
    }
    PulseMainLoop::Locker locker(m_loop);
    m_render = std::move(callback);
}

bool PulseAudioOutput::start(std::string& error)
{
    if (!m_loop.isRunning()) {
        error = pa_strerror(PA_ERR_BADSTATE);
        return false;
    }
    PulseMainLoop::Locker locker(m_loop);
    if (m_stopped || !m_stream) {
        error = pa_strerror(PA_ERR_BADSTATE);
        return false;
    }
    if (!connectStream(m_stream)) {
        error = pa_strerror(pa_context_errno(m_connection.context()));
        dropStream();
        return false;
    }
    pa_stream* stream = m_stream;
    const bool settled = m_loop.waitUntil([stream] { return settledState(stream); }, startupDeadline());
    if (pa_stream_get_state(stream) == PA_STREAM_READY) {
        m_started = true;
        reportState(true);
        return true;
    }
    error = settled ? pa_strerror(pa_context_errno(m_connection.context())) : pa_strerror(PA_ERR_TIMEOUT);
    dropStream();
    // A server that answered and refused is final; one that went away or
    // stopped answering may come back.
    if (!settled || !m_connection.isReady()) {
        m_connection.drop();
        beginProbing();
    }
    return false;
}

void PulseAudioOutput::setCorked(bool corked)
{
    if (!m_loop.isRunning()) {
        m_corked = corked;
        return;
    }
    // Only the request is sent; its answer is never waited for.
    PulseMainLoop::Locker locker(m_loop);
    m_corked = corked;
    syncCork();
}

void PulseAudioOutput::syncCork()
{
    if (!m_stream || pa_stream_get_state(m_stream) != PA_STREAM_READY)
        return;
    if ((pa_stream_is_corked(m_stream) == 1) == m_corked)
        return;
    if (pa_operation* op = pa_stream_cork(m_stream, m_corked ? 1 : 0, nullptr, nullptr))
        pa_operation_unref(op);
}

void PulseAudioOutput::setStateListener(StateListener listener)
{
    if (!m_loop.isRunning()) {
        m_listener = std::move(listener);
        return;
    }
    PulseMainLoop::Locker locker(m_loop);
    m_listener = std::move(listener);
}

// Lock held (or the loop not yet running), so reports keep their order.
void PulseAudioOutput::reportState(bool reachesServer)
{
    if (m_reported == reachesServer)
        return;
    m_reported = reachesServer;
    if (m_listener)
        m_listener(reachesServer);
}

void PulseAudioOutput::stop()
{
    if (!m_loop.isRunning()) {
        m_stopped = true;
        return;
    }
    {
        PulseMainLoop::Locker locker(m_loop);
        m_stopped = true;
        m_loop.cancel(m_attemptTimer);
        dropStream();
        m_connection.close();
    }
    m_loop.stop();
}

bool PulseAudioOutput::waitForContext(Clock::time_point deadline)
{
    pa_context* context = m_connection.context();
    m_loop.waitUntil([context] { return settledState(context); }, deadline);
    return pa_context_get_state(context) == PA_CONTEXT_READY;
}

pa_stream* PulseAudioOutput::newStream()
{
    const auto props = slm::pulse::clientProperties(true);
    pa_stream* stream = pa_stream_new_with_proplist(m_connection.context(), slm::pulse::applicationName, &m_spec, &m_map, props.get());
    if (!stream)
        return nullptr;
    pa_stream_set_state_callback(stream, &PulseAudioOutput::streamStateThunk, this);
    pa_stream_set_write_callback(stream, &PulseAudioOutput::writeThunk, this);
    pa_stream_set_underflow_callback(stream, &PulseAudioOutput::underflowThunk, this);
    return stream;
}

bool PulseAudioOutput::connectStream(pa_stream* stream)
{
    const auto flags = static_cast<pa_stream_flags_t>(streamFlags | (m_corked ? PA_STREAM_START_CORKED : 0));
    return pa_stream_connect_playback(stream, nullptr, &m_attr, flags, nullptr, nullptr) >= 0;
}

void PulseAudioOutput::dropStream()
{
    if (!m_stream)
        return;
    pa_stream_set_state_callback(m_stream, nullptr, nullptr);
    pa_stream_set_write_callback(m_stream, nullptr, nullptr);
    pa_stream_set_underflow_callback(m_stream, nullptr, nullptr);
    if (PA_STREAM_IS_GOOD(pa_stream_get_state(m_stream)))
        pa_stream_disconnect(m_stream);
    pa_stream_unref(m_stream);
    m_stream = nullptr;
}

void PulseAudioOutput::onContextState(pa_context_state_t state)
{
    m_loop.signal();
    if (m_stopped)
        return;
    if (!m_started) {
        if (!m_probing)
            return;
        if (state == PA_CONTEXT_READY) {
            probeSink();
        } else if (!PA_CONTEXT_IS_GOOD(state)) {
            reportState(false);
            scheduleRetry();
        }
        return;
    }
    if (state == PA_CONTEXT_READY && m_lost && !m_stream) {
        m_stream = newStream();
        if (!m_stream || !connectStream(m_stream))
            scheduleRetry();
    } else if (!PA_CONTEXT_IS_GOOD(state)) {
        onLost(pa_strerror(pa_context_errno(m_connection.context())));
    }
}

void PulseAudioOutput::onStreamState()
{
    m_loop.signal();
    if (m_stopped)
        return;
    const pa_stream_state_t state = pa_stream_get_state(m_stream);
    // A cork asked for while the stream was still connecting.
    if (state == PA_STREAM_READY)
        syncCork();
    if (!m_started)
        return;
    if (state == PA_STREAM_READY && m_lost) {
        m_lost = false;
        m_loop.cancel(m_attemptTimer);
        const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - m_lostAt);
        m_lastRecoveryMs.store(took.count(), std::memory_order_relaxed);
        qCInfo(lcPulse, "sound server connection restored after %lld ms", static_cast<long long>(took.count()));
        reportState(true);
    } else if (!PA_STREAM_IS_GOOD(state)) {
        onLost(pa_strerror(pa_context_errno(m_connection.context())));
    }
}

void PulseAudioOutput::onLost(const char* reason)
{
    if (!m_lost) {
        m_lost = true;
        m_lostAt = Clock::now();
        m_losses.fetch_add(1, std::memory_order_relaxed);
        qCWarning(lcPulse, "sound server connection lost (%s); reconnecting", reason);
        reportState(false);
    }
    scheduleRetry();
}

// Lock held: no start-up has found a usable server; search with the same
// back-off as after a loss.
void PulseAudioOutput::beginProbing()
{
    m_deviceFormat.reset();
    if (m_stopped)
        return;
    m_probing = true;
    reportState(false);
    scheduleRetry();
}

void PulseAudioOutput::probeSink()
{
    m_probeFound = false;
    pa_operation* op = pa_context_get_sink_info_by_name(m_connection.context(), "@DEFAULT_SINK@", &PulseAudioOutput::probedSinkThunk, this);
    if (!op) {
        scheduleRetry();
        return;
    }
    pa_operation_unref(op);
}

void PulseAudioOutput::onProbedSink(const pa_sink_info* info, int eol)
{
    if (!m_probing || m_stopped)
        return;
    if (eol == 0) {
        m_probeFound = m_probeFound || info != nullptr;
        return;
    }
    m_loop.cancel(m_attemptTimer);
    if (eol > 0 && m_probeFound)
        reportState(true);
    else
        scheduleRetry();
}

void PulseAudioOutput::scheduleRetry()
{
    // The broken objects are released from the timer, never inside their
    // own callbacks.
    m_connection.retryLater();
}

void PulseAudioOutput::retry()
{
    m_loop.cancel(m_attemptTimer);
    // A server that answered without a sink is asked again, not reconnected.
    if (!m_started && m_connection.isReady()) {
        if (m_probing)
            probeSink();
        return;
    }
    dropStream();
    if (!m_connection.connect()) {
        scheduleRetry();
        return;
    }
    m_attemptTimer = m_loop.schedule(m_timing.attemptTimeout, &PulseAudioOutput::attemptTimeoutThunk, this);
}

void PulseAudioOutput::render(float* data, std::uint32_t frames)
{
    // A callback that returns early must still leave silence, not whatever
    // the server's buffer held before.
    std::memset(data, 0, static_cast<std::size_t>(frames) * m_frameBytes);
    if (!m_render)
        return;
    AudioBuffer buffer{m_spec.channels, data};
    m_render(frames, AudioBufferList(&buffer, 1));
}

void PulseAudioOutput::streamStateThunk(pa_stream*, void* self)
{
    static_cast<PulseAudioOutput*>(self)->onStreamState();
}

// The real-time path: the server's own buffer, filled in place; nothing of
// ours is allocated, locked or logged here.
void PulseAudioOutput::writeThunk(pa_stream* stream, size_t bytes, void* self)
{
    auto* output = static_cast<PulseAudioOutput*>(self);
    const std::size_t frameBytes = output->m_frameBytes;
    while (bytes >= frameBytes) {
        void* data = nullptr;
        std::size_t size = bytes;
        if (pa_stream_begin_write(stream, &data, &size) < 0 || !data)
            return;
        const std::size_t frames = std::min<std::size_t>(size / frameBytes, std::numeric_limits<std::uint32_t>::max());
        if (frames == 0) {
            pa_stream_cancel_write(stream);
            return;
        }
        size = frames * frameBytes;
        output->render(static_cast<float*>(data), static_cast<std::uint32_t>(frames));
        if (pa_stream_write(stream, data, size, nullptr, 0, PA_SEEK_RELATIVE) < 0)
            return;
        bytes -= size;
    }
}

void PulseAudioOutput::underflowThunk(pa_stream*, void* self)
{
    static_cast<PulseAudioOutput*>(self)->m_underflows.fetch_add(1, std::memory_order_relaxed);
}

void PulseAudioOutput::probedSinkThunk(pa_context*, const pa_sink_info* info, int eol, void* self)
{
    static_cast<PulseAudioOutput*>(self)->onProbedSink(info, eol);
}

void PulseAudioOutput::attemptTimeoutThunk(pa_mainloop_api* api, pa_time_event* event, const struct timeval*, void* self)
{
    auto* output = static_cast<PulseAudioOutput*>(self);
    api->time_free(event);
    output->m_attemptTimer = nullptr;
    output->scheduleRetry();
}

bool PulseAudioOutput::updateTiming()
{
    if (!m_stream || pa_stream_get_state(m_stream) != PA_STREAM_READY)
        return false;
    pa_operation* op = pa_stream_update_timing_info(m_stream, nullptr, nullptr);
    return m_loop.finish(op, Clock::now() + std::chrono::milliseconds(500));
}

std::optional<std::chrono::microseconds> PulseAudioOutput::latency()
{
    if (!m_loop.isRunning())
        return std::nullopt;
    PulseMainLoop::Locker locker(m_loop);
    pa_usec_t usec = 0;
    int negative = 0;
    if (!updateTiming() || pa_stream_get_latency(m_stream, &usec, &negative) < 0)
        return std::nullopt;
    return std::chrono::microseconds(negative ? 0 : static_cast<std::int64_t>(usec));
}

std::optional<std::chrono::microseconds> PulseAudioOutput::playedTime()
{
    if (!m_loop.isRunning())
        return std::nullopt;
    PulseMainLoop::Locker locker(m_loop);
    pa_usec_t usec = 0;
    if (!updateTiming() || pa_stream_get_time(m_stream, &usec) < 0)
        return std::nullopt;
    return std::chrono::microseconds(static_cast<std::int64_t>(usec));
}

std::optional<pa_buffer_attr> PulseAudioOutput::bufferAttributes()
{
    if (!m_loop.isRunning())
        return std::nullopt;
    PulseMainLoop::Locker locker(m_loop);
    if (!m_stream || pa_stream_get_state(m_stream) != PA_STREAM_READY)
        return std::nullopt;
    const pa_buffer_attr* attr = pa_stream_get_buffer_attr(m_stream);
    return attr ? std::optional<pa_buffer_attr>(*attr) : std::nullopt;
}

std::optional<pa_sample_spec> PulseAudioOutput::streamSampleSpec()
{
    if (!m_loop.isRunning())
        return std::nullopt;
    PulseMainLoop::Locker locker(m_loop);
    if (!m_stream || pa_stream_get_state(m_stream) != PA_STREAM_READY)
        return std::nullopt;
    return *pa_stream_get_sample_spec(m_stream);
}

std::optional<pa_channel_map> PulseAudioOutput::streamChannelMap()
{
    if (!m_loop.isRunning())
        return std::nullopt;
    PulseMainLoop::Locker locker(m_loop);
    if (!m_stream || pa_stream_get_state(m_stream) != PA_STREAM_READY)
        return std::nullopt;
    return *pa_stream_get_channel_map(m_stream);
}

bool PulseAudioOutput::isCorked()
{
    if (!m_loop.isRunning())
        return false;
    PulseMainLoop::Locker locker(m_loop);
    return m_stream && pa_stream_get_state(m_stream) == PA_STREAM_READY && pa_stream_is_corked(m_stream) == 1;
}

bool PulseAudioOutput::isPlaying()
{
    if (!m_loop.isRunning())
        return false;
    PulseMainLoop::Locker locker(m_loop);
    return m_started && !m_lost && m_stream && pa_stream_get_state(m_stream) == PA_STREAM_READY;
}

std::optional<std::chrono::milliseconds> PulseAudioOutput::lastRecoveryTime() const
{
    const auto ms = m_lastRecoveryMs.load(std::memory_order_relaxed);
    return ms < 0 ? std::nullopt : std::optional<std::chrono::milliseconds>(ms);
}

pa_channel_map PulseAudioOutput::channelMapFor(const pa_channel_map& sinkMap, unsigned channels)
{
    pa_channel_map map;
    if (!pa_channel_map_valid(&sinkMap) || sinkMap.channels != channels) {
        if (channels == 2)
            pa_channel_map_init_stereo(&map);
        else
            pa_channel_map_init_extend(&map, channels, PA_CHANNEL_MAP_DEFAULT);
        return map;
    }
    map = sinkMap;
    const auto begin = map.map;
    const auto end = map.map + map.channels;
    const auto left = std::find(begin, end, PA_CHANNEL_POSITION_FRONT_LEFT);
    const auto right = std::find(begin, end, PA_CHANNEL_POSITION_FRONT_RIGHT);
    if (left == end || right == end)
        return map;
    // Keep the other positions in the sink's order after left and right.
    std::stable_partition(begin, end, [](pa_channel_position_t p) {
        return p == PA_CHANNEL_POSITION_FRONT_LEFT || p == PA_CHANNEL_POSITION_FRONT_RIGHT;
    });
    if (map.map[0] == PA_CHANNEL_POSITION_FRONT_RIGHT)
        std::swap(map.map[0], map.map[1]);
    return map;
}
