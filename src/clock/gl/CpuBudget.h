#pragma once

#include <chrono>

// Keeps a process within a share of one core by spacing frames out. Told the
// wall-clock and process CPU times as frames are drawn, it answers the
// shortest interval between frames that fits the budget. A software
// rasteriser's frame costs what it costs; the only lever left is how often
// it is paid, and the mixer window beside the clock needs the rest.
//
// The usage over each stretch of about a quarter second scales the interval
// the frames actually came at: with a per-frame cost c and a steady
// background b (the sound), the interval settles at c / (share - b).
class CpuBudget {
public:
    using Time = std::chrono::nanoseconds;
    static constexpr Time stretch = std::chrono::milliseconds(250);
    static constexpr Time longestInterval = std::chrono::seconds(1);

    explicit CpuBudget(double coreShare = 1.0)
        : m_share(coreShare)
    {
    }
    void setCoreShare(double coreShare) { m_share = coreShare; }

    // A frame was drawn at `wall`, with the process's CPU time at `cpu`.
    void frameDrawn(Time wall, Time cpu);
    // Zero while the budget allows any rate.
    Time minimumInterval() const { return m_interval; }
    // Forgets the stretch under way (after a pause) but keeps the interval.
    void restart() { m_started = false; }

private:
    double m_share;
    Time m_interval{0};
    bool m_started = false;
    Time m_wallAtStart{0};
    Time m_cpuAtStart{0};
    int m_frames = 0;
};
