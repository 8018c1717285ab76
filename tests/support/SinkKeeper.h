#pragma once

#include "support/TestPulseClient.h"

#include <QString>

#include <atomic>
#include <cstdint>

namespace slm::test {

// Plays silence at a low latency into a null sink. An idle null sink sleeps
// in strides of up to 2 s, so a stream that joins it waits that long for
// its first pull; with this running the sink pulls every few milliseconds,
// like a sound card, and its monitor keeps to the wall clock.
class SinkKeeper {
public:
    SinkKeeper(const QString& server, const QString& sink);
    SinkKeeper(const SinkKeeper&) = delete;
    SinkKeeper& operator=(const SinkKeeper&) = delete;

    // Connects and waits until the sink pulls at the keeper's pace; false
    // after 5 s.
    bool start();

private:
    static void onWrite(pa_stream* stream, size_t bytes, void* self);

    QString m_server;
    QString m_sink;
    std::atomic<std::uint64_t> m_bytes{0};
    // Last, so it goes first: its loop thread runs onWrite until it stops.
    TestPulseClient m_client;
};

} // namespace slm::test
