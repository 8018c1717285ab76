#pragma once

#include "control/OutputDeviceControl.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

// Mirrors the volume of the default output device, following changes made
// elsewhere, and writes the console's master fader back to it. Main-thread
// object; the render thread reads volume() (a relaxed atomic) to scale what
// the meters and analyser show. Nothing here waits on the device.
class SLMSystemOutputVolume : public QObject {
    Q_OBJECT
    Q_PROPERTY(double volume READ volume WRITE setVolume NOTIFY volumeChanged)
    Q_PROPERTY(bool canControlVolume READ canControlVolume NOTIFY canControlVolumeChanged)
    Q_PROPERTY(QString deviceName READ deviceName NOTIFY deviceNameChanged)

public:
    static inline const QString fallbackDeviceName = QStringLiteral("System Output");

    explicit SLMSystemOutputVolume(std::unique_ptr<OutputDeviceControl> device, QObject* parent = nullptr);
    ~SLMSystemOutputVolume() override;

    double volume() const { return m_volume.load(std::memory_order_relaxed); }
    bool canControlVolume() const { return m_canControlVolume; }
    QString deviceName() const { return m_deviceName; }

    // Assigning writes the device unless the value came from refresh().
    void setVolume(double value);

    bool isRefreshingFromSystem() const { return m_isRefreshingFromSystem; }
    OutputDeviceControl& device() { return *m_device; }

public slots:
    // Re-reads the default device, its name and its volume. Called when the
    // device reports a change, and by the console when it is shown.
    void refresh();

signals:
    void objectWillChange();
    void volumeChanged();
    void canControlVolumeChanged();
    void deviceNameChanged();

private:
    void setCanControlVolume(bool value);
    void setDeviceName(const QString& value);
    std::optional<float> readVolume(OutputDeviceControl::DeviceId device);
    bool writeVolume(OutputDeviceControl::DeviceId device, float value);
    void applyToDevice(double value);

    std::unique_ptr<OutputDeviceControl> m_device;
    std::atomic<double> m_volume{1.0};
    bool m_canControlVolume = true;
    QString m_deviceName = fallbackDeviceName;
    bool m_isRefreshingFromSystem = false;
    bool m_hasListener = false;
    std::atomic<bool> m_refreshPosted{false};
};
