#include "pulse/PulseDeviceControl.h"

#include "pulse/PulseClientProperties.h"

#include <pulse/introspect.h>
#include <pulse/subscribe.h>

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>

namespace {

constexpr const char* defaultSinkName = "@DEFAULT_SINK@";

pa_volume_t toServerVolume(float value)
{
    const double clamped = std::clamp(static_cast<double>(value), 0.0, 1.0);
    return static_cast<pa_volume_t>(std::lround(clamped * PA_VOLUME_NORM));
}

float fromServerVolume(pa_volume_t value)
{
    return static_cast<float>(std::clamp(static_cast<double>(value) / PA_VOLUME_NORM, 0.0, 1.0));
}

bool hasElement(const PulseDeviceControl::Sink& sink, unsigned element)
{
    return sink.volume.channels > 0 && element <= sink.volume.channels;
}

} // namespace

PulseDeviceControl::PulseDeviceControl()
    : PulseDeviceControl(Timing{})
{
}

PulseDeviceControl::PulseDeviceControl(Timing timing)
    : m_timing(timing)
    , m_connection(m_loop, PulseConnection::Role::control, timing.reconnect)
    , m_wakeFd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
    m_connection.keepConnected(true);
    m_connection.onState([this](pa_context_state_t state) { onContextState(state); });
    m_connection.onServerEvent([this](pa_subscription_event_type_t type, std::uint32_t index) { onServerEvent(type, index); });
    m_connection.onRetry([this] { connect(); });
    if (!m_loop.start())
        return;
    PulseMainLoop::Locker locker(m_loop);
    if (m_wakeFd >= 0)
        m_wakeEvent = m_loop.api()->io_new(m_loop.api(), m_wakeFd, PA_IO_EVENT_INPUT, &PulseDeviceControl::wakeThunk, this);
    connect();
    const auto settled = [this] {
        std::lock_guard guard(m_sharedMutex);
        return m_shared.settled;
    };
    m_loop.waitUntil(settled, PulseMainLoop::Clock::now() + m_timing.firstPicture);
}

PulseDeviceControl::~PulseDeviceControl()
{
    if (m_loop.isRunning()) {
        {
            PulseMainLoop::Locker locker(m_loop);
            m_listener = nullptr;
            if (m_wakeEvent)
                m_loop.api()->io_free(m_wakeEvent);
            m_wakeEvent = nullptr;
            closeConnection();
        }
        m_loop.stop();
    }
    if (m_wakeFd >= 0)
        close(m_wakeFd);
}

void PulseDeviceControl::connect()
{
    // Not even an attempt: settle on "no sink" rather than keep the
    // constructor waiting.
    if (!m_connection.connect())
        forgetConnection();
}

// For good: the destructor's.
void PulseDeviceControl::closeConnection()
{
    forgetConnection();
    m_connection.close();
}

void PulseDeviceControl::forgetConnection()
{
    if (m_writeInFlight) {
        pa_operation_cancel(m_writeInFlight);
        pa_operation_unref(m_writeInFlight);
        m_writeInFlight = nullptr;
    }
    m_queries.clear();
    m_answer.reset();
    bool hadSink = false;
    {
        std::lock_guard guard(m_sharedMutex);
        hadSink = m_shared.sink.has_value();
        m_shared.sink.reset();
        // Asked of a server that is gone: the next one starts from its own.
        m_shared.wanted.reset();
        m_writesSent = m_shared.writesAsked;
        m_shared.settled = true;
    }
    m_loop.signal();
    if (hadSink)
        notify();
}

void PulseDeviceControl::onContextState(pa_context_state_t state)
{
    if (state == PA_CONTEXT_READY) {
        const auto mask = static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SERVER | PA_SUBSCRIPTION_MASK_SINK);
        if (pa_operation* op = pa_context_subscribe(m_connection.context(), mask, nullptr, nullptr))
            pa_operation_unref(op);
        // Anything may have changed while there was no connection: the first
        // answer is news to whoever listens.
        queryDefaultSink();
    } else if (!PA_CONTEXT_IS_GOOD(state)) {
        forgetConnection(); // the connection tries again by itself
    }
}

void PulseDeviceControl::onServerEvent(pa_subscription_event_type_t type, std::uint32_t index)
{
    const auto facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    const auto kind = type & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
    if (facility == PA_SUBSCRIPTION_EVENT_SERVER) {
        queryDefaultSink(); // perhaps a new default
        return;
    }
    if (facility != PA_SUBSCRIPTION_EVENT_SINK)
        return;
    // A sink coming or going can make another one the default; a change of
    // another sink (volume, idle or running) is none of ours.
    if (kind == PA_SUBSCRIPTION_EVENT_CHANGE) {
        std::lock_guard guard(m_sharedMutex);
        if (!m_shared.sink || m_shared.sink->index != index)
            return;
    }
    queryDefaultSink();
}

void PulseDeviceControl::queryDefaultSink()
{
    auto callback = [](pa_context*, const pa_sink_info* info, int eol, void* user) {
        auto* self = static_cast<PulseDeviceControl*>(user);
        if (eol == 0 && info) {
            self->m_answer = Sink{info->index, info->description ? info->description : "", info->volume, info->mute != 0};
            return;
        }
        // The end of an answer, or an error (no default sink) in its place.
        std::optional<Sink> answer;
        answer.swap(self->m_answer);
        self->onDefaultSinkAnswer(answer);
    };
    if (!m_connection.context())
        return;
    std::optional<std::uint64_t> stamp;
    {
        std::lock_guard guard(m_sharedMutex);
        if (m_writesSent == m_shared.writesAsked)
            stamp = m_writesSent;
    }
    if (pa_operation* op = pa_context_get_sink_info_by_name(m_connection.context(), defaultSinkName, callback, this)) {
        m_queries.push_back(stamp);
        pa_operation_unref(op);
    }
}

void PulseDeviceControl::onDefaultSinkAnswer(const std::optional<Sink>& answer)
{
    if (m_queries.empty())
        return;
    const auto stamp = m_queries.front();
    m_queries.pop_front();

    bool changed = false;
    {
        std::lock_guard guard(m_sharedMutex);
        std::optional<Sink>& known = m_shared.sink;
        if (!answer) {
            changed = known.has_value();
            known.reset();
        } else if (!known || known->index != answer->index) {
            changed = true;
            known = answer;
        } else {
            changed = known->description != answer->description || known->muted != answer->muted;
            known->description = answer->description;
            known->muted = answer->muted;
            // An answer to a query sent before one of our writes reached the
            // server, or overtaken by a newer one, shows a volume on its way
            // out; the answer after the last write settles it.
            const bool current = stamp && *stamp == m_shared.writesAsked;
            if (current && !pa_cvolume_equal(&known->volume, &answer->volume)) {
                known->volume = answer->volume;
                changed = true;
            }
        }
        m_shared.settled = true;
    }
    m_loop.signal();
    if (changed)
        notify();
}

void PulseDeviceControl::sendNewestWrite()
{
    if (m_writeInFlight || !m_connection.context() || pa_context_get_state(m_connection.context()) != PA_CONTEXT_READY)
        return;
    Sink wanted;
    {
        std::lock_guard guard(m_sharedMutex);
        if (!m_shared.wanted)
            return;
        wanted = *m_shared.wanted;
        m_shared.wanted.reset();
        m_writesSent = m_shared.writesAsked;
    }
    auto done = [](pa_context*, int success, void* self) { static_cast<PulseDeviceControl*>(self)->onWriteDone(success != 0); };
    m_writeInFlight = pa_context_set_sink_volume_by_index(m_connection.context(), wanted.index, &wanted.volume, done, this);
}

void PulseDeviceControl::onWriteDone(bool success)
{
    if (m_writeInFlight) {
        pa_operation_unref(m_writeInFlight);
        m_writeInFlight = nullptr;
    }
    // Refused (the sink went away, say): what the server has is the truth.
    if (!success)
        queryDefaultSink();
    sendNewestWrite();
}

void PulseDeviceControl::notify()
{
    if (m_listener)
        m_listener();
}

std::optional<PulseDeviceControl::Sink> PulseDeviceControl::knownSink(DeviceId device) const
{
    std::lock_guard guard(m_sharedMutex);
    if (!m_shared.sink || m_shared.sink->index != device)
        return std::nullopt;
    return m_shared.sink;
}

std::optional<OutputDeviceControl::DeviceId> PulseDeviceControl::defaultOutputDevice()
{
    std::lock_guard guard(m_sharedMutex);
    return m_shared.sink ? std::optional<DeviceId>(m_shared.sink->index) : std::nullopt;
}

std::optional<QString> PulseDeviceControl::deviceName(DeviceId device)
{
    const auto sink = knownSink(device);
    if (!sink || sink->description.empty())
        return std::nullopt;
    return QString::fromStdString(sink->description);
}

bool PulseDeviceControl::hasVolume(DeviceId device, unsigned element)
{
    const auto sink = knownSink(device);
    return sink && hasElement(*sink, element);
}

std::optional<float> PulseDeviceControl::volume(DeviceId device, unsigned element)
{
    const auto sink = knownSink(device);
    if (!sink || !hasElement(*sink, element))
        return std::nullopt;
    if (sink->muted)
        return 0.0f;
    return fromServerVolume(element == 0 ? pa_cvolume_max(&sink->volume) : sink->volume.values[element - 1]);
}

bool PulseDeviceControl::isVolumeSettable(DeviceId device, unsigned element)
{
    // The server can scale any sink in software when its hardware cannot.
    return hasVolume(device, element);
}

bool PulseDeviceControl::setVolume(DeviceId device, unsigned element, float value)
{
    if (std::isnan(value) || m_wakeFd < 0)
        return false;
    {
        std::lock_guard guard(m_sharedMutex);
        std::optional<Sink>& sink = m_shared.sink;
        if (!sink || sink->index != device || !hasElement(*sink, element))
            return false;
        if (element == 0)
            pa_cvolume_scale(&sink->volume, toServerVolume(value)); // keeps the balance between channels
        else
            sink->volume.values[element - 1] = toServerVolume(value);
        // Only the newest value matters; one still unsent is replaced.
        m_shared.wanted = *sink;
        ++m_shared.writesAsked;
    }
    const std::uint64_t one = 1;
    // Cannot block: the descriptor is non-blocking and the counter only
    // overflows after 2^64 - 1 unread wake-ups.
    [[maybe_unused]] const ssize_t written = write(m_wakeFd, &one, sizeof one);
    return true;
}

bool PulseDeviceControl::addDeviceListener(std::function<void()> listener)
{
    if (!m_loop.isRunning())
        return false;
    PulseMainLoop::Locker locker(m_loop);
    m_listener = std::move(listener);
    return true;
}

void PulseDeviceControl::removeDeviceListener()
{
    // The listener only ever runs on the loop thread with the lock held, so
    // once the lock is ours it is not running and will not run again.
    if (m_loop.inLoopThread() || !m_loop.isRunning()) {
        m_listener = nullptr;
        return;
    }
    PulseMainLoop::Locker locker(m_loop);
    m_listener = nullptr;
}

void PulseDeviceControl::wakeThunk(pa_mainloop_api*, pa_io_event*, int fd, pa_io_event_flags_t, void* self)
{
    std::uint64_t count = 0;
    while (read(fd, &count, sizeof count) < 0 && errno == EINTR) {
    }
    static_cast<PulseDeviceControl*>(self)->sendNewestWrite();
}
