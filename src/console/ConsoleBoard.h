#pragma once

#include <QColor>
#include <QList>
#include <QPointer>
#include <QQuickItem>
#include <QString>
#include <QVariantList>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>

#include <memory>

class SLMAudioEngine;
class SLMAudioMeters;
class SLMAudioParameters;
class SLMAudioPresetManager;
class SLMAudioSpectrum;
class SLMSystemOutputVolume;
Q_MOC_INCLUDE("engine/SLMAudioEngine.h")
Q_MOC_INCLUDE("control/SLMAudioPresetManager.h")

// The behaviour behind the console board (SLMAudioPanel.qml): the models it
// shows, the preset manager it is given (or makes), what each strip binds to, the freeze
// button's texts, and the device refresh each time the board is shown. The
// QML only lays out and binds.
class ConsoleBoard : public QQuickItem {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(SLMAudioEngine* audioEngine READ audioEngine WRITE setAudioEngine NOTIFY audioEngineChanged)
    Q_PROPERTY(SLMAudioParameters* parameters READ parameters NOTIFY audioEngineChanged)
    Q_PROPERTY(SLMSystemOutputVolume* systemOutput READ systemOutput NOTIFY audioEngineChanged)
    Q_PROPERTY(SLMAudioMeters* meters READ meters NOTIFY audioEngineChanged)
    Q_PROPERTY(SLMAudioSpectrum* spectrum READ spectrum NOTIFY audioEngineChanged)
    Q_PROPERTY(SLMAudioPresetManager* presetManager READ presetManager WRITE setPresetManager NOTIFY presetManagerChanged)
    Q_PROPERTY(bool isFrozen READ isFrozen NOTIFY isFrozenChanged)
    Q_PROPERTY(QString freezeLabel READ freezeLabel NOTIFY isFrozenChanged)
    Q_PROPERTY(QString freezeToolTip READ freezeToolTip NOTIFY isFrozenChanged)
    Q_PROPERTY(double controlDeckWidth READ controlDeckWidth CONSTANT)
    Q_PROPERTY(double naturalBoardWidth READ naturalBoardWidth CONSTANT)
    Q_PROPERTY(double naturalBoardHeight READ naturalBoardHeight CONSTANT)
    Q_PROPERTY(QVariantMap masterFader READ masterFader CONSTANT)
    Q_PROPERTY(QVariantList voiceStrips READ voiceStrips CONSTANT)
    Q_PROPERTY(QVariantMap glowMaster READ glowMaster CONSTANT)
    Q_PROPERTY(QVariantList creatureControls READ creatureControls CONSTANT)
    // The engine lamp, the transport key and the sleep timer in the header.
    Q_PROPERTY(QString engineStatusText READ engineStatusText NOTIFY engineStatusChanged)
    Q_PROPERTY(QColor engineLampColor READ engineLampColor NOTIFY engineStatusChanged)
    Q_PROPERTY(QString engineStatusDetail READ engineStatusDetail NOTIFY engineStatusChanged)
    Q_PROPERTY(bool isPlaying READ isPlaying NOTIFY isPlayingChanged)
    Q_PROPERTY(QString transportLabel READ transportLabel NOTIFY isPlayingChanged)
    Q_PROPERTY(QString transportToolTip READ transportToolTip NOTIFY isPlayingChanged)
    Q_PROPERTY(bool sleepTimerActive READ sleepTimerActive NOTIFY sleepTimerChanged)
    Q_PROPERTY(QString sleepTimerText READ sleepTimerText NOTIFY sleepTimerChanged)
    Q_PROPERTY(QString sleepToolTip READ sleepToolTip CONSTANT)

public:
    static constexpr double controlDeckWidthPoints = 1198;
    static constexpr double naturalWidth = 1226;
    static constexpr double naturalHeight = 760;

    explicit ConsoleBoard(QQuickItem* parent = nullptr);
    ~ConsoleBoard() override;

    SLMAudioEngine* audioEngine() const { return m_audioEngine; }
    void setAudioEngine(SLMAudioEngine* engine);
    SLMAudioParameters* parameters() const;
    SLMSystemOutputVolume* systemOutput() const;
    SLMAudioMeters* meters() const;
    SLMAudioSpectrum* spectrum() const;
    // The program's manager when one is given: it restored the mix at start,
    // and a second manager on the same parameters would save over it.
    // Without one, the board makes its own from the engine's parameters once
    // it is complete, and keeps it.
    SLMAudioPresetManager* presetManager();
    void setPresetManager(SLMAudioPresetManager* manager);

    bool isFrozen() const;
    QString freezeLabel() const;
    QString freezeToolTip() const;

    double controlDeckWidth() const { return controlDeckWidthPoints; }
    double naturalBoardWidth() const { return naturalWidth; }
    double naturalBoardHeight() const { return naturalHeight; }

    // What each fader writes, its range and default, and what its meter and
    // switches show: {key, title, strip, subtitle, level, lower, upper,
    // defaultValue, db, peakDB, muted, solo}, the names being properties of
    // the parameters and meters; `strip` names the fader to assistive tools.
    static QVariantMap masterFader();
    static QVariantList voiceStrips();
    static QVariantMap glowMaster();
    static QVariantList creatureControls();

    Q_INVOKABLE void toggleFreeze();
    Q_INVOKABLE void applyPreset(const QString& rawID);
    Q_INVOKABLE void saveCustomPreset();
    Q_INVOKABLE void setFullVolume();

    QString engineStatusText() const;
    QColor engineLampColor() const;
    QString engineStatusDetail() const;
    bool isPlaying() const;
    QString transportLabel() const;
    QString transportToolTip() const;
    bool sleepTimerActive() const;
    QString sleepTimerText() const;
    static QString sleepToolTip();

    Q_INVOKABLE void togglePlayPause();
    // Off, 15, 30, 45, 60, 90 minutes, then off again.
    Q_INVOKABLE void stepSleepTimer();

signals:
    void audioEngineChanged();
    void presetManagerChanged();
    void isFrozenChanged();
    void engineStatusChanged();
    void isPlayingChanged();
    void sleepTimerChanged();

protected:
    void itemChange(ItemChange change, const ItemChangeData& data) override;
    void componentComplete() override;

private:
    void windowVisibilityChanged(bool visible);

    QPointer<SLMAudioEngine> m_audioEngine;
    QPointer<SLMAudioPresetManager> m_givenPresetManager;
    std::unique_ptr<SLMAudioPresetManager> m_ownPresetManager;
    QMetaObject::Connection m_frozenConnection;
    QMetaObject::Connection m_windowConnection;

    // Follows the transport, output state and sleep timer of the current engine.
    void followTransport();
    QList<QMetaObject::Connection> m_transportConnections;
};
