#pragma once

#include <algorithm>
#include <chrono>

// Caps a frame rate. Given the time of each chance to draw (a display
// refresh, a timer), says whether to draw a frame then and how long until
// the next one is due. Frames keep an even rhythm on average: one drawn a
// little early or late moves the next by a whole interval, not more, and
// after a stall the rhythm restarts rather than catching up in a burst.
class FramePacer {
public:
    using Time = std::chrono::nanoseconds; // since any fixed origin

    // 0: no cap, every chance is taken.
    explicit FramePacer(double maxFramesPerSecond = 0) { setMaxFramesPerSecond(maxFramesPerSecond); }

    // A different cap restarts the rhythm; the same one leaves it alone.
    void setMaxFramesPerSecond(double maxFramesPerSecond);
    // Spaces frames further apart than the cap, without restarting the rhythm
    // (a CPU budget's answer); zero for none.
    void setMinimumInterval(Time interval) { m_minimum = interval; }

    bool isCapped() const { return m_interval > Time::zero(); }
    // Between frames: the cap's, or the minimum if that is longer.
    Time interval() const { return std::max(m_interval, m_minimum); }

    // Whether to draw at `now`; a true answer counts the frame as drawn.
    bool beginFrame(Time now);
    // How long after `now` the next frame is due; zero if it already is.
    Time untilNextFrame(Time now) const;
    // Forgets the rhythm (after a pause): the next chance draws.
    void restart() { m_started = false; }

private:
    Time m_interval{0};
    Time m_minimum{0};
    // A chance this close before the due time draws: display refreshes and
    // timers jitter by a millisecond or two.
    Time m_tolerance{0};
    Time m_due{0};
    bool m_started = false;
};
