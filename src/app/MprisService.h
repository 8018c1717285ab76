#pragma once

#include "control/SLMPresetID.h"

#include <QDBusConnection>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantMap>

#include <functional>

class SLMAudioEngine;
class SLMAudioPresetManager;
class StreamVolume;

// Starlume as a media player on the session bus (MPRIS 2), so that the
// desktop's media keys and player controls reach it without key grabs of our
// own. The presets are its "tracks". Main-thread object; the two adaptors
// call into it, and it announces every property change itself, since QtDBus
// adaptors do not.
class MprisService : public QObject {
    Q_OBJECT
public:
    static inline const QString serviceName = QStringLiteral("org.mpris.MediaPlayer2.starlume");
    static inline const QString objectPath = QStringLiteral("/org/mpris/MediaPlayer2");
    static inline const QString rootInterface = QStringLiteral("org.mpris.MediaPlayer2");
    static inline const QString playerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

    struct Identity {
        QString desktopEntry;
        // Track ids are <trackIdBase>/preset/<raw id>.
        QString trackIdBase;
        // A file:// URL of the icon, or empty.
        QString artUrl;
    };
    struct Hooks {
        std::function<void()> raise;
        std::function<void()> quit;
    };

    MprisService(SLMAudioEngine& engine, SLMAudioPresetManager& presets, StreamVolume& volume, Identity identity,
                 Hooks hooks, QObject* parent = nullptr);
    ~MprisService() override;

    // Puts the object and the name on the bus; false when either is refused.
    bool publish(QDBusConnection bus);

    // What the adaptors serve.
    const Identity& identity() const { return m_identity; }
    QString playbackStatus() const;
    QVariantMap metadata() const;
    double volume() const;
    void setVolume(double volume);
    void play();
    void pause();
    void playPause();
    void next();
    void previous();
    void raise();
    void quit();

    // The preset after (step 1) or before (step -1) the given one, wrapping
    // round from CUSTOM to VOID and back.
    static SLMPresetID steppedPreset(SLMPresetID from, int step);

private:
    void announce(const QString& property, const QVariant& value);

    SLMAudioEngine& m_engine;
    QPointer<SLMAudioPresetManager> m_presets;
    StreamVolume& m_volume;
    Identity m_identity;
    Hooks m_hooks;
    QDBusConnection m_bus{QString()};
    bool m_published = false;
    double m_announcedVolume;
};
