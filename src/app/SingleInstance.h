#pragma once

#include <QDBusConnection>
#include <QLockFile>
#include <QObject>
#include <QList>
#include <QString>
#include <QVariantList>

#include <memory>

// One soundscape per user. The first process owns a well-known name on the
// session bus and answers org.freedesktop.Application; later ones ask it to
// raise its window, or hand it their actions, and leave. Bus names vanish with their process, so a
// crash never blocks the next start. Without a session bus a lock file in the
// runtime directory stands in: a lock whose owner cannot be read, or is not a
// running Starlume, counts as stale.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Claim {
        primary,           // this process runs the soundscape
        raisedOther,       // another one runs it and was asked to show itself
        handedOver,        // another one runs it and took this launch's actions
        otherDidNotAnswer, // another one owns the name but did not answer
        heldByOther,       // no bus; another process holds the lock file
    };

    SingleInstance(QString appId, QDBusConnection bus, QString lockFilePath, QObject* parent = nullptr);
    ~SingleInstance() override;

    struct Action {
        QString name;
        QVariantList parameter;
    };

    // Decides this process's role. Call once, before any window is shown.
    // With actions, a running instance gets those instead of being raised.
    Claim claim(const QList<Action>& actions = {});
    // One line for the user when the claim is not primary.
    QString message() const { return m_message; }
    bool usesLockFile() const { return m_lock != nullptr; }

    static QString objectPathFor(const QString& appId);

signals:
    // Another launch asked for the running soundscape.
    void activationRequested();
    // Another launch, or the desktop, asked for one of our actions.
    void actionRequested(const QString& name, const QVariantList& parameter);

private:
    enum class BusClaim { owned, taken, unavailable };
    BusClaim claimBusName();
    Claim activateOwner();
    Claim handActionsToOwner(const QList<Action>& actions);
    Claim claimLockFile();

    QString m_appId;
    QDBusConnection m_bus;
    QString m_lockFilePath;
    std::unique_ptr<QLockFile> m_lock;
    bool m_objectRegistered = false;
    QString m_message;
};
