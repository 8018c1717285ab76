#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QTimer>

class SLMAudioEngine;

// Fades the sound out and pauses the engine after a chosen length of time.
// The fade takes the last 60 s (the whole length when it is shorter); at the
// end the engine pauses and `expired` fires. Playing again cancels it.
// Main-thread object, owned by the engine.
class SLMSleepTimer : public QObject {
    Q_OBJECT
    // Whether a timer runs.
    Q_PROPERTY(bool isActive READ isActive NOTIFY isActiveChanged)
    // The chosen length in minutes, 0 when off.
    Q_PROPERTY(double lengthMinutes READ lengthMinutes NOTIFY isActiveChanged)
    // Whole seconds left, rounded up; 0 when off. Changes once a second.
    Q_PROPERTY(int remainingSeconds READ remainingSeconds NOTIFY remainingSecondsChanged)

public:
    static constexpr double fadeSeconds = 60.0;
    // The lengths the console's key and the context menu step through, in minutes; 0 is off.
    static QList<int> stepLengths() { return {0, 15, 30, 45, 60, 90}; }

    explicit SLMSleepTimer(SLMAudioEngine& engine, QObject* parent = nullptr);

    bool isActive() const { return m_active; }
    double lengthMinutes() const { return m_active ? m_lengthMinutes : 0.0; }
    int remainingSeconds() const;

    // Starts (or restarts) the timer; a length that is not finite and > 0 turns it off.
    Q_INVOKABLE void start(double minutes);
    Q_INVOKABLE void cancel();
    // Off -> 15 -> 30 -> 45 -> 60 -> 90 -> off; from a length off the list, to the next longer one.
    Q_INVOKABLE void stepLength();

    // When the fade begins, in seconds after the start, for a length in seconds.
    static double fadeStartSeconds(double lengthSeconds);
    // Whole seconds left, rounded up, at a time since the start.
    static int remainingSecondsAt(double lengthSeconds, double elapsedSeconds);
    // "m:ss", or "h:mm:ss" from an hour: how the console and the menu show the time left.
    static QString remainingText(int seconds);

signals:
    void objectWillChange();
    void isActiveChanged();
    void remainingSecondsChanged();
    // The timer ran out and the engine has paused.
    void expired();

private:
    // Brings the clock up to date: the readout, the fade, the end; then
    // waits for whichever comes next.
    void update();
    void stopRunning();

    SLMAudioEngine& m_engine;
    bool m_active = false;
    bool m_fading = false;
    double m_lengthMinutes = 0.0;
    int m_remainingSeconds = 0;
    QElapsedTimer m_elapsed;
    QTimer m_tick;
};
