#include "app/SingleInstance.h"

#include "PrivateSessionBus.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

const QString appId = QStringLiteral("io.github.starlume.Starlume");

TEST(SingleInstanceTest, ObjectPathFollowsTheApplicationId)
{
    EXPECT_EQ(SingleInstance::objectPathFor(appId), QStringLiteral("/io/github/starlume/Starlume"));
    EXPECT_EQ(SingleInstance::objectPathFor(QStringLiteral("org.my-app.X")), QStringLiteral("/org/my_app/X"));
}

TEST(SingleInstanceTest, OwnerThatDoesNotAnswerIsReportedNotReplaced)
{
    PrivateSessionBus bus;
    ASSERT_TRUE(bus.isRunning());
    QTemporaryDir runtime;
    // Owns the name but exports no object: Activate fails. (Second launches, killed
    // instances and the lock file are tested on the real program.)
    auto squatter = bus.connect(QStringLiteral("squatter"));
    ASSERT_TRUE(squatter.registerService(appId));

    SingleInstance late(appId, bus.connect(QStringLiteral("late")), runtime.filePath(QStringLiteral("lock")));
    EXPECT_EQ(late.claim(), SingleInstance::Claim::otherDidNotAnswer);
    EXPECT_FALSE(late.message().isEmpty());
}

// No session bus: the lock file decides.
SingleInstance::Claim claimWithoutBus(const QString& lockPath, std::unique_ptr<SingleInstance>& holder)
{
    holder = std::make_unique<SingleInstance>(appId, QDBusConnection(QStringLiteral("no bus")), lockPath);
    return holder->claim();
}

void writeLock(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

TEST(SingleInstanceTest, LocksWithoutALiveStarlumeBehindThemAreStale)
{
    QTemporaryDir runtime;
    const QString lock = runtime.filePath(QStringLiteral("starlume.lock"));
    QProcess other;
    other.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    ASSERT_TRUE(other.waitForStarted());
    const QByteArray host = QSysInfo::machineHostName().toUtf8();

    struct Case {
        const char* what;
        std::function<void()> make;
    };
    const Case cases[] = {
        {"empty", [&] { writeLock(lock, ""); }},
        {"garbage", [&] { writeLock(lock, "\x7f\x01 not a lock\n"); }},
        {"process 0", [&] { writeLock(lock, "0\nstarlume\n" + host + "\n"); }},
        // Names itself after the process it points at, so only a look at
        // that process tells it is not Starlume.
        {"another program", [&] { writeLock(lock, QByteArray::number(other.processId()) + "\nsleep\n" + host + "\n"); }},
        {"a folder", [&] { ASSERT_TRUE(QDir().mkpath(lock)); }},
    };
    for (const Case& c : cases) {
        c.make();
        std::unique_ptr<SingleInstance> instance;
        EXPECT_EQ(claimWithoutBus(lock, instance), SingleInstance::Claim::primary) << c.what << ": " << instance->message().toStdString();
        EXPECT_TRUE(instance->usesLockFile()) << c.what;
        instance.reset();
        EXPECT_FALSE(QFileInfo::exists(lock)) << c.what << ": the lock outlived its owner";
    }
    other.kill();
    other.waitForFinished();
}

TEST(SingleInstanceTest, ALiveHolderStillKeepsASecondOneOut)
{
    QTemporaryDir runtime;
    const QString lock = runtime.filePath(QStringLiteral("starlume.lock"));
    // This process is the one running Starlume here.
    std::unique_ptr<SingleInstance> first, second;
    ASSERT_EQ(claimWithoutBus(lock, first), SingleInstance::Claim::primary);
    EXPECT_EQ(claimWithoutBus(lock, second), SingleInstance::Claim::heldByOther);
    EXPECT_TRUE(second->message().contains(QString::number(QCoreApplication::applicationPid()))) << second->message().toStdString();

    // A holder that has created its lock but not written it yet.
    first.reset();
    QLockFile held(lock);
    ASSERT_TRUE(held.tryLock(0));
    writeLock(lock, "");
    EXPECT_EQ(claimWithoutBus(lock, second), SingleInstance::Claim::heldByOther) << second->message().toStdString();
}

TEST(SingleInstanceTest, ALaterLaunchHandsItsActionsOverInOrderWithoutRaising)
{
    PrivateSessionBus bus;
    ASSERT_TRUE(bus.isRunning());
    QTemporaryDir runtime;
    SingleInstance running(appId, bus.connect(QStringLiteral("running")), runtime.filePath(QStringLiteral("lock")));
    ASSERT_EQ(running.claim(), SingleInstance::Claim::primary);
    QList<SingleInstance::Action> received;
    int raised = 0;
    QObject::connect(&running, &SingleInstance::actionRequested,
                     [&](const QString& name, const QVariantList& parameter) { received.append({name, parameter}); });
    QObject::connect(&running, &SingleInstance::activationRequested, [&] { ++raised; });

    SingleInstance later(appId, bus.connect(QStringLiteral("later")), runtime.filePath(QStringLiteral("lock")));
    const QList<SingleInstance::Action> sent = {{QStringLiteral("pause"), {}},
                                                {QStringLiteral("sleep"), {0.5}},
                                                {QStringLiteral("preset"), {QStringLiteral("storm")}}};
    EXPECT_EQ(later.claim(sent), SingleInstance::Claim::handedOver);
    ASSERT_EQ(received.size(), sent.size());
    for (qsizetype i = 0; i < sent.size(); ++i) {
        EXPECT_EQ(received[i].name, sent[i].name);
        EXPECT_EQ(received[i].parameter, sent[i].parameter);
    }
    EXPECT_EQ(raised, 0);
}

} // namespace
