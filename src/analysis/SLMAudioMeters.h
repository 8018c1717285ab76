#pragma once

#include <QObject>

// Level meters of the console: five voices and the stereo master, each a
// smoothed level and a held peak in dB (-60 ... 0). Main-thread object; fed by
// update() with the linear peaks the render thread gathered.
class SLMAudioMeters : public QObject {
    Q_OBJECT
    Q_PROPERTY(double reactorDB READ reactorDB NOTIFY reactorDBChanged)
    Q_PROPERTY(double fieldDB READ fieldDB NOTIFY fieldDBChanged)
    Q_PROPERTY(double waveDB READ waveDB NOTIFY waveDBChanged)
    Q_PROPERTY(double anomalyDB READ anomalyDB NOTIFY anomalyDBChanged)
    Q_PROPERTY(double glowwormDB READ glowwormDB NOTIFY glowwormDBChanged)
    Q_PROPERTY(double masterLeftDB READ masterLeftDB NOTIFY masterLeftDBChanged)
    Q_PROPERTY(double masterRightDB READ masterRightDB NOTIFY masterRightDBChanged)
    Q_PROPERTY(double reactorPeakDB READ reactorPeakDB NOTIFY reactorPeakDBChanged)
    Q_PROPERTY(double fieldPeakDB READ fieldPeakDB NOTIFY fieldPeakDBChanged)
    Q_PROPERTY(double wavePeakDB READ wavePeakDB NOTIFY wavePeakDBChanged)
    Q_PROPERTY(double anomalyPeakDB READ anomalyPeakDB NOTIFY anomalyPeakDBChanged)
    Q_PROPERTY(double glowwormPeakDB READ glowwormPeakDB NOTIFY glowwormPeakDBChanged)
    Q_PROPERTY(double masterLeftPeakDB READ masterLeftPeakDB NOTIFY masterLeftPeakDBChanged)
    Q_PROPERTY(double masterRightPeakDB READ masterRightPeakDB NOTIFY masterRightPeakDBChanged)

public:
    static constexpr double floorDB = -60.0;

    explicit SLMAudioMeters(QObject* parent = nullptr);

    // Seven linear peak amplitudes since the previous call. Main thread only.
    void update(double reactor, double field, double wave, double anomaly, double glowworm,
                double masterLeft, double masterRight);

    double reactorDB() const { return m_values[0]; }
    double fieldDB() const { return m_values[1]; }
    double waveDB() const { return m_values[2]; }
    double anomalyDB() const { return m_values[3]; }
    double glowwormDB() const { return m_values[4]; }
    double masterLeftDB() const { return m_values[5]; }
    double masterRightDB() const { return m_values[6]; }
    double reactorPeakDB() const { return m_values[7]; }
    double fieldPeakDB() const { return m_values[8]; }
    double wavePeakDB() const { return m_values[9]; }
    double anomalyPeakDB() const { return m_values[10]; }
    double glowwormPeakDB() const { return m_values[11]; }
    double masterLeftPeakDB() const { return m_values[12]; }
    double masterRightPeakDB() const { return m_values[13]; }

signals:
    // Fires before each of the fourteen assignments of an update.
    void objectWillChange();

    void reactorDBChanged();
    void fieldDBChanged();
    void waveDBChanged();
    void anomalyDBChanged();
    void glowwormDBChanged();
    void masterLeftDBChanged();
    void masterRightDBChanged();
    void reactorPeakDBChanged();
    void fieldPeakDBChanged();
    void wavePeakDBChanged();
    void anomalyPeakDBChanged();
    void glowwormPeakDBChanged();
    void masterLeftPeakDBChanged();
    void masterRightPeakDBChanged();

private:
    // Levels 0...6, then peaks 7...13, in declaration order.
    double m_values[14];
};
