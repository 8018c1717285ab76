#include "app/MprisService.h"

#include "app/MprisAdaptors.h"
#include "control/StreamVolume.h"
#include "control/SLMAudioPresetManager.h"
#include "engine/SLMAudioEngine.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QLoggingCategory>

#include <algorithm>

Q_LOGGING_CATEGORY(lcMpris, "starlume.mpris")

MprisService::MprisService(SLMAudioEngine& engine, SLMAudioPresetManager& presets, StreamVolume& volume,
                           Identity identity, Hooks hooks, QObject* parent)
    : QObject(parent),
      m_engine(engine),
      m_presets(&presets),
      m_volume(volume),
      m_identity(std::move(identity)),
      m_hooks(std::move(hooks)),
      m_announcedVolume(volume.volume())
{
    new MprisRootAdaptor(*this);
    new MprisPlayerAdaptor(*this);

    connect(&engine, &SLMAudioEngine::isPlayingChanged, this,
            [this] { announce(QStringLiteral("PlaybackStatus"), playbackStatus()); });
    connect(&presets, &SLMAudioPresetManager::activeIDChanged, this,
            [this] { announce(QStringLiteral("Metadata"), metadata()); });
    // The model announces unchanged stores too; clients hear only real changes.
    connect(&volume, &StreamVolume::volumeChanged, this, [this] {
        if (m_volume.volume() == m_announcedVolume)
            return;
        m_announcedVolume = m_volume.volume();
        announce(QStringLiteral("Volume"), m_announcedVolume);
    });
}

MprisService::~MprisService()
{
    if (!m_published)
        return;
    m_bus.unregisterService(serviceName);
    m_bus.unregisterObject(objectPath);
}

bool MprisService::publish(QDBusConnection bus)
{
    m_bus = std::move(bus);
    if (!m_bus.isConnected() || !m_bus.interface())
        return false;
    if (!m_bus.registerObject(objectPath, this, QDBusConnection::ExportAdaptors)) {
        qCWarning(lcMpris) << "cannot register" << objectPath << m_bus.lastError().message();
        return false;
    }
    const auto reply = m_bus.interface()->registerService(serviceName, QDBusConnectionInterface::DontQueueService,
                                                          QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        qCWarning(lcMpris) << "the bus name" << serviceName << "is taken; media keys will not reach Starlume";
        m_bus.unregisterObject(objectPath);
        return false;
    }
    m_published = true;
    return true;
}

QString MprisService::playbackStatus() const
{
    return m_engine.isPlaying() ? QStringLiteral("Playing") : QStringLiteral("Paused");
}

QVariantMap MprisService::metadata() const
{
    const SLMPresetID id = m_presets ? m_presets->activeID() : SLMPresetID::Custom;
    QVariantMap map{
        {QStringLiteral("mpris:trackid"),
         QVariant::fromValue(QDBusObjectPath(m_identity.trackIdBase + QStringLiteral("/preset/") + slm::presetRawValue(id)))},
        {QStringLiteral("xesam:title"), slm::presetLabel(id)},
        {QStringLiteral("xesam:artist"), QStringList{QStringLiteral("Starlume")}},
    };
    if (!m_identity.artUrl.isEmpty())
        map.insert(QStringLiteral("mpris:artUrl"), m_identity.artUrl);
    return map;
}

double MprisService::volume() const
{
    return m_volume.volume();
}

void MprisService::setVolume(double volume)
{
    // From outside the process: StreamVolume drops what is not a number and clamps the rest.
    m_volume.setVolume(volume);
}

void MprisService::play()
{
    m_engine.play();
}

void MprisService::pause()
{
    m_engine.pause();
}

void MprisService::playPause()
{
    m_engine.togglePlayPause();
}

void MprisService::next()
{
    if (m_presets)
        m_presets->applyPreset(steppedPreset(m_presets->activeID(), 1));
}

void MprisService::previous()
{
    if (m_presets)
        m_presets->applyPreset(steppedPreset(m_presets->activeID(), -1));
}

void MprisService::raise()
{
    if (m_hooks.raise)
        m_hooks.raise();
}

void MprisService::quit()
{
    if (m_hooks.quit)
        m_hooks.quit();
}

SLMPresetID MprisService::steppedPreset(SLMPresetID from, int step)
{
    const auto& ids = slm::allPresetIDs;
    const auto count = static_cast<int>(ids.size());
    const auto at = static_cast<int>(std::find(ids.begin(), ids.end(), from) - ids.begin());
    return ids[static_cast<std::size_t>(((at + step) % count + count) % count)];
}

void MprisService::announce(const QString& property, const QVariant& value)
{
    if (!m_published)
        return;
    QDBusMessage signal = QDBusMessage::createSignal(objectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    signal << playerInterface << QVariantMap{{property, value}} << QStringList{};
    m_bus.send(signal);
}
