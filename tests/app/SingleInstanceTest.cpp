#include "app/SingleInstance.h"

#include "PrivateSessionBus.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

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
