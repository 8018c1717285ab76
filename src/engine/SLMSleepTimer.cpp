#include "engine/SLMSleepTimer.h"

#include "engine/SLMAudioEngine.h"

#include <cmath>

SLMSleepTimer::SLMSleepTimer(SLMAudioEngine& engine, QObject* parent) : QObject(parent), m_engine(engine) {}

int SLMSleepTimer::remainingSeconds() const
{
    if (!m_active)
        return 0;
    const double left = m_lengthMinutes * 60.0 - static_cast<double>(m_elapsed.elapsed()) / 1000.0;
    return left > 0.0 ? static_cast<int>(std::ceil(left)) : 0;
}

void SLMSleepTimer::start(double minutes)
{
    if (!(minutes > 0.0) || !std::isfinite(minutes)) {
        cancel();
        return;
    }
    emit objectWillChange();
    m_active = true;
    m_lengthMinutes = minutes;
    m_elapsed.start();
    emit isActiveChanged();
    emit remainingSecondsChanged();
}

void SLMSleepTimer::cancel()
{
    if (!m_active)
        return;
    emit objectWillChange();
    m_active = false;
    m_lengthMinutes = 0.0;
    emit isActiveChanged();
    emit remainingSecondsChanged();
}

void SLMSleepTimer::stepLength()
{
    const double current = lengthMinutes();
    for (int length : stepLengths()) {
        if (length > current) {
            start(length);
            return;
        }
    }
    cancel();
}
