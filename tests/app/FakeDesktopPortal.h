#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <set>
#include <vector>

// One inhibition the portal holds; closing it through the bus ends it.
class FakePortalRequest : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Request")

public:
    explicit FakePortalRequest(std::function<void()> onClose) : m_onClose(std::move(onClose)) {}

public slots:
    void Close() { m_onClose(); }

private:
    std::function<void()> m_onClose;
};

// Stands in for the desktop portal's Inhibit interface on a test bus and
// records what it holds. With `answers` false it takes calls and never replies,
// like a portal stuck behind a dialog.
class FakeDesktopPortal : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Inhibit")

public:
    struct Call {
        uint flags = 0;
        QString reason;
        QString handle;
    };

    bool registerOn(QDBusConnection bus)
    {
        m_bus = std::make_unique<QDBusConnection>(bus);
        return bus.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), this,
                                  QDBusConnection::ExportAllSlots)
            && bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop"));
    }

    bool answers = true;
    std::vector<Call> calls;
    std::set<QString> active;
    int unanswered = 0;

public slots:
    QDBusObjectPath Inhibit(const QString& /*window*/, uint flags, const QVariantMap& options)
    {
        if (!answers) {
            setDelayedReply(true);
            ++unanswered;
            return {};
        }
        const QString handle = QStringLiteral("/org/freedesktop/portal/desktop/request/test/t%1").arg(m_next++);
        calls.push_back({flags, options.value(QStringLiteral("reason")).toString(), handle});
        auto request = std::make_unique<FakePortalRequest>([this, handle] { active.erase(handle); });
        m_bus->registerObject(handle, request.get(), QDBusConnection::ExportAllSlots);
        m_requests.push_back(std::move(request));
        active.insert(handle);
        return QDBusObjectPath(handle);
    }

private:
    std::unique_ptr<QDBusConnection> m_bus;
    std::vector<std::unique_ptr<FakePortalRequest>> m_requests;
    int m_next = 1;
};
