#include "LiveMeasurement.h"

#include "pulse/PulseAudioOutput.h"

#include <algorithm>

namespace {

// Before this the figures would mostly show the server taking the stream on.
constexpr qint64 warmUpMs = 3000;

double median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2.0;
}

QString list(const std::vector<double>& values)
{
    QStringList parts;
    for (double v : values)
        parts << QString::number(v, 'f', 0);
    return parts.join(QStringLiteral(", "));
}

} // namespace

LiveMeasurement::LiveMeasurement(PulseAudioOutput& output, QObject* parent)
    : QObject(parent)
    , m_output(output)
{
    m_clock.start();
    connect(&m_latencyTimer, &QTimer::timeout, this, &LiveMeasurement::sample);
    // Each sample is a round trip to the server under the output's lock;
    // sampled often, the measurement itself would cause underruns.
    m_latencyTimer.start(1000);
    connect(&m_recoveryTimer, &QTimer::timeout, this, &LiveMeasurement::watchRecovery);
    m_recoveryTimer.start(5);
}

void LiveMeasurement::sample()
{
    const auto now = m_clock.elapsed();
    if (!m_underflowsAfterWarmUp && now >= warmUpMs)
        m_underflowsAfterWarmUp = m_output.underflowCount();
    // Latency while a stream is being taken on says more about the server
    // than about the output's buffer.
    if (now < warmUpMs || m_lostAt || (m_lastLossAt && now - *m_lastLossAt < warmUpMs))
        return;
    if (const auto latency = m_output.latency())
        m_latencyMs.push_back(static_cast<double>(latency->count()) / 1000.0);
}

void LiveMeasurement::watchRecovery()
{
    const auto now = m_clock.elapsed();
    if (m_output.lossCount() > m_lossesSeen) {
        m_lossesSeen = m_output.lossCount();
        m_lostAt = now;
        m_lastLossAt = now;
        m_streamAt.reset();
    }
    if (!m_lostAt)
        return;
    if (!m_streamAt && m_output.isPlaying())
        m_streamAt = now;
    const auto played = m_output.playedTime();
    if (m_streamAt && played && played->count() > 5000) {
        m_toStreamMs.push_back(static_cast<double>(*m_streamAt - *m_lostAt));
        m_toSoundMs.push_back(static_cast<double>(now - *m_lostAt));
        m_lostAt.reset();
    }
}

QString LiveMeasurement::report() const
{
    QStringList lines;
    const auto [minLatency, maxLatency] = std::minmax_element(m_latencyMs.begin(), m_latencyMs.end());
    lines << QStringLiteral("latency: median %1 ms (min %2, max %3, %4 samples a second apart, not within %5 s of a start)")
                 .arg(median(m_latencyMs), 0, 'f', 1)
                 .arg(m_latencyMs.empty() ? 0.0 : *minLatency, 0, 'f', 1)
                 .arg(m_latencyMs.empty() ? 0.0 : *maxLatency, 0, 'f', 1)
                 .arg(m_latencyMs.size())
                 .arg(warmUpMs / 1000);
    if (const auto attr = m_output.bufferAttributes(); attr) {
        const auto sampleSpec = m_output.streamSampleSpec();
        const double bytesPerMs = sampleSpec ? pa_bytes_per_second(&*sampleSpec) / 1000.0 : 1.0;
        lines << QStringLiteral("buffer: target %1 ms, minimum request %2 ms, prebuffer %3 ms")
                     .arg(attr->tlength / bytesPerMs, 0, 'f', 1)
                     .arg(attr->minreq / bytesPerMs, 0, 'f', 1)
                     .arg(attr->prebuf / bytesPerMs, 0, 'f', 1);
    }
    const auto underflows = m_output.underflowCount();
    lines << QStringLiteral("underruns: %1 in all, %2 after the first %3 s")
                 .arg(underflows)
                 .arg(m_underflowsAfterWarmUp ? underflows - *m_underflowsAfterWarmUp : 0)
                 .arg(warmUpMs / 1000);
    lines << QStringLiteral("audio thread: %1")
                 .arg(m_output.hasRealtimeThread() ? QStringLiteral("real-time (round robin)") : QStringLiteral("normal scheduling"));
    lines << QStringLiteral("losses: %1").arg(m_output.lossCount());
    if (!m_toStreamMs.empty()) {
        lines << QStringLiteral("recovery to a playing stream: median %1 ms (%2)")
                     .arg(median(m_toStreamMs), 0, 'f', 0)
                     .arg(list(m_toStreamMs));
        lines << QStringLiteral("recovery to sound: median %1 ms (%2)").arg(median(m_toSoundMs), 0, 'f', 0).arg(list(m_toSoundMs));
    }
    return lines.join('\n');
}
