#include "app/ScreenSaverInhibitor.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

ScreenSaverInhibitor::ScreenSaverInhibitor(QDBusConnection bus, QString reason, QObject* parent,
                                           int requestTimeoutMs)
    : QObject(parent), m_bus(std::move(bus)), m_reason(std::move(reason)), m_requestTimeoutMs(requestTimeoutMs)
{
}

ScreenSaverInhibitor::~ScreenSaverInhibitor()
{
    // A request still under way would leave an inhibition nobody releases.
    if (m_pending) {
        disconnect(m_pending, nullptr, this, nullptr);
        m_pending->waitForFinished();
        takeReply(*m_pending, m_pendingStage);
    }
    release(ReleaseMode::waitBriefly);
}

void ScreenSaverInhibitor::setInhibited(bool inhibited)
{
    if (m_wanted == inhibited)
        return;
    m_wanted = inhibited;
    if (inhibited) {
        if (!isHeld() && !m_pending)
            requestInhibit(Stage::portal);
    } else {
        release();
    }
}

void ScreenSaverInhibitor::requestInhibit(Stage stage)
{
    if (!m_bus.isConnected())
        return;
    QDBusMessage message;
    if (stage == Stage::portal) {
        message = QDBusMessage::createMethodCall(portalService, portalPath, portalInterface, QStringLiteral("Inhibit"));
        // No parent window: the portal accepts an empty handle.
        message << QString() << portalIdleFlag << QVariantMap{{QStringLiteral("reason"), m_reason}};
    } else {
        message = QDBusMessage::createMethodCall(serviceName, objectPath, serviceName, QStringLiteral("Inhibit"));
        message << QCoreApplication::applicationName() << m_reason;
    }
    m_pendingStage = stage;
    m_pending = new QDBusPendingCallWatcher(m_bus.asyncCall(message, m_requestTimeoutMs), this);
    connect(m_pending, &QDBusPendingCallWatcher::finished, this, [this, stage](QDBusPendingCallWatcher* call) {
        const bool failed = takeReply(*call, stage);
        if (failed && stage == Stage::portal && m_wanted) {
            requestInhibit(Stage::screenSaver);
            return;
        }
        // Released while the request was under way.
        if (!m_wanted)
            release();
    });
}

bool ScreenSaverInhibitor::takeReply(QDBusPendingCallWatcher& call, Stage stage)
{
    call.deleteLater();
    m_pending = nullptr;
    if (stage == Stage::portal) {
        QDBusPendingReply<QDBusObjectPath> reply = call;
        if (reply.isError())
            return true;
        m_request = reply.value();
    } else {
        QDBusPendingReply<uint> reply = call;
        if (reply.isError())
            return true; // no screensaver service either: nothing to inhibit
        m_cookie = reply.value();
    }
    return false;
}

void ScreenSaverInhibitor::release(ReleaseMode mode)
{
    QDBusMessage message;
    if (m_request) {
        message = QDBusMessage::createMethodCall(portalService, m_request->path(), requestInterface,
                                                 QStringLiteral("Close"));
        m_request.reset();
    } else if (m_cookie) {
        message = QDBusMessage::createMethodCall(serviceName, objectPath, serviceName, QStringLiteral("UnInhibit"));
        message << *m_cookie;
        m_cookie.reset();
    } else {
        return;
    }
    if (mode == ReleaseMode::waitBriefly) {
        // At exit a queued message could die with the connection; a hung
        // service must not hold up the exit for long either.
        m_bus.call(message, QDBus::Block, 250);
    } else {
        m_bus.send(message);
    }
}
