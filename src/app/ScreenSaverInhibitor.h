#pragma once

#include <QDBusConnection>
#include <QDBusPendingCallWatcher>
#include <QObject>
#include <QString>

#include <cstdint>
#include <optional>

// Keeps the desktop's screensaver and idle blanking away while asked to, through
// org.freedesktop.ScreenSaver on the session bus. Without a bus or without the
// service it quietly does nothing. Calls never wait for the service.
class ScreenSaverInhibitor : public QObject {
    Q_OBJECT
public:
    static inline const QString serviceName = QStringLiteral("org.freedesktop.ScreenSaver");
    static inline const QString objectPath = QStringLiteral("/org/freedesktop/ScreenSaver");

    ScreenSaverInhibitor(QDBusConnection bus, QString reason, QObject* parent = nullptr);
    // Releases a held inhibition.
    ~ScreenSaverInhibitor() override;

    void setInhibited(bool inhibited);
    bool isInhibited() const { return m_wanted; }
    // The service's cookie while it holds our inhibition.
    std::optional<std::uint32_t> cookie() const { return m_cookie; }

private:
    // Short: a service that does not answer at once must not hold up the exit.
    static constexpr int requestTimeoutMs = 1000;

    void requestInhibit();
    void takeReply(QDBusPendingCallWatcher& call);
    enum class ReleaseMode { async, waitBriefly };
    void release(ReleaseMode mode = ReleaseMode::async);

    QDBusConnection m_bus;
    QString m_reason;
    bool m_wanted = false;
    QDBusPendingCallWatcher* m_pending = nullptr;
    std::optional<std::uint32_t> m_cookie;
};
