#include "console/ConsoleBoard.h"

#include "control/SLMAudioPresetManager.h"
#include "engine/SLMAudioEngine.h"

#include <QQuickWindow>

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

QVariantMap voice(const char* key, const char* title, const char* subtitle, double upper, double defaultValue)
{
    const QString name = QString::fromLatin1(key);
    QVariantMap strip = fader(key, 0.0, upper, defaultValue);
    insertAll(strip, {
        {QStringLiteral("title"), QString::fromLatin1(title)},
        {QStringLiteral("subtitle"), QString::fromLatin1(subtitle)},
        {QStringLiteral("level"), name + QStringLiteral("Level")},
        {QStringLiteral("db"), name + QStringLiteral("DB")},
        {QStringLiteral("peakDB"), name + QStringLiteral("PeakDB")},
        {QStringLiteral("muted"), name + QStringLiteral("Muted")},
        {QStringLiteral("solo"), name + QStringLiteral("Solo")},
    });
    return strip;
}

QVariantMap creatureControl(const char* key, const char* title, const char* property, double upper, double defaultValue)
{
    QVariantMap control = fader(key, 0.0, upper, defaultValue);
    control.insert(QStringLiteral("title"), QString::fromLatin1(title));
    control.insert(QStringLiteral("level"), QString::fromLatin1(property));
    return control;
}

} // namespace

ConsoleBoard::ConsoleBoard(QQuickItem* parent) : QQuickItem(parent) {}

ConsoleBoard::~ConsoleBoard() = default;

void ConsoleBoard::setAudioEngine(SLMAudioEngine* engine)
{
    if (engine == m_audioEngine)
        return;
    disconnect(m_frozenConnection);
    m_audioEngine = engine;
    if (engine)
        m_frozenConnection = connect(engine, &SLMAudioEngine::isFrozenChanged, this, &ConsoleBoard::isFrozenChanged);
    // A manager follows the parameters it was made for; a new engine needs a new one.
    if (m_presetManager) {
        m_presetManager.reset();
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
    if (!m_presetManager && m_audioEngine)
        m_presetManager = std::make_unique<SLMAudioPresetManager>(m_audioEngine->parameters());
    return m_presetManager.get();
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
    return fader("master", 0.0, 1.0, 1.0);
}

QVariantList ConsoleBoard::voiceStrips()
{
    namespace d = slm::defaults;
    return {
        voice("reactor", "REACTOR", "Mass", 0.4, d::reactorLevel),
        voice("field", "FIELD", "Motion", 0.2, d::fieldLevel),
        voice("wave", "WAVE", "Atmosphere", 0.15, d::waveLevel),
        voice("anomaly", "ANOMALY", "Emergence", 0.2, d::anomalyLevel),
    };
}

QVariantMap ConsoleBoard::glowMaster()
{
    QVariantMap strip = fader("glowMaster", -60.0, 6.0, slm::defaults::glowwormMasterDB);
    insertAll(strip, {
        {QStringLiteral("title"), QStringLiteral("GLOW MASTER")},
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
    return {
        creatureControl("glowLevel", "LEVEL", "glowwormLevel", 0.2, d::glowwormLevel),
        creatureControl("glowActivity", "ACTIVITY", "glowwormActivity", 1.0, d::glowwormActivity),
        creatureControl("glowBright", "BRIGHT", "glowwormBrightness", 1.0, d::glowwormBrightness),
        creatureControl("glowTrail", "TRAIL", "glowwormTrail", 1.0, d::glowwormTrail),
        creatureControl("glowTravel", "TRAVEL", "glowwormStereoTravel", 1.0, d::glowwormStereoTravel),
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
