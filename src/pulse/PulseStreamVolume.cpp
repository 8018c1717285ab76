#include "pulse/PulseStreamVolume.h"

#include "control/StreamVolume.h"

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
    m_connection.keepConnected(true);
    m_connection.onState([this](pa_context_state_t state) { onContextState(state); });
    m_connection.onServerEvent([this](pa_subscription_event_type_t type, std::uint32_t index) { onSinkInputEvent(type, index); });
    if (!m_loop.start())
        return;
    PulseMainLoop::Locker locker(m_loop);
    m_connection.connect();
}

PulseStreamVolume::~PulseStreamVolume()
{
    if (m_model)
        m_model->setSink({});
    if (!m_loop.isRunning())
        return;
    {
        PulseMainLoop::Locker locker(m_loop);
        m_connection.close();
    }
    m_loop.stop();
}

void PulseStreamVolume::onContextState(pa_context_state_t state)
{
    if (state == PA_CONTEXT_READY) {
        pa_context* context = m_connection.context();
        if (pa_operation* op = pa_context_subscribe(context, PA_SUBSCRIPTION_MASK_SINK_INPUT, nullptr, nullptr))
            pa_operation_unref(op);
        auto listed = [](pa_context*, const pa_sink_input_info* info, int eol, void* self) {
            if (eol == 0 && info)
                static_cast<PulseStreamVolume*>(self)->onSinkInput(*info);
        };
        if (pa_operation* op = pa_context_get_sink_input_info_list(context, listed, this))
            pa_operation_unref(op);
    } else if (!PA_CONTEXT_IS_GOOD(state)) {
        // The next connection finds the stream anew.
        m_streamIndex.reset();
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
    if (pa_operation* op = pa_context_get_sink_input_info(m_connection.context(), index, seen, this))
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
    if (!m_connection.isReady() || !m_streamIndex) {
        m_pending = volume;
        return;
    }
    pa_cvolume levels;
    pa_cvolume_set(&levels, m_channels, static_cast<pa_volume_t>(std::lround(volume * PA_VOLUME_NORM)));
    m_lastWritten = volume;
    if (pa_operation* op = pa_context_set_sink_input_volume(m_connection.context(), *m_streamIndex, &levels, nullptr, nullptr))
        pa_operation_unref(op);
}
