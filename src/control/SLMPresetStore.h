#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Where the custom preset survives between runs: one byte blob under one key
// of the per-user settings (organisation and application "Starlume", native
// format, so $XDG_CONFIG_HOME/Starlume/Starlume.conf), or of an explicit
// settings file for tests and tools.
//
// Writes replace the whole file atomically: QSettings writes a complete new
// file through QSaveFile (a temporary file in the same directory, flushed to
// disk, then renamed over the old one) and refuses to fall back to writing in
// place. A crash mid-write leaves the previous file intact.
class SLMPresetStore {
public:
    static constexpr const char* customPresetKey = "SLM.CustomAudioPreset.v1";

    SLMPresetStore();
    explicit SLMPresetStore(const QString& settingsFile);

    // The stored blob, or no value if the key is absent or holds no bytes.
    std::optional<QByteArray> load() const;

    // Stores the blob and writes it to disk. False if the settings could not
    // be written (the previous file then stays as it was).
    bool save(const QByteArray& blob);

    // The file the settings live in.
    QString fileName() const;

private:
    QString m_settingsFile; // empty: the per-user settings
};
