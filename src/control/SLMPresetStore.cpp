#include "control/SLMPresetStore.h"

#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSaveFile>
#include <QSet>
#include <QSettings>
#include <QVariant>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

Q_LOGGING_CATEGORY(lcSettings, "starlume.settings")

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

// Values waiting for the writer; a key without a value keeps what is on disk.
struct Values {
    std::optional<QByteArray> custom;
    std::optional<QString> active;

    bool isEmpty() const { return !custom && !active; }
};

// Why a write failed, in words for the log; one message per distinct cause.
QString failureCause(const QString& path)
{
    const QFileInfo file(path);
    if (file.isDir())
        return QStringLiteral("a folder is in the way of the file");
    if (file.exists() && !file.isWritable())
        return QStringLiteral("the file is read-only");
    const QFileInfo folder(file.absolutePath());
    if (!folder.isDir())
        return QStringLiteral("its folder cannot be made");
    if (!folder.isWritable())
        return QStringLiteral("its folder is read-only");
    return QStringLiteral("the file could not be written");
}

struct WriteOutcome {
    QString path;
    bool ok = true;
    QString cause;
};

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
            changed.wait(lock, [this] { return !pending.isEmpty() || stopping; });
            if (pending.isEmpty())
                return;
            const Values values = std::exchange(pending, Values{});
            writing = true;
            lock.unlock();
            const WriteOutcome outcome = write(values);
            report(outcome);
            lock.lock();
            writing = false;
            lastWriteOk = outcome.ok;
            changed.notify_all();
        }
    }

    // Main thread.
    template<typename Change>
    void enqueue(Change change)
    {
        {
            std::lock_guard lock(mutex);
            change(pending);
            if (!writer.joinable())
                writer = std::thread([this] { run(); });
        }
        changed.notify_all();
    }

    // Writer thread.
    WriteOutcome write(const Values& values)
    {
        std::unique_ptr<QSettings> settings = openSettings(file);
        const QString path = settings->fileName();
        settings->allKeys(); // parses every section, so the status covers the whole file
        if (settings->status() == QSettings::FormatError) {
            keepUnreadableCopy(path);
            // Start over from what could be read: over a file it cannot
            // parse, QSettings reports the format error and nothing else,
            // not even a failed write.
            QVariantMap readable;
            for (const QString& key : settings->allKeys())
                readable.insert(key, settings->value(key));
            settings.reset();
            QSaveFile clean(path);
            if (!clean.open(QIODevice::WriteOnly) || !clean.commit())
                return {path, false, failureCause(path)};
            settings = openSettings(file);
            for (auto it = readable.cbegin(); it != readable.cend(); ++it)
                settings->setValue(it.key(), it.value());
        }
        if (values.custom)
            settings->setValue(QLatin1String(customPresetKey), *values.custom);
        if (values.active)
            settings->setValue(QLatin1String(activePresetKey), *values.active);
        settings->sync();
        if (settings->status() == QSettings::NoError)
            return {path, true, {}};
        return {path, false, failureCause(path)};
    }

    // Writer thread. Once per store: a file that stays unwritable is not
    // copied again on every fader step.
    void keepUnreadableCopy(const QString& path)
    {
        if (keptUnreadable)
            return;
        keptUnreadable = true;
        const QString copy = path + QStringLiteral(".unreadable");
        if (QFileInfo(copy).isFile())
            QFile::remove(copy);
        if (QFile::copy(path, copy))
            qCWarning(lcSettings, "The settings file %s could not be read; it is kept as %s and replaced.",
                      qPrintable(path), qPrintable(copy));
        else
            qCWarning(lcSettings, "The settings file %s could not be read, nor kept as %s.", qPrintable(path),
                      qPrintable(copy));
    }

    // Writer thread.
    void report(const WriteOutcome& outcome)
    {
        if (outcome.ok) {
            if (failing)
                qCInfo(lcSettings, "The settings are saved again.");
            loggedCauses.clear();
        } else if (!loggedCauses.contains(outcome.cause)) {
            loggedCauses.insert(outcome.cause);
            qCWarning(lcSettings, "The settings cannot be saved to %s: %s.", qPrintable(outcome.path),
                      qPrintable(outcome.cause));
        }
        if (failing != !outcome.ok) {
            failing = !outcome.ok;
            emit notifier.saveFailingChanged(failing);
        }
    }

    const QString file; // empty: the per-user settings
    Values latest; // main thread only
    slm::detail::PresetStoreSignals notifier; // lives on the main thread; emitted from the writer

    // The writer's own.
    bool keptUnreadable = false;
    bool failing = false;
    QSet<QString> loggedCauses;

    std::mutex mutex;
    std::condition_variable changed;
    Values pending;
    bool writing = false;
    bool lastWriteOk = true;
    bool stopping = false;
    std::thread writer; // started by the first save; joined before the members above go
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
    if (m_shared->latest.custom)
        return m_shared->latest.custom;
    const auto settings = openSettings(m_shared->file);
    const QVariant value = settings->value(QLatin1String(customPresetKey));
    if (value.typeId() != QMetaType::QByteArray && value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toByteArray();
}

std::optional<QString> SLMPresetStore::loadActivePreset() const
{
    if (m_shared->latest.active)
        return m_shared->latest.active;
    const auto settings = openSettings(m_shared->file);
    const QVariant value = settings->value(QLatin1String(activePresetKey));
    if (value.typeId() != QMetaType::QString && value.typeId() != QMetaType::QByteArray)
        return std::nullopt;
    return value.toString();
}

void SLMPresetStore::save(const QByteArray& blob)
{
    m_shared->latest.custom = blob;
    m_shared->enqueue([&blob](Values& pending) { pending.custom = blob; });
}

void SLMPresetStore::saveActivePreset(const QString& rawID)
{
    m_shared->latest.active = rawID;
    m_shared->enqueue([&rawID](Values& pending) { pending.active = rawID; });
}

bool SLMPresetStore::flush()
{
    Shared& s = *m_shared;
    std::unique_lock lock(s.mutex);
    s.changed.wait(lock, [&s] { return s.pending.isEmpty() && !s.writing; });
    return s.lastWriteOk;
}

void SLMPresetStore::onSaveFailingChanged(QObject* context, std::function<void(bool)> changed)
{
    QObject::connect(&m_shared->notifier, &slm::detail::PresetStoreSignals::saveFailingChanged, context,
                     [changed = std::move(changed)](bool failing) { changed(failing); });
}

QString SLMPresetStore::fileName() const
{
    return openSettings(m_shared->file)->fileName();
}
