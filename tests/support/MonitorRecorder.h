#pragma once

#include "support/TestPulseClient.h"

#include <QString>

#include <chrono>
#include <cstddef>
#include <mutex>
#include <vector>

namespace slm::test {

// Records a sink's monitor as 32-bit float, channel for channel by index
// and at the sink's rate, so what a player wrote comes back unchanged.
class MonitorRecorder {
public:
    MonitorRecorder(const QString& server, const QString& sink, unsigned rate, unsigned channels);
    MonitorRecorder(const MonitorRecorder&) = delete;
    MonitorRecorder& operator=(const MonitorRecorder&) = delete;

    // Connects and waits until recording runs; false after 3 s.
    bool start();
    unsigned channels() const { return m_channels; }
    std::size_t frames();
    // Waits until at least `frames` frames are recorded in all.
    bool waitForFrames(std::size_t frames, std::chrono::milliseconds timeout);
    // Interleaved samples recorded so far.
    std::vector<float> samples();

private:
    static void onRead(pa_stream* stream, size_t bytes, void* self);

    QString m_server;
    QString m_source;
    unsigned m_rate;
    unsigned m_channels;
    std::mutex m_mutex;
    std::vector<float> m_samples;
    // Last, so it goes first: its loop thread runs onRead until it stops.
    TestPulseClient m_client;
};

// Index of the first frame with a non-zero sample on any channel, or the
// frame count when all is silent.
std::size_t firstSoundingFrame(const std::vector<float>& samples, unsigned channels);
// RMS over frames [begin, end) of one channel.
double rms(const std::vector<float>& samples, unsigned channels, unsigned channel, std::size_t begin, std::size_t end);

} // namespace slm::test
