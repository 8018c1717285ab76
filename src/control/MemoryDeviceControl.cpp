#include "control/MemoryDeviceControl.h"

MemoryDeviceControl::MemoryDeviceControl()
{
    devices[1] = Device{QStringLiteral("Memory Output"), {{0u, Element{}}}};
    defaultDevice = 1;
}

void MemoryDeviceControl::switchDefaultDevice(std::optional<DeviceId> device)
{
    defaultDevice = device;
    if (m_listener)
        m_listener();
}

void MemoryDeviceControl::changeVolumeElsewhere(DeviceId device, unsigned element, float value)
{
    devices[device].elements[element].value = value;
    if (m_listener)
        m_listener();
}

std::optional<OutputDeviceControl::DeviceId> MemoryDeviceControl::defaultOutputDevice()
{
    if (!defaultDevice || *defaultDevice == 0 || !devices.contains(*defaultDevice))
        return std::nullopt;
    return defaultDevice;
}

std::optional<QString> MemoryDeviceControl::deviceName(DeviceId device)
{
    const auto it = devices.find(device);
    return it == devices.end() ? std::nullopt : it->second.name;
}

MemoryDeviceControl::Element* MemoryDeviceControl::find(DeviceId device, unsigned element)
{
    const auto it = devices.find(device);
    if (it == devices.end())
        return nullptr;
    const auto el = it->second.elements.find(element);
    return el == it->second.elements.end() ? nullptr : &el->second;
}

bool MemoryDeviceControl::hasVolume(DeviceId device, unsigned element)
{
    return find(device, element) != nullptr;
}

std::optional<float> MemoryDeviceControl::volume(DeviceId device, unsigned element)
{
    const Element* el = find(device, element);
    if (!el || !el->readable)
        return std::nullopt;
    return el->value;
}

bool MemoryDeviceControl::isVolumeSettable(DeviceId device, unsigned element)
{
    const Element* el = find(device, element);
    return el && el->settable;
}

bool MemoryDeviceControl::setVolume(DeviceId device, unsigned element, float value)
{
    Element* el = find(device, element);
    if (!el || !el->settable)
        return false;
    el->value = value;
    writes.push_back({device, element, value});
    return true;
}

bool MemoryDeviceControl::addDeviceListener(std::function<void()> listener)
{
    if (listenerRegistrationFails)
        return false;
    m_listener = std::move(listener);
    return true;
}

void MemoryDeviceControl::removeDeviceListener()
{
    m_listener = nullptr;
}
