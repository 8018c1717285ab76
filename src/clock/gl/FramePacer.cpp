#include "clock/gl/FramePacer.h"

#include <algorithm>

void FramePacer::setMaxFramesPerSecond(double maxFramesPerSecond)
{
    const Time interval = maxFramesPerSecond > 0 ? Time(static_cast<Time::rep>(1e9 / maxFramesPerSecond)) : Time::zero();
    if (interval == m_interval)
        return;
    m_interval = interval;
    m_tolerance = m_interval / 8;
    m_started = false;
}

bool FramePacer::beginFrame(Time now)
{
    if (!isCapped())
        return true;
    if (m_started && now < m_due - m_tolerance)
        return false;
    // More than an interval late: start the rhythm again from now.
    const Time step = interval();
    m_due = m_started && now - m_due < step ? m_due + step : now + step;
    m_started = true;
    return true;
}

FramePacer::Time FramePacer::untilNextFrame(Time now) const
{
    if (!isCapped() || !m_started)
        return Time::zero();
    return std::max(Time::zero(), m_due - now);
}
