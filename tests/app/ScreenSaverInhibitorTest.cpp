#include "app/ScreenSaverInhibitor.h"

#include "FakeDesktopPortal.h"
#include "FakeScreenSaver.h"
#include "PrivateSessionBus.h"
#include "support/EventLoop.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

using slm::test::processEventsFor;
using slm::test::processEventsUntil;

namespace {

class ScreenSaverInhibitorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bus.isRunning()) << "dbus-daemon did not start";
        ASSERT_TRUE(service.registerOn(bus.connect(QStringLiteral("service"))));
    }

    PrivateSessionBus bus;
    FakeScreenSaver service;
};

TEST_F(ScreenSaverInhibitorTest, InhibitsWhileAskedAndReleasesTheSameCookie)
{
    {
        ScreenSaverInhibitor inhibitor(bus.connect(QStringLiteral("client")), QStringLiteral("Full screen"));
        inhibitor.setInhibited(true);
        inhibitor.setInhibited(true); // idempotent: still one inhibition
        ASSERT_TRUE(processEventsUntil([&] { return inhibitor.cookie().has_value(); }));
        ASSERT_EQ(service.calls.size(), 1u);
        EXPECT_EQ(service.calls[0].reason, QStringLiteral("Full screen"));
        EXPECT_EQ(*inhibitor.cookie(), service.calls[0].cookie);

        inhibitor.setInhibited(false);
        ASSERT_TRUE(processEventsUntil([&] { return service.active.empty(); }));
        EXPECT_EQ(service.calls.back().method, QStringLiteral("UnInhibit"));
        EXPECT_EQ(service.calls.back().cookie, service.calls[0].cookie);

        // A second round gets a fresh inhibition.
        inhibitor.setInhibited(true);
        ASSERT_TRUE(processEventsUntil([&] { return service.active.size() == 1; }));
    }
    // Quitting while held releases it.
    EXPECT_TRUE(processEventsUntil([&] { return service.active.empty(); }));
}

TEST_F(ScreenSaverInhibitorTest, ReleaseBeforeTheServiceAnsweredLeavesNothingHeld)
{
    ScreenSaverInhibitor inhibitor(bus.connect(QStringLiteral("client")), QStringLiteral("Full screen"));
    inhibitor.setInhibited(true);
    inhibitor.setInhibited(false);
    inhibitor.setInhibited(true);
    inhibitor.setInhibited(false);
    processEventsFor(std::chrono::milliseconds(300));
    EXPECT_TRUE(service.active.empty());
    EXPECT_FALSE(inhibitor.cookie().has_value());
    EXPECT_LE(service.calls.size(), 2u);
}

TEST(ScreenSaverInhibitorWithoutService, StaysQuietWithoutABus)
{
    ScreenSaverInhibitor noBus(QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                                             QStringLiteral("nowhere")),
                               QStringLiteral("Full screen"));
    noBus.setInhibited(true);
    processEventsFor(std::chrono::milliseconds(50));
    EXPECT_TRUE(noBus.isInhibited());
    EXPECT_FALSE(noBus.cookie().has_value());
}

// With the desktop portal on the bus the inhibition goes through it, and
// never also through the screensaver service.
TEST_F(ScreenSaverInhibitorTest, PrefersThePortalAndClosesItsRequest)
{
    FakeDesktopPortal portal;
    ASSERT_TRUE(portal.registerOn(bus.connect(QStringLiteral("portal"))));
    {
        ScreenSaverInhibitor inhibitor(bus.connect(QStringLiteral("client")), QStringLiteral("Full screen"));
        inhibitor.setInhibited(true);
        ASSERT_TRUE(processEventsUntil([&] { return inhibitor.portalRequest().has_value(); }));
        ASSERT_EQ(portal.calls.size(), 1u);
        EXPECT_EQ(portal.calls[0].flags, 8u);
        EXPECT_EQ(portal.calls[0].reason, QStringLiteral("Full screen"));
        EXPECT_EQ(inhibitor.portalRequest()->path(), portal.calls[0].handle);
        EXPECT_EQ(portal.active.size(), 1u);

        inhibitor.setInhibited(false);
        ASSERT_TRUE(processEventsUntil([&] { return portal.active.empty(); }));
        EXPECT_FALSE(inhibitor.isHeld());

        inhibitor.setInhibited(true);
        ASSERT_TRUE(processEventsUntil([&] { return portal.active.size() == 1; }));
        EXPECT_NE(*portal.active.begin(), portal.calls[0].handle);
    }
    // Quitting while held closes the request too.
    ASSERT_TRUE(processEventsUntil([&] { return portal.active.empty(); }));
    EXPECT_TRUE(service.calls.empty());
}

// A portal that takes the call and never answers must neither block the
// caller nor keep the screensaver service from being used.
TEST_F(ScreenSaverInhibitorTest, FallsBackToTheScreenSaverWhenThePortalHangs)
{
    FakeDesktopPortal portal;
    portal.answers = false;
    ASSERT_TRUE(portal.registerOn(bus.connect(QStringLiteral("portal"))));
    ScreenSaverInhibitor inhibitor(bus.connect(QStringLiteral("client")), QStringLiteral("Full screen"), nullptr, 200);
    QElapsedTimer clock;
    clock.start();
    inhibitor.setInhibited(true);
    EXPECT_LT(clock.elapsed(), 100);
    ASSERT_TRUE(processEventsUntil([&] { return inhibitor.cookie().has_value(); }));
    EXPECT_EQ(portal.unanswered, 1);
    EXPECT_EQ(service.active.size(), 1u);
    inhibitor.setInhibited(false);
    ASSERT_TRUE(processEventsUntil([&] { return service.active.empty(); }));
}

// A hung portal and no screensaver service.
TEST(ScreenSaverInhibitorWithoutService, NeitherServiceAnsweringHoldsNothingAndDoesNotBlock)
{
    PrivateSessionBus bus;
    ASSERT_TRUE(bus.isRunning());
    FakeDesktopPortal portal;
    portal.answers = false;
    ASSERT_TRUE(portal.registerOn(bus.connect(QStringLiteral("portal"))));
    QElapsedTimer clock;
    clock.start();
    {
        ScreenSaverInhibitor inhibitor(bus.connect(QStringLiteral("client")), QStringLiteral("Full screen"), nullptr,
                                       200);
        inhibitor.setInhibited(true);
        EXPECT_LT(clock.elapsed(), 100);
        processEventsFor(std::chrono::milliseconds(500));
        EXPECT_FALSE(inhibitor.isHeld());
        EXPECT_TRUE(inhibitor.isInhibited());
        clock.restart();
    }
    // Quitting with a request still stuck waits no longer than its timeout.
    EXPECT_LT(clock.elapsed(), 600);
}

} // namespace
