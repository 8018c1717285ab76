#include "control/StreamVolume.h"

#include <algorithm>
#include <cmath>

void StreamVolume::setVolume(double volume)
{
    if (store(volume) && m_sink)
        m_sink(m_volume);
}

void StreamVolume::takeServerVolume(double volume)
{
    store(volume);
}

bool StreamVolume::store(double volume)
{
    if (!std::isfinite(volume))
        return false;
    const double clamped = std::clamp(volume, 0.0, 1.0);
    emit objectWillChange();
    const bool changed = clamped != m_volume;
    m_volume = clamped;
    emit volumeChanged();
    return changed;
}
