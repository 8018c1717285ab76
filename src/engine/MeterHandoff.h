#pragma once

#include <boost/lockfree/spsc_queue.hpp>

#include <cstddef>

// Carries the render thread's meter peaks to the main thread without locks or
// allocation. The render pushes; an eventfd tells the main loop there is
// something to drain (the engine watches it with a socket notifier), and
// offline callers drain synchronously instead.
struct MeterPeaks {
    double reactor = 0.0;
    double field = 0.0;
    double wave = 0.0;
    double anomaly = 0.0;
    double glowworm = 0.0;
    double masterLeft = 0.0;
    double masterRight = 0.0;
};

class MeterHandoff {
public:
    // About two seconds of hand-offs at 30 a second; if the main thread
    // stalls longer than that, later peaks are dropped rather than waited for.
    static constexpr std::size_t capacity = 64;

    MeterHandoff();
    ~MeterHandoff();
    MeterHandoff(const MeterHandoff&) = delete;
    MeterHandoff& operator=(const MeterHandoff&) = delete;

    // Render thread. False when the queue is full (the peaks are dropped).
    bool push(const MeterPeaks& peaks) noexcept;
    // Render thread: wakes the main loop without a hand-off, for other news.
    void wake() noexcept;

    // Main thread. Calls deliver(peaks) for each pending hand-off, oldest
    // first; returns how many there were.
    template <typename Deliver>
    int drain(Deliver&& deliver)
    {
        clearWakeup();
        int count = 0;
        MeterPeaks peaks;
        while (m_queue.pop(peaks)) {
            deliver(peaks);
            ++count;
        }
        return count;
    }

    // Readable whenever hand-offs are pending; -1 if no eventfd could be made
    // (then only synchronous draining works).
    int wakeupDescriptor() const { return m_wakeup; }

private:
    void clearWakeup();

    boost::lockfree::spsc_queue<MeterPeaks, boost::lockfree::capacity<capacity>> m_queue;
    int m_wakeup = -1;
};
