#include "control/SLMSystemOutputVolume.h"

#include <QMetaObject>

#include <algorithm>
#include <cmath>

SLMSystemOutputVolume::SLMSystemOutputVolume(std::unique_ptr<OutputDeviceControl> device, QObject* parent)
    : QObject(parent)
    , m_device(std::move(device))
{
    // The listener runs on the device's own thread; it only posts. Queued
    // calls to a deleted receiver are dropped, and the listener is removed
    // before this object dies, so nothing reaches a dangling object. A burst
    // of changes (someone dragging the desktop's slider) costs one refresh.
    m_hasListener = m_device->addDeviceListener([this] {
        if (m_refreshPosted.exchange(true))
            return;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_refreshPosted = false;
                refresh();
            },
            Qt::QueuedConnection);
    });
    refresh();
}

SLMSystemOutputVolume::~SLMSystemOutputVolume()
{
    if (m_hasListener) {
        m_device->removeDeviceListener();
        m_hasListener = false;
    }
}

void SLMSystemOutputVolume::setVolume(double value)
{
    const double previous = volume();
    emit objectWillChange();
    m_volume.store(value, std::memory_order_relaxed);
    emit volumeChanged();

    if (m_isRefreshingFromSystem)
        return;
    // NaN has no place on the scale and would correct itself forever: it
    // falls back to the value it replaced.
    const double clamped = std::isnan(value) ? (std::isnan(previous) ? 0.0 : previous) : std::clamp(value, 0.0, 1.0);
    if (clamped != value) {
        // Observers see the correction as a second assignment.
        setVolume(clamped);
        return;
    }
    applyToDevice(clamped);
}

void SLMSystemOutputVolume::refresh()
{
    const auto device = m_device->defaultOutputDevice();
    if (!device) {
        setCanControlVolume(false);
        return;
    }
    setDeviceName(m_device->deviceName(*device).value_or(fallbackDeviceName));

    const auto read = readVolume(*device);
    if (!read) {
        setCanControlVolume(false);
        return;
    }
    setCanControlVolume(true);
    m_isRefreshingFromSystem = true;
    setVolume(static_cast<double>(*read));
    m_isRefreshingFromSystem = false;
}

void SLMSystemOutputVolume::applyToDevice(double value)
{
    const auto device = m_device->defaultOutputDevice();
    if (!device) {
        setCanControlVolume(false);
        return;
    }
    const float scalar = std::clamp(static_cast<float>(value), 0.0f, 1.0f);
    const bool written = writeVolume(*device, scalar);
    const QString name = written ? m_device->deviceName(*device).value_or(fallbackDeviceName) : QString();

    // The outcome shows one main-loop turn later, like a device notification.
    QMetaObject::invokeMethod(
        this,
        [this, written, name] {
            setCanControlVolume(written);
            if (written)
                setDeviceName(name);
        },
        Qt::QueuedConnection);
}

std::optional<float> SLMSystemOutputVolume::readVolume(OutputDeviceControl::DeviceId device)
{
    if (m_device->hasVolume(device, 0)) {
        if (const auto main = m_device->volume(device, 0))
            return main;
    }
    // Single precision on purpose: the mean of the channels as the device
    // itself would report it.
    float sum = 0.0f;
    int count = 0;
    for (unsigned channel = 1; channel <= OutputDeviceControl::maxChannelElement; ++channel) {
        if (!m_device->hasVolume(device, channel))
            continue;
        if (const auto v = m_device->volume(device, channel)) {
            sum += *v;
            ++count;
        }
    }
    if (count == 0)
        return std::nullopt;
    return sum / static_cast<float>(count);
}

bool SLMSystemOutputVolume::writeVolume(OutputDeviceControl::DeviceId device, float value)
{
    auto writeElement = [&](unsigned element) {
        return m_device->hasVolume(device, element) && m_device->isVolumeSettable(device, element)
            && m_device->setVolume(device, element, value);
    };
    if (writeElement(0))
        return true;
    bool any = false;
    for (unsigned channel = 1; channel <= OutputDeviceControl::maxChannelElement; ++channel)
        any = writeElement(channel) || any;
    return any;
}

void SLMSystemOutputVolume::setCanControlVolume(bool value)
{
    emit objectWillChange();
    m_canControlVolume = value;
    emit canControlVolumeChanged();
}

void SLMSystemOutputVolume::setDeviceName(const QString& value)
{
    emit objectWillChange();
    m_deviceName = value;
    emit deviceNameChanged();
}
