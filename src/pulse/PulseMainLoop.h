#pragma once

#include <pulse/operation.h>
#include <pulse/thread-mainloop.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

// A libpulse threaded main loop whose waits give up at a deadline, so a
// caller on the UI thread never hangs on a server that stops answering
// (pa_threaded_mainloop_wait alone has no timeout).
class PulseMainLoop {
public:
    using Clock = std::chrono::steady_clock;

    PulseMainLoop();
    ~PulseMainLoop();
    PulseMainLoop(const PulseMainLoop&) = delete;
    PulseMainLoop& operator=(const PulseMainLoop&) = delete;

    // Starts the loop thread once; later calls report whether it runs.
    bool start();
    // Joins the loop thread: no callback runs after this returns.
    // Must not be called with the lock held or from the loop thread.
    void stop();
    bool isRunning() const { return m_running; }

    pa_mainloop_api* api() const;

    // Names the loop thread and asks, from it, for round-robin real-time
    // scheduling at a low priority, so that an audio stream served there
    // keeps up on a busy machine. Without the privilege the thread stays as
    // it was. Call with the lock held, once the loop runs.
    void preferRealtime(const char* threadName);
    // Whether the loop thread got real-time scheduling.
    bool isRealtime() const { return m_realtime.load(std::memory_order_relaxed); }
    bool inLoopThread() const;

    void lock();
    void unlock();

    // From loop callbacks (lock held): wakes a waiter so it re-checks.
    void signal();

    // With the lock held: waits until `done` holds or the deadline passes.
    // The lock is released while waiting. Returns whether `done` held.
    bool waitUntil(const std::function<bool()>& done, Clock::time_point deadline);

    // With the lock held: waits for an operation to finish, cancels it if
    // the deadline passes first, and releases it. True when it completed
    // (its callback has then run); `timedOut` tells a stuck server apart
    // from a failed request.
    bool finish(pa_operation* op, Clock::time_point deadline, bool* timedOut = nullptr);

    // Calls `callback` on the loop thread at `delay` from now (lock held
    // there). Returns the event for cancel(), or null.
    pa_time_event* schedule(std::chrono::milliseconds delay, pa_time_event_cb_t callback, void* userdata);
    // With the lock held: drops an event from schedule(); null is fine.
    void cancel(pa_time_event*& event);

    class Locker {
    public:
        explicit Locker(PulseMainLoop& loop) : m_loop(loop) { m_loop.lock(); }
        ~Locker() { m_loop.unlock(); }
        Locker(const Locker&) = delete;
        Locker& operator=(const Locker&) = delete;

    private:
        PulseMainLoop& m_loop;
    };

private:
    pa_threaded_mainloop* m_loop = nullptr;
    bool m_running = false;
    std::mutex m_wakeMutex;
    std::condition_variable m_wake;
    std::uint64_t m_signals = 0;
    std::atomic<bool> m_realtime{false};
    std::string m_threadName;
};
