#include "control/PulseDeviceControl.h"

#include "control/PulseClientProperties.h"

#include <pulse/introspect.h>
#include <pulse/subscribe.h>

#include <algorithm>
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
{
    if (!m_loop.start())
        return;
    PulseMainLoop::Locker locker(m_loop);
    connect();
}

PulseDeviceControl::~PulseDeviceControl()
{
    if (!m_loop.isRunning())
        return;
    {
        PulseMainLoop::Locker locker(m_loop);
        m_closing = true;
        m_listener = nullptr;
        m_loop.cancel(m_reconnectTimer);
        dropContext();
    }
    m_loop.stop();
}

void PulseDeviceControl::connect()
{
    ++m_connectAttempts;
    const auto props = slm::pulse::clientProperties(false);
    m_context = pa_context_new_with_proplist(m_loop.api(), slm::pulse::applicationName, props.get());
    if (m_context) {
        pa_context_set_state_callback(m_context, &PulseDeviceControl::contextStateThunk, this);
        pa_context_set_subscribe_callback(m_context, &PulseDeviceControl::subscribeThunk, this);
        if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0)
            return;
    }
    dropContext();
    if (!m_reconnectTimer)
        m_reconnectTimer = m_loop.schedule(m_timing.reconnect, &PulseDeviceControl::reconnectThunk, this);
}

void PulseDeviceControl::dropContext()
{
    if (!m_context)
        return;
    pa_context_set_state_callback(m_context, nullptr, nullptr);
    pa_context_set_subscribe_callback(m_context, nullptr, nullptr);
    pa_context_disconnect(m_context);
    pa_context_unref(m_context);
    m_context = nullptr;
    m_loop.signal();
}

void PulseDeviceControl::onContextState()
{
    m_loop.signal();
    const pa_context_state_t state = pa_context_get_state(m_context);
    if (state == PA_CONTEXT_READY) {
        const auto mask = static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SERVER | PA_SUBSCRIPTION_MASK_SINK);
        if (pa_operation* op = pa_context_subscribe(m_context, mask, nullptr, nullptr))
            pa_operation_unref(op);
        // Anything may have changed while there was no connection.
        if (m_connectAttempts > 1 && m_listener)
            m_listener();
        m_knownDefault.reset();
        checkDefaultSink();
    } else if (!PA_CONTEXT_IS_GOOD(state) && !m_closing && !m_reconnectTimer) {
        m_reconnectTimer = m_loop.schedule(m_timing.reconnect, &PulseDeviceControl::reconnectThunk, this);
    }
}

void PulseDeviceControl::onServerEvent(pa_subscription_event_type_t type)
{
    const auto facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    const auto kind = type & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
    // Server events cover a new default; a sink coming or going can make
    // another one the default without one.
    if (facility == PA_SUBSCRIPTION_EVENT_SERVER
        || (facility == PA_SUBSCRIPTION_EVENT_SINK && kind != PA_SUBSCRIPTION_EVENT_CHANGE))
        checkDefaultSink();
}

void PulseDeviceControl::checkDefaultSink()
{
    // Replies arrive in order and each one whole, so one slot for the sink
    // seen so far is enough even with several queries in flight.
    auto callback = [](pa_context*, const pa_sink_info* info, int eol, void* user) {
        auto* self = static_cast<PulseDeviceControl*>(user);
        if (eol == 0 && info) {
            self->m_seenDefault = info->index;
            return;
        }
        const auto seen = self->m_seenDefault;
        self->m_seenDefault.reset();
        self->onDefaultSinkSeen(seen);
    };
    if (pa_operation* op = pa_context_get_sink_info_by_name(m_context, defaultSinkName, callback, this))
        pa_operation_unref(op);
}

void PulseDeviceControl::onDefaultSinkSeen(std::optional<DeviceId> index)
{
    const bool first = !m_knownDefault.has_value();
    const bool changed = !first && *m_knownDefault != index;
    m_knownDefault = index;
    if (changed && m_listener)
        m_listener();
}

bool PulseDeviceControl::runOperation(const std::function<pa_operation*()>& begin)
{
    const auto now = Clock::now();
    if (now < m_backoffUntil)
        return false;
    const auto deadline = now + m_timing.call;
    auto backOff = [&] { m_backoffUntil = Clock::now() + m_timing.backoffAfterTimeout; };

    // A connection still being made is worth waiting for; a failed one is
    // being remade in the background and fails the call at once.
    auto settled = [&] {
        return !m_context || !PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context))
            || pa_context_get_state(m_context) == PA_CONTEXT_READY;
    };
    if (!m_loop.waitUntil(settled, deadline)) {
        backOff();
        return false;
    }
    if (!m_context || pa_context_get_state(m_context) != PA_CONTEXT_READY)
        return false;

    bool timedOut = false;
    const bool done = m_loop.finish(begin(), deadline, &timedOut);
    if (timedOut)
        backOff();
    return done;
}

std::optional<PulseDeviceControl::Sink> PulseDeviceControl::querySink(std::optional<DeviceId> index)
{
    std::optional<Sink> result;
    auto callback = [](pa_context*, const pa_sink_info* info, int eol, void* user) {
        if (eol != 0 || !info)
            return;
        auto& out = *static_cast<std::optional<Sink>*>(user);
        out = Sink{info->index, info->description ? info->description : "", info->volume};
    };
    // The loop thread (a listener calling back in) cannot wait for itself.
    if (!m_loop.isRunning() || m_loop.inLoopThread())
        return std::nullopt;
    PulseMainLoop::Locker locker(m_loop);
    const bool done = runOperation([&] {
        return index ? pa_context_get_sink_info_by_index(m_context, *index, callback, &result)
                     : pa_context_get_sink_info_by_name(m_context, defaultSinkName, callback, &result);
    });
    return done ? result : std::nullopt;
}

bool PulseDeviceControl::writeSinkVolume(DeviceId index, const pa_cvolume& volume)
{
    bool written = false;
    auto callback = [](pa_context*, int success, void* user) { *static_cast<bool*>(user) = success != 0; };
    if (!m_loop.isRunning() || m_loop.inLoopThread())
        return false;
    PulseMainLoop::Locker locker(m_loop);
    const bool done = runOperation(
        [&] { return pa_context_set_sink_volume_by_index(m_context, index, &volume, callback, &written); });
    return done && written;
}

std::optional<OutputDeviceControl::DeviceId> PulseDeviceControl::defaultOutputDevice()
{
    const auto sink = querySink(std::nullopt);
    return sink ? std::optional<DeviceId>(sink->index) : std::nullopt;
}

std::optional<QString> PulseDeviceControl::deviceName(DeviceId device)
{
    const auto sink = querySink(device);
    if (!sink || sink->description.empty())
        return std::nullopt;
    return QString::fromStdString(sink->description);
}

bool PulseDeviceControl::hasVolume(DeviceId device, unsigned element)
{
    const auto sink = querySink(device);
    return sink && hasElement(*sink, element);
}

std::optional<float> PulseDeviceControl::volume(DeviceId device, unsigned element)
{
    const auto sink = querySink(device);
    if (!sink || !hasElement(*sink, element))
        return std::nullopt;
    return fromServerVolume(element == 0 ? pa_cvolume_max(&sink->volume) : sink->volume.values[element - 1]);
}

bool PulseDeviceControl::isVolumeSettable(DeviceId device, unsigned element)
{
    // The server can scale any sink in software when its hardware cannot.
    return hasVolume(device, element);
}

bool PulseDeviceControl::setVolume(DeviceId device, unsigned element, float value)
{
    if (std::isnan(value))
        return false;
    auto sink = querySink(device);
    if (!sink || !hasElement(*sink, element))
        return false;
    pa_cvolume target = sink->volume;
    if (element == 0)
        pa_cvolume_scale(&target, toServerVolume(value)); // keeps the balance between channels
    else
        target.values[element - 1] = toServerVolume(value);
    return writeSinkVolume(device, target);
}

bool PulseDeviceControl::addDefaultDeviceListener(std::function<void()> listener)
{
    if (!m_loop.isRunning())
        return false;
    PulseMainLoop::Locker locker(m_loop);
    m_listener = std::move(listener);
    return true;
}

void PulseDeviceControl::removeDefaultDeviceListener()
{
    // The listener only ever runs on the loop thread with the lock held, so
    // once the lock is ours it is not running and will not run again.
    if (m_loop.inLoopThread()) {
        m_listener = nullptr;
        return;
    }
    if (!m_loop.isRunning()) {
        m_listener = nullptr;
        return;
    }
    PulseMainLoop::Locker locker(m_loop);
    m_listener = nullptr;
}

void PulseDeviceControl::contextStateThunk(pa_context*, void* self)
{
    static_cast<PulseDeviceControl*>(self)->onContextState();
}

void PulseDeviceControl::subscribeThunk(pa_context*, pa_subscription_event_type_t type, uint32_t, void* self)
{
    static_cast<PulseDeviceControl*>(self)->onServerEvent(type);
}

void PulseDeviceControl::reconnectThunk(pa_mainloop_api* api, pa_time_event* event, const struct timeval*, void* self)
{
    auto* control = static_cast<PulseDeviceControl*>(self);
    api->time_free(event);
    control->m_reconnectTimer = nullptr;
    control->dropContext();
    control->connect();
}
