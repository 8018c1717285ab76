#include "control/SLMPresetStore.h"

#include <QSettings>
#include <QVariant>

#include <memory>

namespace {

std::unique_ptr<QSettings> openSettings(const QString& file)
{
    std::unique_ptr<QSettings> settings =
        file.isEmpty() ? std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                                     QStringLiteral("Starlume"), QStringLiteral("Starlume"))
                       : std::make_unique<QSettings>(file, QSettings::NativeFormat);
    // The default, stated because the store depends on it: never write the
    // file in place, even where a temporary file cannot be made.
    settings->setAtomicSyncRequired(true);
    return settings;
}

} // namespace

SLMPresetStore::SLMPresetStore() = default;

SLMPresetStore::SLMPresetStore(const QString& settingsFile)
    : m_settingsFile(settingsFile)
{
}

std::optional<QByteArray> SLMPresetStore::load() const
{
    const auto settings = openSettings(m_settingsFile);
    const QVariant value = settings->value(QLatin1String(customPresetKey));
    if (value.typeId() != QMetaType::QByteArray && value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toByteArray();
}

bool SLMPresetStore::save(const QByteArray& blob)
{
    const auto settings = openSettings(m_settingsFile);
    settings->setValue(QLatin1String(customPresetKey), blob);
    settings->sync();
    return settings->status() == QSettings::NoError;
}

QString SLMPresetStore::fileName() const
{
    return openSettings(m_settingsFile)->fileName();
}
