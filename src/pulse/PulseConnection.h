#pragma once

#include "pulse/PulseMainLoop.h"

#include <pulse/context.h>

#include <chrono>
#include <functional>

// One client connection to the sound server, and the policy every client of
// ours follows with it: connect without spawning a server; when a connection
// cannot be made or is lost, release it from a timer (never inside its own
// callback) and connect again after `retryInterval`, for as long as the
// owner wants it. Owners that must decide more than "connect again" (the
// output probes for a sink first) give a retry handler of their own.
//
// Everything here runs on the loop thread or with the loop lock held.
class PulseConnection {
public:
    enum class Role {
        control, // reads and writes volumes
        playback // plays music
    };
    using StateHandler = std::function<void(pa_context_state_t)>;
    using SubscribeHandler = std::function<void(pa_subscription_event_type_t, std::uint32_t)>;
    using RetryHandler = std::function<void()>;

    PulseConnection(PulseMainLoop& loop, Role role, std::chrono::milliseconds retryInterval);
    ~PulseConnection();
    PulseConnection(const PulseConnection&) = delete;
    PulseConnection& operator=(const PulseConnection&) = delete;

    // Every state change of the current connection, READY and the failures included.
    void onState(StateHandler handler) { m_onState = std::move(handler); }
    void onServerEvent(SubscribeHandler handler) { m_onEvent = std::move(handler); }
    // Runs when a retry is due; without one, a retry connects again.
    void onRetry(RetryHandler handler) { m_onRetry = std::move(handler); }
    // With `keep`, a connection that fails or ends is retried by itself.
    void keepConnected(bool keep) { m_keep = keep; }

    // Drops any connection and starts a new one. False when not even the
    // attempt could start (with keepConnected, a retry is then scheduled).
    bool connect();
    // Releases the connection; its handlers are not called again for it.
    void drop();
    // Drops it for good: no retry is pending or will be scheduled.
    void close();
    // A retry after the interval, unless one is already pending.
    void retryLater();
    void cancelRetry();

    pa_context* context() const { return m_context; }
    bool isReady() const;
    // The state of the current connection, FAILED without one.
    pa_context_state_t state() const;

private:
    void onContextState();
    void retry();

    PulseMainLoop& m_loop;
    Role m_role;
    std::chrono::milliseconds m_retryInterval;
    pa_context* m_context = nullptr;
    pa_time_event* m_retryTimer = nullptr;
    bool m_keep = false;
    bool m_closed = false;
    StateHandler m_onState;
    SubscribeHandler m_onEvent;
    RetryHandler m_onRetry;
};
