#pragma once

#include "control/OutputDeviceControl.h"

#include <map>
#include <vector>

// An output device kept in memory: what the offline tools render against
// (no sound server needed) and what unit tests configure to reach every
// branch of the volume model. Main thread only.
class MemoryDeviceControl : public OutputDeviceControl {
public:
    struct Element {
        float value = 1.0f;
        bool readable = true;
        bool settable = true;
    };
    struct Device {
        std::optional<QString> name;
        // Key 0 is the device as a whole, 1...32 its channels.
        std::map<unsigned, Element> elements;
    };
    struct Write {
        DeviceId device;
        unsigned element;
        float value;
    };

    // One device "Memory Output" (id 1) with a settable element 0 at 1.0.
    MemoryDeviceControl();

    std::map<DeviceId, Device> devices;
    std::optional<DeviceId> defaultDevice;
    bool listenerRegistrationFails = false;
    std::vector<Write> writes;

    // Switches the default device and fires the listener, as a sound server would.
    void switchDefaultDevice(std::optional<DeviceId> device);
    // Sets a volume as another program would (not counted as a write) and
    // fires the listener.
    void changeVolumeElsewhere(DeviceId device, unsigned element, float value);
    bool hasListener() const { return static_cast<bool>(m_listener); }

    std::optional<DeviceId> defaultOutputDevice() override;
    std::optional<QString> deviceName(DeviceId device) override;
    bool hasVolume(DeviceId device, unsigned element) override;
    std::optional<float> volume(DeviceId device, unsigned element) override;
    bool isVolumeSettable(DeviceId device, unsigned element) override;
    bool setVolume(DeviceId device, unsigned element, float value) override;
    bool addDeviceListener(std::function<void()> listener) override;
    void removeDeviceListener() override;

private:
    Element* find(DeviceId device, unsigned element);
    std::function<void()> m_listener;
};
