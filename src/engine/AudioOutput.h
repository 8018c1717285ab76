#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

// One output buffer as the render callback sees it. `data` may be null (the
// buffer is then skipped). A buffer with `channels` > 1 holds interleaved frames.
struct AudioBuffer {
    std::uint32_t channels = 1;
    float* data = nullptr;
};

// The buffers of one pull: several one-channel buffers (non-interleaved), or
// one buffer of c interleaved channels.
using AudioBufferList = std::span<AudioBuffer>;

// The device format, known before the first pull.
struct AudioDeviceFormat {
    double sampleRate = 0.0; // not > 0 (or NaN): no usable output
    std::uint32_t channelCount = 0;
};

// Where the engine's sound goes: the sound server for the app, an offline
// driver for the tools and tests. The engine drives it through these steps,
// in order: deviceFormat, createStream, setRenderCallback, start; stop on
// teardown.
class AudioOutput {
public:
    // Called on the output's real-time thread. Must not block, lock or allocate.
    using RenderCallback = std::function<void(std::uint32_t frameCount, AudioBufferList buffers)>;

    virtual ~AudioOutput() = default;

    virtual AudioDeviceFormat deviceFormat() = 0;
    // Prepares a 32-bit float stream of `channels` channels at `sampleRate`.
    // False: the format was refused.
    virtual bool createStream(double sampleRate, std::uint32_t channels) = 0;
    virtual void setRenderCallback(RenderCallback callback) = 0;
    // Starts pulling. On failure returns false with a human-readable reason.
    virtual bool start(std::string& error) = 0;
    // Stops pulling; once this returns, no callback runs or will run.
    virtual void stop() = 0;

    // Corked: the output stops pulling (the server and the render thread do
    // no work) but keeps its stream; a stream remade after a loss keeps the
    // state. Main thread; never waits for the server.
    virtual void setCorked(bool corked) { (void)corked; }

    // Whether the output currently reaches a server, reported on any thread
    // whenever it changes (a lost server, a retry that found one). A start-up
    // step that fails for want of a server reports false, and a later true
    // means the start-up can be run again. Outputs that cannot lose their
    // server never call it.
    using StateListener = std::function<void(bool reachesServer)>;
    virtual void setStateListener(StateListener listener) { (void)listener; }
};
