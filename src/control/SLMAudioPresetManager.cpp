#include "control/SLMAudioPresetManager.h"

#include "control/SLMAudioParameters.h"

#include <QVariantMap>

SLMAudioPresetManager::SLMAudioPresetManager(SLMAudioParameters* parameters, QObject* parent)
    : SLMAudioPresetManager(parameters, SLMPresetStore(), parent)
{
}

SLMAudioPresetManager::SLMAudioPresetManager(SLMAudioParameters* parameters, SLMPresetStore store,
                                             QObject* parent)
    : QObject(parent)
    , m_parameters(parameters)
    , m_store(std::move(store))
{
    // A missing or unreadable blob is not an error worth telling anyone
    // about: the custom preset simply starts as the current state, and the
    // blob stays as it is until the next capture replaces it.
    std::optional<SLMAudioPreset> stored;
    if (const std::optional<QByteArray> blob = m_store.load())
        stored = SLMAudioPreset::decode(*blob);
    m_customWasStored = stored.has_value();
    if (stored)
        m_customPreset = stored->limitedToControlRanges();
    else if (m_parameters)
        m_customPreset = SLMAudioPreset::snapshot(*m_parameters, SLMPresetID::Custom);
    else
        m_customPreset = SLMAudioPreset::builtIn(SLMPresetID::Custom);

    if (const std::optional<QString> active = m_store.loadActivePreset())
        m_storedActiveID = slm::presetIDFromRawValue(*active);

    m_store.onSaveFailingChanged(this, [this](bool failing) { setSaveFailing(failing); });

    // The connection dies with either object, which is all the bookkeeping
    // the subscription needs.
    if (m_parameters)
        connect(m_parameters, &SLMAudioParameters::objectWillChange, this,
                &SLMAudioPresetManager::parametersWillChange);
}

void SLMAudioPresetManager::parametersWillChange()
{
    if (m_isApplying)
        return;
    // The new value is stored only after this notification, so the capture
    // waits for the next turn of the main loop. Each change posts its own
    // capture; a call still queued when the manager goes is dropped by Qt.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!m_isApplying)
                saveCustomPreset();
        },
        Qt::QueuedConnection);
}

void SLMAudioPresetManager::applyPreset(SLMPresetID id)
{
    if (!m_parameters)
        return;
    const SLMAudioPreset preset = id == SLMPresetID::Custom ? m_customPreset : SLMAudioPreset::builtIn(id);
    m_isApplying = true;
    setActiveID(id);
    preset.applyTo(*m_parameters);
    m_isApplying = false;
}

void SLMAudioPresetManager::restoreRemembered()
{
    if (m_storedActiveID)
        applyPreset(*m_storedActiveID);
    else if (m_customWasStored)
        applyPreset(SLMPresetID::Custom);
}

void SLMAudioPresetManager::applyPreset(const QString& rawID)
{
    if (const std::optional<SLMPresetID> id = slm::presetIDFromRawValue(rawID))
        applyPreset(*id);
}

void SLMAudioPresetManager::saveCustomPreset()
{
    if (!m_parameters)
        return;
    setCustomPreset(SLMAudioPreset::snapshot(*m_parameters, SLMPresetID::Custom));
    setActiveID(SLMPresetID::Custom);
    if (const std::optional<QByteArray> blob = m_customPreset.encode())
        m_store.save(*blob);
}

QString SLMAudioPresetManager::activeDescription() const
{
    // The custom preset's description promises that it is remembered.
    if (m_activeID == SLMPresetID::Custom && m_saveFailing)
        return QStringLiteral("Live manual state \u00B7 not remembered: the settings cannot be saved");
    return slm::presetDescription(m_activeID);
}

QVariantList SLMAudioPresetManager::presets()
{
    QVariantList list;
    for (SLMPresetID id : slm::allPresetIDs) {
        list.append(QVariantMap{
            {QStringLiteral("id"), slm::presetRawValue(id)},
            {QStringLiteral("label"), slm::presetLabel(id)},
            {QStringLiteral("description"), slm::presetDescription(id)},
        });
    }
    return list;
}

void SLMAudioPresetManager::setActiveID(SLMPresetID id)
{
    emit objectWillChange();
    m_activeID = id;
    emit activeIDChanged();
    emit activeDescriptionChanged();
    // Only a different preset is worth a write: a fader drag keeps custom
    // active on every step.
    if (m_storedActiveID != id) {
        m_storedActiveID = id;
        m_store.saveActivePreset(slm::presetRawValue(id));
    }
}

void SLMAudioPresetManager::setSaveFailing(bool failing)
{
    emit objectWillChange();
    m_saveFailing = failing;
    emit saveFailingChanged();
    emit activeDescriptionChanged();
}

void SLMAudioPresetManager::setCustomPreset(const SLMAudioPreset& preset)
{
    emit objectWillChange();
    m_customPreset = preset;
    emit customPresetChanged();
}
