#include "pulse/PulseConnection.h"

#include "pulse/PulseClientProperties.h"

#include <pulse/subscribe.h>

PulseConnection::PulseConnection(PulseMainLoop& loop, Role role, std::chrono::milliseconds retryInterval)
    : m_loop(loop), m_role(role), m_retryInterval(retryInterval)
{
}

PulseConnection::~PulseConnection()
{
    // Owners close with the lock held before their loop stops; this only
    // catches a connection whose loop never ran.
    if (!m_loop.isRunning())
        drop();
}

bool PulseConnection::connect()
{
    drop();
    if (m_closed)
        return false;
    const auto props = slm::pulse::clientProperties(m_role == Role::playback);
    m_context = pa_context_new_with_proplist(m_loop.api(), slm::pulse::applicationName, props.get());
    if (m_context) {
        pa_context_set_state_callback(
            m_context, [](pa_context*, void* self) { static_cast<PulseConnection*>(self)->onContextState(); }, this);
        pa_context_set_subscribe_callback(
            m_context,
            [](pa_context*, pa_subscription_event_type_t type, std::uint32_t index, void* self) {
                auto* connection = static_cast<PulseConnection*>(self);
                if (connection->m_onEvent)
                    connection->m_onEvent(type, index);
            },
            this);
        if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0)
            return true;
    }
    drop();
    if (m_keep)
        retryLater();
    return false;
}

void PulseConnection::drop()
{
    if (!m_context)
        return;
    pa_context_set_state_callback(m_context, nullptr, nullptr);
    pa_context_set_subscribe_callback(m_context, nullptr, nullptr);
    pa_context_disconnect(m_context);
    pa_context_unref(m_context);
    m_context = nullptr;
}

void PulseConnection::close()
{
    m_closed = true;
    cancelRetry();
    drop();
}

void PulseConnection::retryLater()
{
    if (m_closed || m_retryTimer)
        return;
    auto fire = [](pa_mainloop_api* api, pa_time_event* event, const struct timeval*, void* self) {
        auto* connection = static_cast<PulseConnection*>(self);
        api->time_free(event);
        connection->m_retryTimer = nullptr;
        connection->retry();
    };
    m_retryTimer = m_loop.schedule(m_retryInterval, fire, this);
}

void PulseConnection::cancelRetry()
{
    m_loop.cancel(m_retryTimer);
}

bool PulseConnection::isReady() const
{
    return state() == PA_CONTEXT_READY;
}

pa_context_state_t PulseConnection::state() const
{
    return m_context ? pa_context_get_state(m_context) : PA_CONTEXT_FAILED;
}

void PulseConnection::onContextState()
{
    const pa_context_state_t now = state();
    if (m_onState)
        m_onState(now);
    if (m_keep && !PA_CONTEXT_IS_GOOD(now))
        retryLater();
}

void PulseConnection::retry()
{
    if (m_onRetry)
        m_onRetry();
    else
        connect();
}
