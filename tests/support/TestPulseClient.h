#pragma once

#include "pulse/PulseMainLoop.h"

#include <pulse/context.h>
#include <pulse/stream.h>

#include <QString>

namespace slm::test {

// A bare sound server client for test helpers: its own loop, one context on
// a named server and at most one stream, both torn down with it.
class TestPulseClient {
public:
    TestPulseClient() = default;
    ~TestPulseClient();
    TestPulseClient(const TestPulseClient&) = delete;
    TestPulseClient& operator=(const TestPulseClient&) = delete;

    // Lock held (after loop().start()): connects; false when the server did
    // not answer by `deadline`.
    bool connect(const QString& server, const char* clientName, PulseMainLoop::Clock::time_point deadline);
    // Lock held: waits for `stream` (made on context()) to settle; true when ready.
    bool waitUntilReady(pa_stream* stream, PulseMainLoop::Clock::time_point deadline);

    PulseMainLoop& loop() { return m_loop; }
    pa_context* context() const { return m_context; }
    // The stream to release with the client.
    void adopt(pa_stream* stream) { m_stream = stream; }

    // A state callback that wakes whoever waits on the loop.
    static void signalLoop(pa_context*, void* loop);
    static void signalLoop(pa_stream*, void* loop);

private:
    PulseMainLoop m_loop;
    pa_context* m_context = nullptr;
    pa_stream* m_stream = nullptr;
};

} // namespace slm::test
