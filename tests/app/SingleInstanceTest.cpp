#include "app/SingleInstance.h"

#include "PrivateSessionBus.h"
#include "support/EventLoop.h"

#include <QCoreApplication>
#include <QLockFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace {

const QString appId = QStringLiteral("io.github.starlume.Starlume");

QDBusConnection noBus()
{
    return QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"), QStringLiteral("nowhere"));
}

TEST(SingleInstanceTest, ObjectPathFollowsTheApplicationId)
{
    EXPECT_EQ(SingleInstance::objectPathFor(appId), QStringLiteral("/io/github/starlume/Starlume"));
    EXPECT_EQ(SingleInstance::objectPathFor(QStringLiteral("org.my-app.X")), QStringLiteral("/org/my_app/X"));
}

TEST(SingleInstanceTest, SecondClaimOnTheBusRaisesTheFirst)
{
    PrivateSessionBus bus;
    ASSERT_TRUE(bus.isRunning());
    QTemporaryDir runtime;

    SingleInstance first(appId, bus.connect(QStringLiteral("first")), runtime.filePath(QStringLiteral("lock")));
    int activations = 0;
    QObject::connect(&first, &SingleInstance::activationRequested, [&] { ++activations; });
    ASSERT_EQ(first.claim(), SingleInstance::Claim::primary);
    EXPECT_FALSE(first.usesLockFile());

    SingleInstance second(appId, bus.connect(QStringLiteral("second")), runtime.filePath(QStringLiteral("lock")));
    EXPECT_EQ(second.claim(), SingleInstance::Claim::raisedOther);
    EXPECT_TRUE(second.message().contains(QStringLiteral("already running")));
    EXPECT_TRUE(slm::test::processEventsUntil([&] { return activations == 1; }));
}

TEST(SingleInstanceTest, NameIsFreeAgainOnceItsOwnerHasGone)
{
    PrivateSessionBus bus;
    ASSERT_TRUE(bus.isRunning());
    QTemporaryDir runtime;
    {
        SingleInstance first(appId, bus.connect(QStringLiteral("first")), runtime.filePath(QStringLiteral("lock")));
        ASSERT_EQ(first.claim(), SingleInstance::Claim::primary);
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("first"));
    SingleInstance next(appId, bus.connect(QStringLiteral("next")), runtime.filePath(QStringLiteral("lock")));
    EXPECT_TRUE(slm::test::processEventsUntil([&] { return next.claim() == SingleInstance::Claim::primary; }));
}

TEST(SingleInstanceTest, OwnerThatDoesNotAnswerIsReportedNotReplaced)
{
    PrivateSessionBus bus;
    ASSERT_TRUE(bus.isRunning());
    QTemporaryDir runtime;
    // Owns the name but exports no object: Activate fails.
    auto squatter = bus.connect(QStringLiteral("squatter"));
    ASSERT_TRUE(squatter.registerService(appId));

    SingleInstance late(appId, bus.connect(QStringLiteral("late")), runtime.filePath(QStringLiteral("lock")));
    EXPECT_EQ(late.claim(), SingleInstance::Claim::otherDidNotAnswer);
    EXPECT_FALSE(late.message().isEmpty());
}

TEST(SingleInstanceTest, WithoutABusTheLockFileDecides)
{
    QTemporaryDir runtime;
    const QString lockPath = runtime.filePath(QStringLiteral("sub/starlume.lock"));
    SingleInstance first(appId, noBus(), lockPath);
    ASSERT_EQ(first.claim(), SingleInstance::Claim::primary);
    EXPECT_TRUE(first.usesLockFile());

    SingleInstance second(appId, noBus(), lockPath);
    EXPECT_EQ(second.claim(), SingleInstance::Claim::heldByOther);
    EXPECT_TRUE(second.message().contains(QString::number(QCoreApplication::applicationPid())))
        << second.message().toStdString();
}

TEST(SingleInstanceTest, LockLeftByADeadProcessDoesNotBlock)
{
    QTemporaryDir runtime;
    const QString lockPath = runtime.filePath(QStringLiteral("starlume.lock"));
    // A process that takes the lock and dies without releasing it, as in a crash.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        QLockFile lock(lockPath);
        _exit(lock.tryLock(0) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_TRUE(QFile::exists(lockPath));

    SingleInstance next(appId, noBus(), lockPath);
    EXPECT_EQ(next.claim(), SingleInstance::Claim::primary) << next.message().toStdString();
}

} // namespace
