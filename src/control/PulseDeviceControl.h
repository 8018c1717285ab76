#pragma once

#include "control/OutputDeviceControl.h"
#include "control/PulseMainLoop.h"

#include <pulse/context.h>
#include <pulse/volume.h>

#include <chrono>
#include <optional>
#include <string>

// The sound server's default sink as the output device. The device id is
// the sink index, its name the sink's description. Element 0 is the sink as
// a whole (its loudest channel), elements 1...N its channels; volumes are
// raw server volumes over PA_VOLUME_NORM, clamped to 0...1.
//
// Calls block the calling (main) thread for at most one timeout each. After
// a timeout, calls fail at once for a short while, so a stuck server cannot
// freeze the UI call after call. The connection is made, and after a loss
// remade, in the background; the listener fires when the default sink
// changes and after a reconnection, from the libpulse thread.
class PulseDeviceControl : public OutputDeviceControl {
public:
    struct Timing {
        std::chrono::milliseconds call{500};
        std::chrono::milliseconds backoffAfterTimeout{2000};
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
    bool addDefaultDeviceListener(std::function<void()> listener) override;
    void removeDefaultDeviceListener() override;

    struct Sink {
        DeviceId index = 0;
        std::string description;
        pa_cvolume volume{};
    };

private:
    using Clock = PulseMainLoop::Clock;

    // Loop thread, lock held.
    void connect();
    void dropContext();
    void onContextState();
    void onServerEvent(pa_subscription_event_type_t type);
    void checkDefaultSink();
    void onDefaultSinkSeen(std::optional<DeviceId> index);

    // Main thread; each takes the lock itself.
    std::optional<Sink> querySink(std::optional<DeviceId> index);
    bool writeSinkVolume(DeviceId index, const pa_cvolume& volume);
    // Lock held: waits for a ready connection and runs one operation.
    bool runOperation(const std::function<pa_operation*()>& begin);

    static void contextStateThunk(pa_context*, void* self);
    static void subscribeThunk(pa_context*, pa_subscription_event_type_t type, uint32_t, void* self);
    static void reconnectThunk(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self);

    Timing m_timing;
    PulseMainLoop m_loop;
    pa_context* m_context = nullptr;
    pa_time_event* m_reconnectTimer = nullptr;
    int m_connectAttempts = 0;
    bool m_closing = false;
    Clock::time_point m_backoffUntil{};
    std::function<void()> m_listener;
    // The default sink as the subscription last saw it; unset = not yet seen.
    std::optional<std::optional<DeviceId>> m_knownDefault;
    std::optional<DeviceId> m_seenDefault;
};
