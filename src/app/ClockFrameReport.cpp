#include "app/ClockFrameReport.h"

#include "clock/gl/ChaosClockItem.h"

#include <cstdio>

QString formatClockFrameReport(quint64 frames, double seconds, double renderScale)
{
    const double fps = seconds > 0 ? static_cast<double>(frames) / seconds : 0.0;
    return QString::asprintf("clock: %llu frames in %.1f s (%.1f fps), render scale %.2f",
                             static_cast<unsigned long long>(frames), seconds, fps, renderScale);
}

bool ClockFrameReporter::isRequested()
{
    return qEnvironmentVariable("STARLUME_REPORT_FRAMES") == QLatin1String("1");
}

ClockFrameReporter::ClockFrameReporter(ChaosClockItem& clock)
    : m_clock(&clock)
{
    m_framesBefore = clock.framesDrawn();
    m_since.start();
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(interval);
    connect(&m_timer, &QTimer::timeout, this, &ClockFrameReporter::report);
    m_timer.start();
}

void ClockFrameReporter::report()
{
    if (!m_clock)
        return;
    // Measured, not assumed: the timer may fire late on a busy machine.
    const double seconds = static_cast<double>(m_since.nsecsElapsed()) / 1e9;
    m_since.start();
    const quint64 frames = m_clock->framesDrawn();
    const QString line = formatClockFrameReport(frames - m_framesBefore, seconds, m_clock->renderScale());
    m_framesBefore = frames;
    std::fprintf(stderr, "%s\n", qPrintable(line));
    std::fflush(stderr);
}
