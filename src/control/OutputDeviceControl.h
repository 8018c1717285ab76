#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

// The output-device services the system volume model needs: the default
// output device, its name, and a volume scalar (0...1) on element 0 (the
// device as a whole) or on channels 1...32. Implementations: the sound
// server's (PulseDeviceControl) and an in-memory one for tests and tools.
//
// All calls but the listener happen on the main thread and never wait on
// the device: reads answer from what the implementation last learned of
// it, and a write only asks for the value to be set.
class OutputDeviceControl {
public:
    using DeviceId = std::uint32_t;
    static constexpr unsigned maxChannelElement = 32;

    virtual ~OutputDeviceControl() = default;

    // The current default output device, or nothing when there is none.
    virtual std::optional<DeviceId> defaultOutputDevice() = 0;
    // The device's human-readable name, or nothing when it has none.
    virtual std::optional<QString> deviceName(DeviceId device) = 0;

    virtual bool hasVolume(DeviceId device, unsigned element) = 0;
    // Nothing when the read fails.
    virtual std::optional<float> volume(DeviceId device, unsigned element) = 0;
    virtual bool isVolumeSettable(DeviceId device, unsigned element) = 0;
    // True when the device takes the value. Reads see it at once; the device
    // itself may get it later, and a later write may replace it before then.
    virtual bool setVolume(DeviceId device, unsigned element, float value) = 0;

    // Registers the one listener for changes of the default device: another
    // device, or its name or volume changed by someone else (writes through
    // setVolume do not call it). It may be called on any thread. Returns
    // false when registration fails.
    virtual bool addDeviceListener(std::function<void()> listener) = 0;
    // Removes it; once this returns the listener is never called again.
    virtual void removeDeviceListener() = 0;
};
