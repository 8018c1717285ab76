#include "app/SingleInstance.h"

#include "app/DesktopApplicationAdaptor.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// Generous: a busy instance is still the running one, and must not get a twin.
constexpr int activateTimeoutMs = 5000;
const QString applicationInterface = QStringLiteral("org.freedesktop.Application");

QByteArray processName(const QString& proc)
{
    QFile comm(proc + QStringLiteral("/comm"));
    return comm.open(QIODevice::ReadOnly) ? comm.readAll().trimmed() : QByteArray();
}

// Whether `pid` runs this program: the same executable, or, where that link
// cannot be read (another user's process, a binary replaced since it
// started), the same process name.
bool isRunningStarlume(qint64 pid)
{
    if (pid <= 0)
        return false;
    const QString proc = QStringLiteral("/proc/%1").arg(pid);
    const QString exe = QFileInfo(proc + QStringLiteral("/exe")).symLinkTarget();
    if (!exe.isEmpty() && exe == QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget())
        return true;
    const QByteArray name = processName(proc);
    return !name.isEmpty() && name == processName(QStringLiteral("/proc/self"));
}

// A holder keeps an flock on its lock file from the moment it creates it, so
// this also sees one that has not written its process id yet.
bool someoneHolds(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) == -1 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

} // namespace

SingleInstance::SingleInstance(QString appId, QDBusConnection bus, QString lockFilePath, QObject* parent)
    : QObject(parent), m_appId(std::move(appId)), m_bus(std::move(bus)), m_lockFilePath(std::move(lockFilePath))
{
}

SingleInstance::~SingleInstance()
{
    if (m_objectRegistered)
        m_bus.unregisterObject(objectPathFor(m_appId));
}

QString SingleInstance::objectPathFor(const QString& appId)
{
    QString path = QLatin1Char('/') + appId;
    path.replace(QLatin1Char('.'), QLatin1Char('/'));
    path.replace(QLatin1Char('-'), QLatin1Char('_'));
    return path;
}

SingleInstance::Claim SingleInstance::claim(const QList<Action>& actions)
{
    switch (claimBusName()) {
    case BusClaim::owned:
        return Claim::primary;
    case BusClaim::taken:
        return actions.isEmpty() ? activateOwner() : handActionsToOwner(actions);
    case BusClaim::unavailable:
        break;
    }
    const Claim claim = claimLockFile();
    if (claim == Claim::heldByOther && !actions.isEmpty())
        m_message += QStringLiteral(" Without a session bus it cannot be given commands.");
    return claim;
}

SingleInstance::BusClaim SingleInstance::claimBusName()
{
    if (!m_bus.isConnected() || !m_bus.interface())
        return BusClaim::unavailable;

    // The object goes up before the name, so that whoever sees the name can call it.
    auto* adaptor = new DesktopApplicationAdaptor(this);
    connect(adaptor, &DesktopApplicationAdaptor::activated, this, &SingleInstance::activationRequested);
    connect(adaptor, &DesktopApplicationAdaptor::actionActivated, this, &SingleInstance::actionRequested);
    const QString path = objectPathFor(m_appId);
    if (!m_bus.registerObject(path, this, QDBusConnection::ExportAdaptors))
        return BusClaim::unavailable;
    m_objectRegistered = true;

    const auto reply = m_bus.interface()->registerService(m_appId, QDBusConnectionInterface::DontQueueService,
                                                          QDBusConnectionInterface::DontAllowReplacement);
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered)
        return BusClaim::owned;

    m_bus.unregisterObject(path);
    m_objectRegistered = false;
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceNotRegistered)
        return BusClaim::taken;
    return BusClaim::unavailable;
}

SingleInstance::Claim SingleInstance::activateOwner()
{
    auto message = QDBusMessage::createMethodCall(m_appId, objectPathFor(m_appId), applicationInterface,
                                                  QStringLiteral("Activate"));
    message << QVariantMap{};
    const QDBusMessage reply = m_bus.call(message, QDBus::BlockWithGui, activateTimeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage) {
        m_message = QStringLiteral("Starlume is already running; its window has been brought to the front.");
        return Claim::raisedOther;
    }
    m_message = QStringLiteral("Starlume is already running but does not answer (%1); not starting a second one.")
                    .arg(reply.errorMessage());
    return Claim::otherDidNotAnswer;
}

SingleInstance::Claim SingleInstance::handActionsToOwner(const QList<Action>& actions)
{
    // One call per action, in order, each answered before the next: the
    // running instance applies them as this launch would have.
    for (const Action& action : actions) {
        auto message = QDBusMessage::createMethodCall(m_appId, objectPathFor(m_appId), applicationInterface,
                                                      QStringLiteral("ActivateAction"));
        message << action.name << QVariant(action.parameter) << QVariantMap{};
        const QDBusMessage reply = m_bus.call(message, QDBus::BlockWithGui, activateTimeoutMs);
        if (reply.type() != QDBusMessage::ReplyMessage) {
            m_message = QStringLiteral("Starlume is already running but does not answer (%1); not starting a second one.")
                            .arg(reply.errorMessage());
            return Claim::otherDidNotAnswer;
        }
    }
    return Claim::handedOver;
}

SingleInstance::Claim SingleInstance::claimLockFile()
{
    QDir().mkpath(QFileInfo(m_lockFilePath).absolutePath());
    m_lock = std::make_unique<QLockFile>(m_lockFilePath);
    // Never stale by age: the soundscape runs for days. A lock whose process
    // has gone is still taken over.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return Claim::primary;
    if (m_lock->error() != QLockFile::LockFailedError) {
        // An unusable runtime directory must not keep the soundscape from starting.
        m_lock.reset();
        return Claim::primary;
    }

    qint64 pid = 0;
    QString host, app;
    const bool readable = m_lock->getLockInfo(&pid, &host, &app);
    if (readable && isRunningStarlume(pid)) {
        m_lock.reset();
        m_message = QStringLiteral("Starlume is already running (process %1, lock file %2); not starting a second one.")
                        .arg(pid)
                        .arg(m_lockFilePath);
        return Claim::heldByOther;
    }

    // Stale: empty, garbage, a folder, or left by a process that is gone or
    // is something else now. QLockFile removes the file only if no live
    // holder keeps its flock on it.
    if (QFileInfo(m_lockFilePath).isDir())
        QDir().rmdir(m_lockFilePath);
    else
        m_lock->removeStaleLockFile();
    if (m_lock->tryLock(0))
        return Claim::primary;

    if (someoneHolds(m_lockFilePath)) {
        // Another start that has just created the lock.
        m_lock.reset();
        m_message = QStringLiteral("Starlume is already starting (lock file %1); not starting a second one.")
                        .arg(m_lockFilePath);
        return Claim::heldByOther;
    }
    // A lock that cannot be cleared (a folder with something in it, a file
    // not ours to remove) must not keep the soundscape from starting.
    m_lock.reset();
    return Claim::primary;
}
