#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <chrono>

class ChaosClockItem;

// "clock: 150 frames in 5.0 s (30.0 fps), render scale 0.50".
QString formatClockFrameReport(quint64 frames, double seconds, double renderScale);

// With STARLUME_REPORT_FRAMES=1, prints the clock's frame rate on stderr
// every `interval`, so that anyone can measure it.
class ClockFrameReporter : public QObject {
public:
    static constexpr std::chrono::seconds interval{5};

    explicit ClockFrameReporter(ChaosClockItem& clock);
    static bool isRequested();

private:
    void report();

    QPointer<ChaosClockItem> m_clock;
    QTimer m_timer;
    QElapsedTimer m_since;
    quint64 m_framesBefore = 0;
};
