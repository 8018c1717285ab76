#include "control/SLMPresetStore.h"

#include <QSettings>
#include <QVariant>

#include <condition_variable>
#include <mutex>
#include <thread>

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

bool writeBlob(const QString& file, const QByteArray& blob)
{
    const auto settings = openSettings(file);
    settings->setValue(QLatin1String(SLMPresetStore::customPresetKey), blob);
    settings->sync();
    return settings->status() == QSettings::NoError;
}

} // namespace

struct SLMPresetStore::Shared {
    explicit Shared(const QString& file)
        : file(file)
    {
    }

    ~Shared()
    {
        {
            std::lock_guard lock(mutex);
            stopping = true;
        }
        changed.notify_all();
        // The writer saves what is still pending before it leaves.
        if (writer.joinable())
            writer.join();
    }

    void run()
    {
        std::unique_lock lock(mutex);
        for (;;) {
            changed.wait(lock, [this] { return pending || stopping; });
            if (!pending)
                return;
            const QByteArray blob = *std::exchange(pending, std::nullopt);
            writing = true;
            lock.unlock();
            const bool ok = writeBlob(file, blob);
            lock.lock();
            writing = false;
            lastWriteOk = ok;
            changed.notify_all();
        }
    }

    const QString file; // empty: the per-user settings
    std::optional<QByteArray> latest; // main thread only

    std::mutex mutex;
    std::condition_variable changed;
    std::optional<QByteArray> pending;
    bool writing = false;
    bool lastWriteOk = true;
    bool stopping = false;
    std::thread writer; // started by the first save
};

SLMPresetStore::SLMPresetStore()
    : SLMPresetStore(QString())
{
}

SLMPresetStore::SLMPresetStore(const QString& settingsFile)
    : m_shared(std::make_shared<Shared>(settingsFile))
{
}

std::optional<QByteArray> SLMPresetStore::load() const
{
    if (m_shared->latest)
        return m_shared->latest;
    const auto settings = openSettings(m_shared->file);
    const QVariant value = settings->value(QLatin1String(customPresetKey));
    if (value.typeId() != QMetaType::QByteArray && value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toByteArray();
}

void SLMPresetStore::save(const QByteArray& blob)
{
    Shared& s = *m_shared;
    s.latest = blob;
    {
        std::lock_guard lock(s.mutex);
        s.pending = blob;
        if (!s.writer.joinable())
            s.writer = std::thread([&s] { s.run(); });
    }
    s.changed.notify_all();
}

bool SLMPresetStore::flush()
{
    Shared& s = *m_shared;
    std::unique_lock lock(s.mutex);
    s.changed.wait(lock, [&s] { return !s.pending && !s.writing; });
    return s.lastWriteOk;
}

QString SLMPresetStore::fileName() const
{
    return openSettings(m_shared->file)->fileName();
}
