#pragma once

#include "control/OutputDeviceControl.h"
#include "pulse/PulseConnection.h"
#include "pulse/PulseMainLoop.h"

#include <pulse/context.h>
#include <pulse/volume.h>

#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>

// The sound server's default sink as the output device. The device id is
// the sink index, its name the sink's description. Element 0 is the sink as
// a whole (its loudest channel), elements 1...N its channels; volumes are
// raw server volumes over PA_VOLUME_NORM, clamped to 0...1. A muted sink
// reads 0 on every element: that is what it plays at. Mute is never written.
//
// The main thread never waits on the server. The libpulse thread keeps a
// picture of the default sink current from the server's change events, and
// reads answer from it. A write updates the picture at once and hands the
// value to the libpulse thread, which keeps at most one volume request at
// the server and, when it finishes, sends only the newest value asked for
// since, so a fader drag against a slow or stopped server piles nothing up.
// The listener fires, on the libpulse thread, when the default sink, its
// description, volume or mute change other than by our own writes, and when
// the connection is lost or made again. The connection is made, and after a
// loss remade, in the background.
class PulseDeviceControl : public OutputDeviceControl {
public:
    struct Timing {
        // How long construction waits for a first picture of the sink, so
        // that the console does not start on a placeholder.
        std::chrono::milliseconds firstPicture{500};
        std::chrono::milliseconds reconnect{1000};
    };

    PulseDeviceControl();
    explicit PulseDeviceControl(Timing timing);
    ~PulseDeviceControl() override;

    std::optional<DeviceId> defaultOutputDevice() override;
    std::optional<QString> deviceName(DeviceId device) override;
    bool hasVolume(DeviceId device, unsigned element) override;
    std::optional<float> volume(DeviceId device, unsigned element) override;
    bool isVolumeSettable(DeviceId device, unsigned element) override;
    bool setVolume(DeviceId device, unsigned element, float value) override;
    bool addDeviceListener(std::function<void()> listener) override;
    void removeDeviceListener() override;

    struct Sink {
        DeviceId index = 0;
        std::string description;
        pa_cvolume volume{};
        bool muted = false;
    };

private:
    // Loop thread, lock held.
    void connect();
    void closeConnection();
    void forgetConnection();
    void onContextState(pa_context_state_t state);
    void onServerEvent(pa_subscription_event_type_t type, std::uint32_t index);
    void queryDefaultSink();
    void onDefaultSinkAnswer(const std::optional<Sink>& sink);
    void sendNewestWrite();
    void onWriteDone(bool success);
    void notify();

    // Main thread: the default sink as last learned, if `device` is it.
    std::optional<Sink> knownSink(DeviceId device) const;

    static void wakeThunk(pa_mainloop_api*, pa_io_event*, int fd, pa_io_event_flags_t, void* self);

    Timing m_timing;
    PulseMainLoop m_loop;

    // Loop thread (or with the loop lock held).
    PulseConnection m_connection;
    pa_io_event* m_wakeEvent = nullptr;
    pa_operation* m_writeInFlight = nullptr;
    std::function<void()> m_listener;
    // Sink queries in flight, oldest first (answers come in order): the
    // write count at sending, or nothing when a write was still to be sent,
    // so an answer that may predate one of our writes is not taken as news.
    std::deque<std::optional<std::uint64_t>> m_queries;
    std::optional<Sink> m_answer;
    std::uint64_t m_writesSent = 0;

    // Shared by both threads; each holds it only to copy a few fields.
    struct Shared {
        // The first connection attempt has come to something.
        bool settled = false;
        std::optional<Sink> sink;
        std::optional<Sink> wanted; // the newest write not yet sent
        std::uint64_t writesAsked = 0;
    };
    mutable std::mutex m_sharedMutex;
    Shared m_shared;
    // Written by the main thread to wake the loop for a new write.
    int m_wakeFd = -1;
};
