#include "engine/SLMSleepTimer.h"

#include "engine/SLMAudioEngine.h"

#include <algorithm>
#include <cmath>

SLMSleepTimer::SLMSleepTimer(SLMAudioEngine& engine, QObject* parent)
    : QObject(parent)
    , m_engine(engine)
{
    // Woken for each change of the readout and at the fade and the end, not
    // on a free-running second, so a fractional length ends on time.
    m_tick.setSingleShot(true);
    m_tick.setTimerType(Qt::PreciseTimer);
    connect(&m_tick, &QTimer::timeout, this, [this] { update(); });
}

double SLMSleepTimer::fadeStartSeconds(double lengthSeconds)
{
    return lengthSeconds - std::min(fadeSeconds, lengthSeconds);
}

int SLMSleepTimer::remainingSecondsAt(double lengthSeconds, double elapsedSeconds)
{
    const double left = lengthSeconds - elapsedSeconds;
    return left > 0.0 ? static_cast<int>(std::ceil(left)) : 0;
}

QString SLMSleepTimer::remainingText(int seconds)
{
    const int total = std::max(seconds, 0);
    const int hours = total / 3600;
    const int minutes = total / 60 % 60;
    const QChar zero(u'0');
    const QString secondsText = QStringLiteral("%1").arg(total % 60, 2, 10, zero);
    if (hours == 0)
        return QStringLiteral("%1:%2").arg(minutes).arg(secondsText);
    return QStringLiteral("%1:%2:%3").arg(hours).arg(minutes, 2, 10, zero).arg(secondsText);
}

int SLMSleepTimer::remainingSeconds() const { return m_active ? m_remainingSeconds : 0; }

void SLMSleepTimer::start(double minutes)
{
    if (!(minutes > 0.0) || !std::isfinite(minutes)) {
        cancel();
        return;
    }
    // A restart during the fade brings the sound back up.
    if (m_fading && m_engine.isPlaying())
        m_engine.sendTransport(true, SLMAudioEngine::playFadeSeconds);
    emit objectWillChange();
    m_active = true;
    m_fading = false;
    m_lengthMinutes = minutes;
    m_remainingSeconds = remainingSecondsAt(minutes * 60.0, 0.0);
    m_elapsed.start();
    emit isActiveChanged();
    emit remainingSecondsChanged();
    update();
}

void SLMSleepTimer::cancel()
{
    if (!m_active)
        return;
    if (m_fading && m_engine.isPlaying())
        m_engine.sendTransport(true, SLMAudioEngine::playFadeSeconds);
    stopRunning();
}

void SLMSleepTimer::stopRunning()
{
    m_tick.stop();
    emit objectWillChange();
    m_active = false;
    m_fading = false;
    m_lengthMinutes = 0.0;
    m_remainingSeconds = 0;
    emit isActiveChanged();
    emit remainingSecondsChanged();
}

void SLMSleepTimer::update()
{
    if (!m_active)
        return;
    const double length = m_lengthMinutes * 60.0;
    const double elapsed = static_cast<double>(m_elapsed.nsecsElapsed()) / 1e9;
    if (elapsed >= length) {
        stopRunning();
        m_engine.pause();
        emit expired();
        return;
    }
    const double fadeStart = fadeStartSeconds(length);
    if (!m_fading && elapsed >= fadeStart) {
        m_fading = true;
        m_engine.fadeOutKeepingPlay(length - elapsed);
    }
    const int remaining = remainingSecondsAt(length, elapsed);
    if (remaining != m_remainingSeconds) {
        emit objectWillChange();
        m_remainingSeconds = remaining;
        emit remainingSecondsChanged();
    }

    // Next: the readout's next change, the fade's start, or the end.
    double next = (length - elapsed) - static_cast<double>(remaining - 1);
    if (!m_fading)
        next = std::min(next, fadeStart - elapsed);
    next = std::min(next, length - elapsed);
    m_tick.start(std::max(1, static_cast<int>(std::ceil(next * 1000.0))));
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
