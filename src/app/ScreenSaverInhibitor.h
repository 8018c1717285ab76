#pragma once

#include <QDBusConnection>
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
    void requestInhibit();
    enum class ReleaseMode { async, waitBriefly };
    void release(ReleaseMode mode = ReleaseMode::async);

    QDBusConnection m_bus;
    QString m_reason;
    bool m_wanted = false;
    bool m_requestPending = false;
    std::optional<std::uint32_t> m_cookie;
};
