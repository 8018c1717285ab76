#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <set>
#include <vector>

// Stands in for the desktop's org.freedesktop.ScreenSaver on a test bus and
// records what it was asked.
class FakeScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

public:
    struct Call {
        QString method;
        QString application;
        QString reason;
        uint cookie = 0;
    };

    // Registers the service on `bus`; false when the name or object is taken.
    bool registerOn(QDBusConnection bus)
    {
        return bus.registerObject(QStringLiteral("/org/freedesktop/ScreenSaver"), this,
                                  QDBusConnection::ExportAllSlots)
            && bus.registerService(QStringLiteral("org.freedesktop.ScreenSaver"));
    }

    std::vector<Call> calls;
    std::set<uint> active;

public slots:
    uint Inhibit(const QString& application, const QString& reason)
    {
        const uint cookie = m_nextCookie++;
        calls.push_back({QStringLiteral("Inhibit"), application, reason, cookie});
        active.insert(cookie);
        return cookie;
    }

    void UnInhibit(uint cookie)
    {
        calls.push_back({QStringLiteral("UnInhibit"), {}, {}, cookie});
        active.erase(cookie);
    }

private:
    uint m_nextCookie = 41;
};
