#include "app/PulseStreamVolume.h"

#include "app/StreamVolume.h"
#include "control/PulseClientProperties.h"

#include <QByteArray>
#include <QMetaObject>

#include <pulse/proplist.h>
#include <pulse/volume.h>

#include <algorithm>
#include <cmath>
#include <unistd.h>

PulseStreamVolume::PulseStreamVolume(StreamVolume& model, QObject* parent) : QObject(parent), m_model(&model)
{
    model.setSink([this](double volume) { apply(volume); });
    if (!m_loop.start())
        return;
    PulseMainLoop::Locker locker(m_loop);
    connect();
}

PulseStreamVolume::~PulseStreamVolume()
{
    if (m_model)
        m_model->setSink({});
    if (!m_loop.isRunning())
        return;
    {
        PulseMainLoop::Locker locker(m_loop);
        m_closing = true;
        m_loop.cancel(m_reconnectTimer);
        dropContext();
    }
    m_loop.stop();
}

void PulseStreamVolume::connect()
{
    const auto props = slm::pulse::clientProperties(false);
    m_context = pa_context_new_with_proplist(m_loop.api(), slm::pulse::applicationName, props.get());
    if (m_context) {
        pa_context_set_state_callback(
            m_context, [](pa_context*, void* self) { static_cast<PulseStreamVolume*>(self)->onContextState(); }, this);
        pa_context_set_subscribe_callback(
            m_context,
            [](pa_context*, pa_subscription_event_type_t type, std::uint32_t index, void* self) {
                static_cast<PulseStreamVolume*>(self)->onSinkInputEvent(type, index);
            },
            this);
        if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0)
            return;
    }
    dropContext();
    onContextState();
}

void PulseStreamVolume::dropContext()
{
    if (!m_context)
        return;
    pa_context_set_state_callback(m_context, nullptr, nullptr);
    pa_context_set_subscribe_callback(m_context, nullptr, nullptr);
    pa_context_disconnect(m_context);
    pa_context_unref(m_context);
    m_context = nullptr;
    m_streamIndex.reset();
}

void PulseStreamVolume::onContextState()
{
    const pa_context_state_t state = m_context ? pa_context_get_state(m_context) : PA_CONTEXT_FAILED;
    if (state == PA_CONTEXT_READY) {
        if (pa_operation* op = pa_context_subscribe(m_context, PA_SUBSCRIPTION_MASK_SINK_INPUT, nullptr, nullptr))
            pa_operation_unref(op);
        auto listed = [](pa_context*, const pa_sink_input_info* info, int eol, void* self) {
            if (eol == 0 && info)
                static_cast<PulseStreamVolume*>(self)->onSinkInput(*info);
        };
        if (pa_operation* op = pa_context_get_sink_input_info_list(m_context, listed, this))
            pa_operation_unref(op);
    } else if (!PA_CONTEXT_IS_GOOD(state) && !m_closing && !m_reconnectTimer) {
        auto reconnect = [](pa_mainloop_api* api, pa_time_event* event, const struct timeval*, void* user) {
            auto* self = static_cast<PulseStreamVolume*>(user);
            api->time_free(event);
            self->m_reconnectTimer = nullptr;
            self->dropContext();
            self->connect();
        };
        m_reconnectTimer = m_loop.schedule(reconnectDelay, reconnect, this);
    }
}

void PulseStreamVolume::onSinkInputEvent(pa_subscription_event_type_t type, std::uint32_t index)
{
    const auto kind = type & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
    if (kind == PA_SUBSCRIPTION_EVENT_REMOVE) {
        if (m_streamIndex == index)
            m_streamIndex.reset();
        return;
    }
    auto seen = [](pa_context*, const pa_sink_input_info* info, int eol, void* self) {
        if (eol == 0 && info)
            static_cast<PulseStreamVolume*>(self)->onSinkInput(*info);
    };
    if (pa_operation* op = pa_context_get_sink_input_info(m_context, index, seen, this))
        pa_operation_unref(op);
}

void PulseStreamVolume::onSinkInput(const pa_sink_input_info& info)
{
    // Ours is the one stream this process plays.
    const char* pid = pa_proplist_gets(info.proplist, PA_PROP_APPLICATION_PROCESS_ID);
    if (!pid || QByteArray(pid) != QByteArray::number(static_cast<qint64>(getpid())))
        return;
    m_streamIndex = info.index;
    m_channels = std::max<std::uint8_t>(info.volume.channels, 1);
    if (m_pending) {
        const double wanted = *m_pending;
        m_pending.reset();
        applyLocked(wanted);
        return;
    }
    const double volume = std::clamp(static_cast<double>(pa_cvolume_max(&info.volume)) / PA_VOLUME_NORM, 0.0, 1.0);
    // Our own write coming back, give or take the server's rounding.
    if (std::abs(volume - m_lastWritten) < 2.0 / PA_VOLUME_NORM)
        return;
    QMetaObject::invokeMethod(
        this,
        [this, volume] {
            if (m_model)
                m_model->takeServerVolume(volume);
        },
        Qt::QueuedConnection);
}

void PulseStreamVolume::apply(double volume)
{
    if (!m_loop.isRunning())
        return;
    PulseMainLoop::Locker locker(m_loop);
    applyLocked(volume);
}

void PulseStreamVolume::applyLocked(double volume)
{
    if (!m_context || pa_context_get_state(m_context) != PA_CONTEXT_READY || !m_streamIndex) {
        m_pending = volume;
        return;
    }
    pa_cvolume levels;
    pa_cvolume_set(&levels, m_channels, static_cast<pa_volume_t>(std::lround(volume * PA_VOLUME_NORM)));
    m_lastWritten = volume;
    if (pa_operation* op = pa_context_set_sink_input_volume(m_context, *m_streamIndex, &levels, nullptr, nullptr))
        pa_operation_unref(op);
}
