#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

// Where the custom preset survives between runs: one byte blob under one key
// of the per-user settings (organisation and application "Starlume", native
// format, so $XDG_CONFIG_HOME/Starlume/Starlume.conf), or of an explicit
// settings file for tests and tools.
//
// Each write replaces the whole file atomically: QSettings writes a complete
// new file through QSaveFile (an unnamed temporary file in the same
// directory, synced to disk, then linked and renamed over the old one) and
// is told never to fall back to writing in place. A crash or power loss
// mid-write leaves the previous file intact.
//
// Syncing a file takes milliseconds to tens of milliseconds, and the custom
// preset is saved on every fader step, so the disk work runs on a writer
// thread of the store. Only the newest blob matters: one that is replaced
// before the writer gets to it is skipped. Copies of a store share its state.
class SLMPresetStore {
public:
    static constexpr const char* customPresetKey = "SLM.CustomAudioPreset.v1";

    SLMPresetStore();
    explicit SLMPresetStore(const QString& settingsFile);

    // The newest blob saved through this store, else the one on disk; no
    // value if the key is absent or holds no bytes.
    std::optional<QByteArray> load() const;

    // Main thread: takes the blob at once (load() returns it from now on)
    // and writes it in the background. Never waits for the disk.
    void save(const QByteArray& blob);

    // Waits until every blob saved so far is on disk (or skipped for a newer
    // one). False if the last write failed; the file then holds the previous
    // blob. The last copy of a store flushes when it goes.
    bool flush();

    // The file the settings live in.
    QString fileName() const;

private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
};
