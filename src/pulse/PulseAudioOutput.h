#pragma once

#include "pulse/PulseConnection.h"
#include "pulse/PulseMainLoop.h"
#include "engine/AudioOutput.h"

#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/stream.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

// Plays to the sound server's default sink: one FLOAT32NE stream of the
// requested channels, interleaved, pulled from the render callback on the
// libpulse loop thread.
//
// Start-up (deviceFormat through start) blocks the calling thread for at
// most `startupBudget` in all, whatever the server does. When it fails for
// want of a server, the output keeps looking for one in the background and
// reports through the state listener when one answers with a sink, so the
// start-up can be run again. Once started, a lost connection or stream is
// remade in the background with the same format and the same callback, so
// the render carries on where it was; a corked stream comes back corked.
class PulseAudioOutput : public AudioOutput {
public:
    struct Timing {
        std::chrono::milliseconds startupBudget{1500};
        std::chrono::milliseconds targetLatency{35};
        std::chrono::milliseconds retryInterval{250};
        // A reconnection attempt that has not reached a playing stream by
        // then is abandoned and retried.
        std::chrono::milliseconds attemptTimeout{2000};
    };

    PulseAudioOutput();
    explicit PulseAudioOutput(Timing timing);
    ~PulseAudioOutput() override;

    AudioDeviceFormat deviceFormat() override;
    bool createStream(double sampleRate, std::uint32_t channels) override;
    void setRenderCallback(RenderCallback callback) override;
    bool start(std::string& error) override;
    void stop() override;
    void setCorked(bool corked) override;
    void setStateListener(StateListener listener) override;

    // What the server granted and reports, for tools and tests. The two
    // timings ask the server first (one round trip) so they are current.
    std::optional<std::chrono::microseconds> latency();
    // How much of the current stream the server has played.
    std::optional<std::chrono::microseconds> playedTime();
    std::optional<pa_buffer_attr> bufferAttributes();
    std::optional<pa_sample_spec> streamSampleSpec();
    std::optional<pa_channel_map> streamChannelMap();
    bool isPlaying();
    // Whether the current stream is corked, as the client knows it.
    bool isCorked();
    bool hasRealtimeThread() const { return m_loop.isRealtime(); }
    std::uint64_t underflowCount() const { return m_underflows.load(std::memory_order_relaxed); }
    std::uint64_t lossCount() const { return m_losses.load(std::memory_order_relaxed); }
    // Time from the last detected loss to a playing stream again.
    std::optional<std::chrono::milliseconds> lastRecoveryTime() const;

    // The stream's channel order: the sink's own positions, with front left
    // and front right first so that channel 1 is left and channel 2 right
    // wherever the sink puts them. Plain stereo for narrower sinks, the
    // server's default order when the counts differ.
    static pa_channel_map channelMapFor(const pa_channel_map& sinkMap, unsigned channels);

private:
    using Clock = PulseMainLoop::Clock;

    // Lock held.
    bool waitForContext(Clock::time_point deadline);
    pa_stream* newStream();
    bool connectStream(pa_stream* stream);
    void dropStream();
    void onContextState(pa_context_state_t state);
    void onStreamState();
    void onLost(const char* reason);
    void scheduleRetry();
    void retry();
    void beginProbing();
    void probeSink();
    void onProbedSink(const pa_sink_info* info, int eol);
    void reportState(bool reachesServer);
    void syncCork();
    void render(float* data, std::uint32_t frames);
    bool updateTiming();
    Clock::time_point startupDeadline();

    static void streamStateThunk(pa_stream*, void* self);
    static void writeThunk(pa_stream* stream, size_t bytes, void* self);
    static void underflowThunk(pa_stream*, void* self);
    static void attemptTimeoutThunk(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self);
    static void probedSinkThunk(pa_context*, const pa_sink_info* info, int eol, void* self);

    Timing m_timing;
    PulseMainLoop m_loop;
    PulseConnection m_connection;
    pa_stream* m_stream = nullptr;
    std::optional<Clock::time_point> m_deadline;

    std::optional<AudioDeviceFormat> m_deviceFormat;
    pa_channel_map m_sinkMap{};
    pa_sample_spec m_spec{};
    pa_channel_map m_map{};
    pa_buffer_attr m_attr{};
    std::size_t m_frameBytes = 0;
    RenderCallback m_render;
    StateListener m_listener;
    std::optional<bool> m_reported;
    bool m_corked = false;
    bool m_realtimeAsked = false;
    // Before a successful start: looking for a server with a sink.
    bool m_probing = false;
    bool m_probeFound = false;

    // After a successful start: losses are repaired instead of reported.
    bool m_started = false;
    bool m_stopped = false;
    bool m_lost = false;
    Clock::time_point m_lostAt{};
    pa_time_event* m_attemptTimer = nullptr;

    std::atomic<std::uint64_t> m_underflows{0};
    std::atomic<std::uint64_t> m_losses{0};
    std::atomic<std::int64_t> m_lastRecoveryMs{-1};
};
