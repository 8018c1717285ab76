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
    if (stored)
        m_customPreset = *stored;
    else if (m_parameters)
        m_customPreset = SLMAudioPreset::snapshot(*m_parameters, SLMPresetID::Custom);
    else
        m_customPreset = SLMAudioPreset::builtIn(SLMPresetID::Custom);

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
}

void SLMAudioPresetManager::setCustomPreset(const SLMAudioPreset& preset)
{
    emit objectWillChange();
    m_customPreset = preset;
    emit customPresetChanged();
}
