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

} // namespace
