#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <cstdint>
#include <optional>
#include <vector>

class PulseAudioOutput;

// Watches a live output while it plays: its reported latency, its underruns,
// and for every loss of the server how long until a stream plays again and
// until the server has played from it (seen through the server's timing
// updates, so up to about 100 ms late).
class LiveMeasurement : public QObject {
    Q_OBJECT

public:
    explicit LiveMeasurement(PulseAudioOutput& output, QObject* parent = nullptr);

    // The figures so far, as lines of text.
    QString report() const;

private:
    void sample();
    void watchRecovery();

    PulseAudioOutput& m_output;
    QElapsedTimer m_clock;
    QTimer m_latencyTimer;
    QTimer m_recoveryTimer;
    std::vector<double> m_latencyMs;
    std::optional<std::uint64_t> m_underflowsAfterWarmUp;

    std::uint64_t m_lossesSeen = 0;
    std::optional<qint64> m_lostAt;
    std::optional<qint64> m_lastLossAt;
    std::optional<qint64> m_streamAt;
    std::vector<double> m_toStreamMs;
    std::vector<double> m_toSoundMs;
};
