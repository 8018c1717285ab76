#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

// Where the custom preset and the active preset's name survive between runs:
// two keys of the per-user settings (organisation and application
// "Starlume", native format, so $XDG_CONFIG_HOME/Starlume/Starlume.conf), or
// of an explicit settings file for tests and tools.
//
// Each write replaces the whole file atomically: QSettings writes a complete
// new file through QSaveFile (an unnamed temporary file in the same
// directory, synced to disk, then linked and renamed over the old one) and
// is told never to fall back to writing in place. A crash or power loss
// mid-write leaves the previous file intact.
//
// Syncing a file takes milliseconds to tens of milliseconds, and the custom
// preset is saved on every fader step, so the disk work runs on a writer
// thread of the store. Only the newest value of each key matters: one that is
// replaced before the writer gets to it is skipped. Copies of a store share
// its state.
//
// A settings file that cannot be parsed is copied once to
// "<file>.unreadable" before it is first overwritten. A failed write is
// logged (starlume.settings) once per cause until a write succeeds again.
class SLMPresetStore {
public:
    static constexpr const char* customPresetKey = "SLM.CustomAudioPreset.v1";
    // The raw value of the preset that was active last ("storm", ...).
    static constexpr const char* activePresetKey = "SLM.ActivePreset.v1";

    SLMPresetStore();
    explicit SLMPresetStore(const QString& settingsFile);

    // The newest blob saved through this store, else the one on disk; no
    // value if the key is absent or holds no bytes.
    std::optional<QByteArray> load() const;
    // Likewise for the active preset's raw value (not checked here).
    std::optional<QString> loadActivePreset() const;

    // Main thread: take the value at once (the loads return it from now on)
    // and write it in the background. Never wait for the disk.
    void save(const QByteArray& blob);
    void saveActivePreset(const QString& rawID);

    // Waits until every value saved so far is on disk (or skipped for a newer
    // one). False if the last write failed; the file then holds the previous
    // values. The last copy of a store flushes when it goes.
    bool flush();

    // Calls `changed` on the main thread (through `context`'s event loop)
    // each time writes start or stop failing. Ends with `context`.
    void onSaveFailingChanged(QObject* context, std::function<void(bool failing)> changed);

    // The file the settings live in.
    QString fileName() const;

private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
};

namespace slm::detail {
// Carries the writer thread's news to the main thread.
class PresetStoreSignals : public QObject {
    Q_OBJECT
signals:
    void saveFailingChanged(bool failing);
};
} // namespace slm::detail
