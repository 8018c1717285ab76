#pragma once

#include <QObject>

#include <atomic>

// The defaults are also where each console fader returns on double-click,
// and where the engine's smoothed values start, so they live in one place.
namespace slm::defaults {
inline constexpr double reactorLevel = 0.2;
inline constexpr double fieldLevel = 0.078;
inline constexpr double waveLevel = 0.05;
inline constexpr double anomalyLevel = 0.085;
inline constexpr double glowwormMasterDB = -8.0;
inline constexpr double glowwormLevel = 0.075;
inline constexpr double glowwormActivity = 0.5;
inline constexpr double glowwormBrightness = 0.55;
inline constexpr double glowwormTrail = 0.6;
inline constexpr double glowwormStereoTravel = 0.7;
} // namespace slm::defaults

// The listener's twenty controls. Main-thread object; every value sits in its
// own relaxed atomic so the render thread can read it at any time without a
// lock. No validation: the console's faders enforce the ranges.
//
// Every setter announces objectWillChange() first (also for an unchanged
// value), then stores, then emits the property's own signal for bindings.
class SLMAudioParameters : public QObject {
    Q_OBJECT
    Q_PROPERTY(double reactorLevel READ reactorLevel WRITE setReactorLevel NOTIFY reactorLevelChanged)
    Q_PROPERTY(double fieldLevel READ fieldLevel WRITE setFieldLevel NOTIFY fieldLevelChanged)
    Q_PROPERTY(double waveLevel READ waveLevel WRITE setWaveLevel NOTIFY waveLevelChanged)
    Q_PROPERTY(double anomalyLevel READ anomalyLevel WRITE setAnomalyLevel NOTIFY anomalyLevelChanged)
    Q_PROPERTY(bool reactorMuted READ reactorMuted WRITE setReactorMuted NOTIFY reactorMutedChanged)
    Q_PROPERTY(bool reactorSolo READ reactorSolo WRITE setReactorSolo NOTIFY reactorSoloChanged)
    Q_PROPERTY(bool fieldMuted READ fieldMuted WRITE setFieldMuted NOTIFY fieldMutedChanged)
    Q_PROPERTY(bool fieldSolo READ fieldSolo WRITE setFieldSolo NOTIFY fieldSoloChanged)
    Q_PROPERTY(bool waveMuted READ waveMuted WRITE setWaveMuted NOTIFY waveMutedChanged)
    Q_PROPERTY(bool waveSolo READ waveSolo WRITE setWaveSolo NOTIFY waveSoloChanged)
    Q_PROPERTY(bool anomalyMuted READ anomalyMuted WRITE setAnomalyMuted NOTIFY anomalyMutedChanged)
    Q_PROPERTY(bool anomalySolo READ anomalySolo WRITE setAnomalySolo NOTIFY anomalySoloChanged)
    Q_PROPERTY(bool glowwormMuted READ glowwormMuted WRITE setGlowwormMuted NOTIFY glowwormMutedChanged)
    Q_PROPERTY(bool glowwormSolo READ glowwormSolo WRITE setGlowwormSolo NOTIFY glowwormSoloChanged)
    Q_PROPERTY(double glowwormMasterDB READ glowwormMasterDB WRITE setGlowwormMasterDB NOTIFY glowwormMasterDBChanged)
    Q_PROPERTY(double glowwormLevel READ glowwormLevel WRITE setGlowwormLevel NOTIFY glowwormLevelChanged)
    Q_PROPERTY(double glowwormActivity READ glowwormActivity WRITE setGlowwormActivity NOTIFY glowwormActivityChanged)
    Q_PROPERTY(double glowwormBrightness READ glowwormBrightness WRITE setGlowwormBrightness NOTIFY glowwormBrightnessChanged)
    Q_PROPERTY(double glowwormTrail READ glowwormTrail WRITE setGlowwormTrail NOTIFY glowwormTrailChanged)
    Q_PROPERTY(double glowwormStereoTravel READ glowwormStereoTravel WRITE setGlowwormStereoTravel NOTIFY glowwormStereoTravelChanged)

public:
    explicit SLMAudioParameters(QObject* parent = nullptr);

    // Getters are plain relaxed loads: safe on the render thread.
    double reactorLevel() const { return m_reactorLevel.load(std::memory_order_relaxed); }
    double fieldLevel() const { return m_fieldLevel.load(std::memory_order_relaxed); }
    double waveLevel() const { return m_waveLevel.load(std::memory_order_relaxed); }
    double anomalyLevel() const { return m_anomalyLevel.load(std::memory_order_relaxed); }
    bool reactorMuted() const { return m_reactorMuted.load(std::memory_order_relaxed); }
    bool reactorSolo() const { return m_reactorSolo.load(std::memory_order_relaxed); }
    bool fieldMuted() const { return m_fieldMuted.load(std::memory_order_relaxed); }
    bool fieldSolo() const { return m_fieldSolo.load(std::memory_order_relaxed); }
    bool waveMuted() const { return m_waveMuted.load(std::memory_order_relaxed); }
    bool waveSolo() const { return m_waveSolo.load(std::memory_order_relaxed); }
    bool anomalyMuted() const { return m_anomalyMuted.load(std::memory_order_relaxed); }
    bool anomalySolo() const { return m_anomalySolo.load(std::memory_order_relaxed); }
    bool glowwormMuted() const { return m_glowwormMuted.load(std::memory_order_relaxed); }
    bool glowwormSolo() const { return m_glowwormSolo.load(std::memory_order_relaxed); }
    double glowwormMasterDB() const { return m_glowwormMasterDB.load(std::memory_order_relaxed); }
    double glowwormLevel() const { return m_glowwormLevel.load(std::memory_order_relaxed); }
    double glowwormActivity() const { return m_glowwormActivity.load(std::memory_order_relaxed); }
    double glowwormBrightness() const { return m_glowwormBrightness.load(std::memory_order_relaxed); }
    double glowwormTrail() const { return m_glowwormTrail.load(std::memory_order_relaxed); }
    double glowwormStereoTravel() const { return m_glowwormStereoTravel.load(std::memory_order_relaxed); }

    // Main thread only.
    void setReactorLevel(double v) { assign(m_reactorLevel, v, &SLMAudioParameters::reactorLevelChanged); }
    void setFieldLevel(double v) { assign(m_fieldLevel, v, &SLMAudioParameters::fieldLevelChanged); }
    void setWaveLevel(double v) { assign(m_waveLevel, v, &SLMAudioParameters::waveLevelChanged); }
    void setAnomalyLevel(double v) { assign(m_anomalyLevel, v, &SLMAudioParameters::anomalyLevelChanged); }
    void setReactorMuted(bool v) { assign(m_reactorMuted, v, &SLMAudioParameters::reactorMutedChanged); }
    void setReactorSolo(bool v) { assign(m_reactorSolo, v, &SLMAudioParameters::reactorSoloChanged); }
    void setFieldMuted(bool v) { assign(m_fieldMuted, v, &SLMAudioParameters::fieldMutedChanged); }
    void setFieldSolo(bool v) { assign(m_fieldSolo, v, &SLMAudioParameters::fieldSoloChanged); }
    void setWaveMuted(bool v) { assign(m_waveMuted, v, &SLMAudioParameters::waveMutedChanged); }
    void setWaveSolo(bool v) { assign(m_waveSolo, v, &SLMAudioParameters::waveSoloChanged); }
    void setAnomalyMuted(bool v) { assign(m_anomalyMuted, v, &SLMAudioParameters::anomalyMutedChanged); }
    void setAnomalySolo(bool v) { assign(m_anomalySolo, v, &SLMAudioParameters::anomalySoloChanged); }
    void setGlowwormMuted(bool v) { assign(m_glowwormMuted, v, &SLMAudioParameters::glowwormMutedChanged); }
    void setGlowwormSolo(bool v) { assign(m_glowwormSolo, v, &SLMAudioParameters::glowwormSoloChanged); }
    void setGlowwormMasterDB(double v) { assign(m_glowwormMasterDB, v, &SLMAudioParameters::glowwormMasterDBChanged); }
    void setGlowwormLevel(double v) { assign(m_glowwormLevel, v, &SLMAudioParameters::glowwormLevelChanged); }
    void setGlowwormActivity(double v) { assign(m_glowwormActivity, v, &SLMAudioParameters::glowwormActivityChanged); }
    void setGlowwormBrightness(double v) { assign(m_glowwormBrightness, v, &SLMAudioParameters::glowwormBrightnessChanged); }
    void setGlowwormTrail(double v) { assign(m_glowwormTrail, v, &SLMAudioParameters::glowwormTrailChanged); }
    void setGlowwormStereoTravel(double v) { assign(m_glowwormStereoTravel, v, &SLMAudioParameters::glowwormStereoTravelChanged); }

    // Sets a property by its name ("reactorLevel", "waveSolo", ...). Returns
    // false for an unknown name; bools take 0 / non-zero. Used by tools and
    // tests that address the controls by name.
    bool setByName(const QString& name, double value);
    static const QStringList& propertyNames();

signals:
    // Fires before every assignment, before the value is stored.
    void objectWillChange();

    void reactorLevelChanged();
    void fieldLevelChanged();
    void waveLevelChanged();
    void anomalyLevelChanged();
    void reactorMutedChanged();
    void reactorSoloChanged();
    void fieldMutedChanged();
    void fieldSoloChanged();
    void waveMutedChanged();
    void waveSoloChanged();
    void anomalyMutedChanged();
    void anomalySoloChanged();
    void glowwormMutedChanged();
    void glowwormSoloChanged();
    void glowwormMasterDBChanged();
    void glowwormLevelChanged();
    void glowwormActivityChanged();
    void glowwormBrightnessChanged();
    void glowwormTrailChanged();
    void glowwormStereoTravelChanged();

private:
    template <typename T>
    void assign(std::atomic<T>& cell, T value, void (SLMAudioParameters::*changed)())
    {
        emit objectWillChange();
        cell.store(value, std::memory_order_relaxed);
        emit(this->*changed)();
    }

    std::atomic<double> m_reactorLevel{slm::defaults::reactorLevel};
    std::atomic<double> m_fieldLevel{slm::defaults::fieldLevel};
    std::atomic<double> m_waveLevel{slm::defaults::waveLevel};
    std::atomic<double> m_anomalyLevel{slm::defaults::anomalyLevel};
    std::atomic<bool> m_reactorMuted{false};
    std::atomic<bool> m_reactorSolo{false};
    std::atomic<bool> m_fieldMuted{false};
    std::atomic<bool> m_fieldSolo{false};
    std::atomic<bool> m_waveMuted{false};
    std::atomic<bool> m_waveSolo{false};
    std::atomic<bool> m_anomalyMuted{false};
    std::atomic<bool> m_anomalySolo{false};
    std::atomic<bool> m_glowwormMuted{false};
    std::atomic<bool> m_glowwormSolo{false};
    std::atomic<double> m_glowwormMasterDB{slm::defaults::glowwormMasterDB};
    std::atomic<double> m_glowwormLevel{slm::defaults::glowwormLevel};
    std::atomic<double> m_glowwormActivity{slm::defaults::glowwormActivity};
    std::atomic<double> m_glowwormBrightness{slm::defaults::glowwormBrightness};
    std::atomic<double> m_glowwormTrail{slm::defaults::glowwormTrail};
    std::atomic<double> m_glowwormStereoTravel{slm::defaults::glowwormStereoTravel};

    static_assert(std::atomic<double>::is_always_lock_free, "the render thread needs lock-free doubles");
};
