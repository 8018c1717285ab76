#include "clock/gl/CpuBudget.h"

#include <algorithm>

void CpuBudget::frameDrawn(Time wall, Time cpu)
{
    if (!m_started) {
        m_started = true;
        m_wallAtStart = wall;
        m_cpuAtStart = cpu;
        m_frames = 0;
        return;
    }
    ++m_frames;
    const Time elapsed = wall - m_wallAtStart;
    if (elapsed < stretch)
        return;
    const double usage = static_cast<double>((cpu - m_cpuAtStart).count()) / static_cast<double>(elapsed.count());
    const double meanInterval = static_cast<double>(elapsed.count()) / m_frames;
    const double wanted = meanInterval * usage / m_share;
    // Under budget the wanted interval is shorter than the frames came at, and
    // the frame cap (or the machine) decides the rate.
    m_interval = std::min(Time(static_cast<Time::rep>(wanted)), longestInterval);
    m_wallAtStart = wall;
    m_cpuAtStart = cpu;
    m_frames = 0;
}
