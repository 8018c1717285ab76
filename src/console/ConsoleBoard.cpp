#include "console/ConsoleBoard.h"

#include "console/EngineStatus.h"
#include "console/InstrumentMapping.h"
#include "control/SLMAudioPresetManager.h"
#include "control/SLMControlRanges.h"
#include "engine/SLMAudioEngine.h"
#include "engine/SLMSleepTimer.h"

#include <QQuickWindow>
#include <QStringList>

namespace {

QVariantMap fader(const char* key, double lower, double upper, double defaultValue)
{
    return {
        {QStringLiteral("key"), QString::fromLatin1(key)},
        {QStringLiteral("lower"), lower},
        {QStringLiteral("upper"), upper},
        {QStringLiteral("defaultValue"), defaultValue},
    };
}

void insertAll(QVariantMap& map, std::initializer_list<std::pair<QString, QVariant>> entries)
{
    for (const auto& [key, value] : entries)
        map.insert(key, value);
}

QVariantMap voice(const char* key, const char* title, const char* subtitle, slm::ControlRange range, double defaultValue)
{
    const QString name = QString::fromLatin1(key);
    QVariantMap strip = fader(key, range.lower, range.upper, defaultValue);
    insertAll(strip, {
        {QStringLiteral("title"), QString::fromLatin1(title)},
        {QStringLiteral("strip"), QString::fromLatin1(title)},
        {QStringLiteral("subtitle"), QString::fromLatin1(subtitle)},
        {QStringLiteral("level"), name + QStringLiteral("Level")},
        {QStringLiteral("db"), name + QStringLiteral("DB")},
        {QStringLiteral("peakDB"), name + QStringLiteral("PeakDB")},
        {QStringLiteral("muted"), name + QStringLiteral("Muted")},
        {QStringLiteral("solo"), name + QStringLiteral("Solo")},
    });
    return strip;
}

QVariantMap creatureControl(const char* key, const char* title, const char* property, slm::ControlRange range,
                            double defaultValue)
{
    QVariantMap control = fader(key, range.lower, range.upper, defaultValue);
    control.insert(QStringLiteral("title"), QString::fromLatin1(title));
    control.insert(QStringLiteral("strip"), QStringLiteral("GLOWWORM ") + QString::fromLatin1(title));
    control.insert(QStringLiteral("level"), QString::fromLatin1(property));
    return control;
}

} // namespace

ConsoleBoard::ConsoleBoard(QQuickItem* parent) : QQuickItem(parent)
{
    connect(this, &ConsoleBoard::audioEngineChanged, this, &ConsoleBoard::followTransport);
}

ConsoleBoard::~ConsoleBoard() = default;

void ConsoleBoard::setAudioEngine(SLMAudioEngine* engine)
{
    if (engine == m_audioEngine)
        return;
    disconnect(m_frozenConnection);
    m_audioEngine = engine;
    if (engine)
        m_frozenConnection = connect(engine, &SLMAudioEngine::isFrozenChanged, this, &ConsoleBoard::isFrozenChanged);
    // A manager follows the parameters it was made for; a new engine needs a
    // new one. A given manager is its giver's to match.
    if (m_ownPresetManager) {
        m_ownPresetManager.reset();
        emit presetManagerChanged();
    }
    emit audioEngineChanged();
    emit isFrozenChanged();
}

SLMAudioParameters* ConsoleBoard::parameters() const { return m_audioEngine ? m_audioEngine->parameters() : nullptr; }
SLMSystemOutputVolume* ConsoleBoard::systemOutput() const { return m_audioEngine ? m_audioEngine->systemOutput() : nullptr; }
SLMAudioMeters* ConsoleBoard::meters() const { return m_audioEngine ? m_audioEngine->meters() : nullptr; }
SLMAudioSpectrum* ConsoleBoard::spectrum() const { return m_audioEngine ? m_audioEngine->spectrum() : nullptr; }

SLMAudioPresetManager* ConsoleBoard::presetManager()
{
    if (m_givenPresetManager)
        return m_givenPresetManager;
    // Not before completion: the manager may still be on its way from the
    // window, and bindings read this property early.
    if (!m_ownPresetManager && m_audioEngine && isComponentComplete())
        m_ownPresetManager = std::make_unique<SLMAudioPresetManager>(m_audioEngine->parameters());
    return m_ownPresetManager.get();
}

void ConsoleBoard::setPresetManager(SLMAudioPresetManager* manager)
{
    if (manager == m_givenPresetManager)
        return;
    m_givenPresetManager = manager;
    if (manager)
        m_ownPresetManager.reset();
    emit presetManagerChanged();
}

void ConsoleBoard::componentComplete()
{
    QQuickItem::componentComplete();
    // Bindings that looked before completion found no manager.
    if (!m_givenPresetManager && m_audioEngine)
        emit presetManagerChanged();
}

bool ConsoleBoard::isFrozen() const { return m_audioEngine && m_audioEngine->isFrozen(); }

QString ConsoleBoard::freezeLabel() const
{
    return isFrozen() ? QStringLiteral("FROZEN") : QStringLiteral("FREEZE");
}

QString ConsoleBoard::freezeToolTip() const
{
    return isFrozen() ? QStringLiteral("Resume SLM evolution and random event scheduling")
                      : QStringLiteral("Freeze the current evolving sound state");
}

QVariantMap ConsoleBoard::masterFader()
{
    QVariantMap strip = fader("master", 0.0, 1.0, 1.0);
    strip.insert(QStringLiteral("strip"), QStringLiteral("MASTER"));
    return strip;
}

QVariantList ConsoleBoard::voiceStrips()
{
    namespace d = slm::defaults;
    namespace r = slm::ranges;
    return {
        voice("reactor", "REACTOR", "Mass", r::reactorLevel, d::reactorLevel),
        voice("field", "FIELD", "Motion", r::fieldLevel, d::fieldLevel),
        voice("wave", "WAVE", "Atmosphere", r::waveLevel, d::waveLevel),
        voice("anomaly", "ANOMALY", "Emergence", r::anomalyLevel, d::anomalyLevel),
    };
}

QVariantMap ConsoleBoard::glowMaster()
{
    const slm::ControlRange range = slm::ranges::glowwormMasterDB;
    QVariantMap strip = fader("glowMaster", range.lower, range.upper, slm::defaults::glowwormMasterDB);
    insertAll(strip, {
        {QStringLiteral("title"), QStringLiteral("GLOW MASTER")},
        {QStringLiteral("strip"), QStringLiteral("GLOW MASTER")},
        {QStringLiteral("level"), QStringLiteral("glowwormMasterDB")},
        {QStringLiteral("db"), QStringLiteral("glowwormDB")},
        {QStringLiteral("peakDB"), QStringLiteral("glowwormPeakDB")},
        {QStringLiteral("muted"), QStringLiteral("glowwormMuted")},
        {QStringLiteral("solo"), QStringLiteral("glowwormSolo")},
    });
    return strip;
}

QVariantList ConsoleBoard::creatureControls()
{
    namespace d = slm::defaults;
    namespace r = slm::ranges;
    return {
        creatureControl("glowLevel", "LEVEL", "glowwormLevel", r::glowwormLevel, d::glowwormLevel),
        creatureControl("glowActivity", "ACTIVITY", "glowwormActivity", r::glowwormActivity, d::glowwormActivity),
        creatureControl("glowBright", "BRIGHT", "glowwormBrightness", r::glowwormBrightness, d::glowwormBrightness),
        creatureControl("glowTrail", "TRAIL", "glowwormTrail", r::glowwormTrail, d::glowwormTrail),
        creatureControl("glowTravel", "TRAVEL", "glowwormStereoTravel", r::glowwormStereoTravel, d::glowwormStereoTravel),
    };
}

void ConsoleBoard::toggleFreeze()
{
    if (m_audioEngine)
        m_audioEngine->setIsFrozen(!m_audioEngine->isFrozen());
}

void ConsoleBoard::applyPreset(const QString& rawID)
{
    if (SLMAudioPresetManager* manager = presetManager())
        manager->applyPreset(rawID);
}

void ConsoleBoard::saveCustomPreset()
{
    // Saving makes custom the active preset as well.
    if (SLMAudioPresetManager* manager = presetManager())
        manager->saveCustomPreset();
}

void ConsoleBoard::setFullVolume()
{
    if (SLMSystemOutputVolume* output = systemOutput())
        output->setVolume(1.0);
}

void ConsoleBoard::itemChange(ItemChange change, const ItemChangeData& data)
{
    if (change == ItemSceneChange) {
        disconnect(m_windowConnection);
        if (QQuickWindow* window = data.window) {
            m_windowConnection = connect(window, &QWindow::visibleChanged, this, &ConsoleBoard::windowVisibilityChanged);
            if (window->isVisible())
                windowVisibilityChanged(true);
        }
    }
    QQuickItem::itemChange(change, data);
}

void ConsoleBoard::windowVisibilityChanged(bool visible)
{
    // The device may have changed while the console was away; the master
    // strip shows its name and volume as they are now.
    if (visible && isVisible())
        if (SLMSystemOutputVolume* output = systemOutput())
            output->refresh();
}

void ConsoleBoard::followTransport()
{
    for (const QMetaObject::Connection& connection : std::as_const(m_transportConnections))
        disconnect(connection);
    m_transportConnections.clear();
    if (SLMAudioEngine* engine = m_audioEngine) {
        m_transportConnections = {
            connect(engine, &SLMAudioEngine::isPlayingChanged, this, &ConsoleBoard::isPlayingChanged),
            connect(engine, &SLMAudioEngine::isPlayingChanged, this, &ConsoleBoard::engineStatusChanged),
            connect(engine, &SLMAudioEngine::outputStateChanged, this, &ConsoleBoard::engineStatusChanged),
        };
        if (SLMSleepTimer* timer = engine->sleepTimer()) {
            m_transportConnections.append(
                connect(timer, &SLMSleepTimer::isActiveChanged, this, &ConsoleBoard::sleepTimerChanged));
            m_transportConnections.append(
                connect(timer, &SLMSleepTimer::remainingSecondsChanged, this, &ConsoleBoard::sleepTimerChanged));
        }
    }
    emit engineStatusChanged();
    emit isPlayingChanged();
    emit sleepTimerChanged();
}

QString ConsoleBoard::engineStatusText() const
{
    return m_audioEngine ? slm::console::engineStatus(m_audioEngine->outputState(), m_audioEngine->isPlaying()).text
                         : QString();
}

QColor ConsoleBoard::engineLampColor() const
{
    return m_audioEngine
               ? slm::console::engineStatus(m_audioEngine->outputState(), m_audioEngine->isPlaying()).lampColor
               : QColor();
}

QString ConsoleBoard::engineStatusDetail() const
{
    return m_audioEngine ? slm::console::engineStatus(m_audioEngine->outputState(), m_audioEngine->isPlaying()).detail
                         : QString();
}

bool ConsoleBoard::isPlaying() const { return m_audioEngine && m_audioEngine->isPlaying(); }

QString ConsoleBoard::transportLabel() const
{
    // The key names what a press does.
    return isPlaying() ? QStringLiteral("PAUSE") : QStringLiteral("PLAY");
}

QString ConsoleBoard::transportToolTip() const
{
    return isPlaying() ? QStringLiteral("Pause the sound (fades out)")
                       : QStringLiteral("Play the sound (fades in)");
}

bool ConsoleBoard::sleepTimerActive() const
{
    const SLMSleepTimer* timer = m_audioEngine ? m_audioEngine->sleepTimer() : nullptr;
    return timer && timer->isActive();
}

QString ConsoleBoard::sleepTimerText() const
{
    const SLMSleepTimer* timer = m_audioEngine ? m_audioEngine->sleepTimer() : nullptr;
    return slm::console::sleepTimerText(timer && timer->isActive(), timer ? timer->remainingSeconds() : 0);
}

QString ConsoleBoard::sleepToolTip()
{
    QStringList steps;
    for (int minutes : SLMSleepTimer::stepLengths())
        steps.append(minutes > 0 ? QString::number(minutes) : QStringLiteral("off"));
    return QStringLiteral("Sleep timer: steps through %1 minutes; at the end the sound fades out and pauses")
        .arg(steps.join(QStringLiteral(", ")));
}

void ConsoleBoard::togglePlayPause()
{
    if (m_audioEngine)
        m_audioEngine->togglePlayPause();
}

void ConsoleBoard::stepSleepTimer()
{
    if (SLMSleepTimer* timer = m_audioEngine ? m_audioEngine->sleepTimer() : nullptr)
        timer->stepLength();
}
