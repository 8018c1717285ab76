#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM and SIGINT (a session logout, Ctrl+C in a terminal) end the program
// the way Ctrl+Q does, from the main loop: settings written, inhibition
// released, status 0. The handler only writes a byte to a pipe; everything
// else happens on the main thread.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    bool isInstalled() const { return m_notifier != nullptr; }

signals:
    void terminationRequested(int signalNumber);

private:
    QSocketNotifier* m_notifier = nullptr;
};
