#pragma once

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QObject>
#include <QString>

#include <cstdint>
#include <optional>

// Keeps the desktop's screensaver and idle blanking away while asked to. Asks the
// desktop portal (org.freedesktop.portal.Inhibit) first, as sandboxed and Wayland
// desktops expect, and org.freedesktop.ScreenSaver when no portal answers. Without
// a bus or without either service it quietly does nothing. Calls never wait for a
// service; the bus drops what we hold if the program dies.
class ScreenSaverInhibitor : public QObject {
    Q_OBJECT
public:
    static inline const QString serviceName = QStringLiteral("org.freedesktop.ScreenSaver");
    static inline const QString objectPath = QStringLiteral("/org/freedesktop/ScreenSaver");
    static inline const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
    static inline const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
    static inline const QString portalInterface = QStringLiteral("org.freedesktop.portal.Inhibit");
    static inline const QString requestInterface = QStringLiteral("org.freedesktop.portal.Request");
    // The portal's flag for idle (screen blanking and the screensaver).
    static constexpr uint portalIdleFlag = 8;

    // A service that does not answer in this time counts as absent.
    static constexpr int defaultRequestTimeoutMs = 1000;

    ScreenSaverInhibitor(QDBusConnection bus, QString reason, QObject* parent = nullptr,
                         int requestTimeoutMs = defaultRequestTimeoutMs);
    // Releases a held inhibition.
    ~ScreenSaverInhibitor() override;

    void setInhibited(bool inhibited);
    bool isInhibited() const { return m_wanted; }
    // The screensaver service's cookie while it holds our inhibition.
    std::optional<std::uint32_t> cookie() const { return m_cookie; }
    // The portal's request handle while the portal holds our inhibition.
    std::optional<QDBusObjectPath> portalRequest() const { return m_request; }
    bool isHeld() const { return m_cookie || m_request; }

private:
    enum class Stage { portal, screenSaver };
    void requestInhibit(Stage stage);
    // Returns whether the answer was an error.
    bool takeReply(QDBusPendingCallWatcher& call, Stage stage);
    enum class ReleaseMode { async, waitBriefly };
    void release(ReleaseMode mode = ReleaseMode::async);

    QDBusConnection m_bus;
    QString m_reason;
    int m_requestTimeoutMs;
    bool m_wanted = false;
    QDBusPendingCallWatcher* m_pending = nullptr;
    Stage m_pendingStage = Stage::portal;
    std::optional<std::uint32_t> m_cookie;
    std::optional<QDBusObjectPath> m_request;
};
