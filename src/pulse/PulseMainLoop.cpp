#include "pulse/PulseMainLoop.h"

#include <pulse/timeval.h>

#include <pthread.h>
#include <sched.h>

PulseMainLoop::PulseMainLoop()
    : m_loop(pa_threaded_mainloop_new())
{
}

PulseMainLoop::~PulseMainLoop()
{
    stop();
    if (m_loop)
        pa_threaded_mainloop_free(m_loop);
}

bool PulseMainLoop::start()
{
    if (!m_running && m_loop)
        m_running = pa_threaded_mainloop_start(m_loop) >= 0;
    return m_running;
}

void PulseMainLoop::stop()
{
    if (!m_running)
        return;
    pa_threaded_mainloop_stop(m_loop);
    m_running = false;
}

pa_mainloop_api* PulseMainLoop::api() const
{
    return pa_threaded_mainloop_get_api(m_loop);
}

void PulseMainLoop::preferRealtime(const char* threadName)
{
    // Named from inside the loop thread: libpulse's own naming renames the
    // calling thread once the loop runs, which would be the main thread.
    m_threadName = threadName;
    auto raise = [](pa_mainloop_api* api, pa_time_event* event, const struct timeval*, void* self) {
        api->time_free(event);
        pthread_setname_np(pthread_self(), static_cast<PulseMainLoop*>(self)->m_threadName.c_str());
        sched_param param{};
        param.sched_priority = 5;
        // Children of this thread, if any, start without it.
        const bool raised = pthread_setschedparam(pthread_self(), SCHED_RR | SCHED_RESET_ON_FORK, &param) == 0;
        static_cast<PulseMainLoop*>(self)->m_realtime.store(raised, std::memory_order_relaxed);
    };
    schedule(std::chrono::milliseconds(0), raise, this);
}

bool PulseMainLoop::inLoopThread() const
{
    return m_running && pa_threaded_mainloop_in_thread(m_loop);
}

void PulseMainLoop::lock()
{
    pa_threaded_mainloop_lock(m_loop);
}

void PulseMainLoop::unlock()
{
    pa_threaded_mainloop_unlock(m_loop);
}

void PulseMainLoop::signal()
{
    {
        std::lock_guard guard(m_wakeMutex);
        ++m_signals;
    }
    m_wake.notify_all();
}

bool PulseMainLoop::waitUntil(const std::function<bool()>& done, Clock::time_point deadline)
{
    while (!done()) {
        if (Clock::now() >= deadline || !m_running)
            return done();
        // Read under the loop lock: any state change after this point comes
        // with a later signal, so none is missed while the lock is released.
        std::uint64_t seen;
        {
            std::lock_guard guard(m_wakeMutex);
            seen = m_signals;
        }
        unlock();
        {
            std::unique_lock guard(m_wakeMutex);
            m_wake.wait_until(guard, deadline, [&] { return m_signals != seen; });
        }
        lock();
    }
    return true;
}

bool PulseMainLoop::finish(pa_operation* op, Clock::time_point deadline, bool* timedOut)
{
    if (timedOut)
        *timedOut = false;
    if (!op)
        return false;
    pa_operation_set_state_callback(
        op, [](pa_operation*, void* self) { static_cast<PulseMainLoop*>(self)->signal(); }, this);
    const bool settled = waitUntil([op] { return pa_operation_get_state(op) != PA_OPERATION_RUNNING; }, deadline);
    if (!settled) {
        pa_operation_cancel(op);
        if (timedOut)
            *timedOut = true;
    }
    const bool done = pa_operation_get_state(op) == PA_OPERATION_DONE;
    pa_operation_set_state_callback(op, nullptr, nullptr);
    pa_operation_unref(op);
    return done;
}

pa_time_event* PulseMainLoop::schedule(std::chrono::milliseconds delay, pa_time_event_cb_t callback, void* userdata)
{
    timeval when;
    pa_gettimeofday(&when);
    pa_timeval_add(&when, static_cast<pa_usec_t>(delay.count()) * PA_USEC_PER_MSEC);
    return api()->time_new(api(), &when, callback, userdata);
}

void PulseMainLoop::cancel(pa_time_event*& event)
{
    if (event)
        api()->time_free(event);
    event = nullptr;
}
