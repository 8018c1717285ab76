#include "app/ScreenSaverInhibitor.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

ScreenSaverInhibitor::ScreenSaverInhibitor(QDBusConnection bus, QString reason, QObject* parent)
    : QObject(parent), m_bus(std::move(bus)), m_reason(std::move(reason))
{
}

ScreenSaverInhibitor::~ScreenSaverInhibitor()
{
    // A request still under way would leave an inhibition nobody releases.
    if (m_pending) {
        disconnect(m_pending, nullptr, this, nullptr);
        m_pending->waitForFinished();
        takeReply(*m_pending);
    }
    release(ReleaseMode::waitBriefly);
}

void ScreenSaverInhibitor::setInhibited(bool inhibited)
{
    if (m_wanted == inhibited)
        return;
    m_wanted = inhibited;
    if (inhibited) {
        if (!m_cookie && !m_pending)
            requestInhibit();
    } else {
        release();
    }
}

void ScreenSaverInhibitor::requestInhibit()
{
    if (!m_bus.isConnected())
        return;
    auto message = QDBusMessage::createMethodCall(serviceName, objectPath, serviceName, QStringLiteral("Inhibit"));
    message << QCoreApplication::applicationName() << m_reason;
    m_pending = new QDBusPendingCallWatcher(m_bus.asyncCall(message, requestTimeoutMs), this);
    connect(m_pending, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
        takeReply(*call);
        // Released while the request was under way.
        if (!m_wanted)
            release();
    });
}

void ScreenSaverInhibitor::takeReply(QDBusPendingCallWatcher& call)
{
    call.deleteLater();
    m_pending = nullptr;
    QDBusPendingReply<uint> reply = call;
    if (!reply.isError())
        m_cookie = reply.value();
    // An error means no screensaver service: nothing to inhibit.
}

void ScreenSaverInhibitor::release(ReleaseMode mode)
{
    if (!m_cookie)
        return;
    auto message = QDBusMessage::createMethodCall(serviceName, objectPath, serviceName, QStringLiteral("UnInhibit"));
    message << *m_cookie;
    m_cookie.reset();
    if (mode == ReleaseMode::waitBriefly) {
        // At exit a queued message could die with the connection; a hung
        // service must not hold up the exit for long either.
        m_bus.call(message, QDBus::Block, 250);
    } else {
        m_bus.send(message);
    }
}
