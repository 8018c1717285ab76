#include "app/CursorHideController.h"

#include <QObject>
#include <QWindow>

#include <gtest/gtest.h>

#include <map>

using namespace std::chrono_literals;

namespace {

// Runs delayed work when the test moves its clock on.
class ManualScheduler : public TaskScheduler {
public:
    std::unique_ptr<DelayedTask> schedule(std::chrono::milliseconds delay, std::function<void()> work) override
    {
        const int id = m_nextId++;
        m_pending[id] = {m_now + delay, std::move(work)};
        return std::make_unique<Handle>(*this, id);
    }

    void advance(std::chrono::milliseconds step)
    {
        const auto end = m_now + step;
        for (;;) {
            auto next = m_pending.end();
            for (auto it = m_pending.begin(); it != m_pending.end(); ++it)
                if (it->second.due <= end && (next == m_pending.end() || it->second.due < next->second.due))
                    next = it;
            if (next == m_pending.end())
                break;
            m_now = next->second.due;
            auto work = std::move(next->second.work);
            m_pending.erase(next);
            work();
        }
        m_now = end;
    }

    std::size_t pendingCount() const { return m_pending.size(); }

private:
    struct Entry {
        std::chrono::milliseconds due;
        std::function<void()> work;
    };
    struct Handle : DelayedTask {
        Handle(ManualScheduler& s, int id) : scheduler(s), id(id) {}
        ~Handle() override { scheduler.m_pending.erase(id); }
        ManualScheduler& scheduler;
        int id;
    };

    std::chrono::milliseconds m_now{0};
    int m_nextId = 0;
    std::map<int, Entry> m_pending;
};

// A pointer that, like the desktop's, reappears by itself when the mouse moves.
class FakeCursor : public CursorVisibility {
public:
    void hideUntilMoved() override
    {
        hidden = true;
        ++hides;
    }
    void show() override
    {
        hidden = false;
        ++shows;
    }
    bool hidden = false;
    int hides = 0;
    int shows = 0;
};

class FakeRoles : public WindowRoles {
public:
    QObject* mainWindow() const override { return main; }
    QObject* keyWindow() const override { return key; }
    QObject* main = nullptr;
    QObject* key = nullptr;
};

class CursorHideControllerTest : public ::testing::Test {
protected:
    CursorHideControllerTest()
    {
        roles.main = &mainWindow;
        controller.fullScreenChanged = [this](bool value) { changes.push_back(value); };
    }

    // The user moves the mouse over the view: the desktop reveals the pointer,
    // then the view hears of the movement.
    void moveMouse()
    {
        cursor.hidden = false;
        controller.pointerHovered(true);
    }

    QWindow mainWindow;
    QWindow otherWindow;
    FakeCursor cursor;
    ManualScheduler clock;
    FakeRoles roles;
    CursorHideController controller{cursor, clock, roles};
    std::vector<bool> changes;
};

TEST_F(CursorHideControllerTest, EnteringFullScreenCountsOnlyForTheMainOrKeyWindow)
{
    QObject notAWindow;
    controller.windowEnteredFullScreen(&notAWindow);
    controller.windowEnteredFullScreen(nullptr);
    controller.windowEnteredFullScreen(&otherWindow);
    EXPECT_FALSE(controller.isFullScreen());
    EXPECT_FALSE(controller.hasPendingHide());
    clock.advance(10s);
    EXPECT_EQ(cursor.hides, 0);

    roles.key = &otherWindow;
    controller.windowEnteredFullScreen(&otherWindow);
    EXPECT_TRUE(controller.isFullScreen());
    EXPECT_EQ(changes, std::vector<bool>{true});

    controller.windowLeftFullScreen(&otherWindow);
    roles.key = nullptr;
    controller.windowEnteredFullScreen(&mainWindow);
    EXPECT_TRUE(controller.isFullScreen());
}

TEST_F(CursorHideControllerTest, HidesAfterThreeStillSecondsAndMovementRestartsTheDelay)
{
    controller.windowEnteredFullScreen(&mainWindow);
    clock.advance(2999ms);
    EXPECT_FALSE(cursor.hidden);
    clock.advance(1ms);
    EXPECT_TRUE(cursor.hidden);
    EXPECT_FALSE(controller.hasPendingHide());

    // A move every two seconds keeps the pointer visible indefinitely.
    for (int i = 0; i < 30; ++i) {
        moveMouse();
        clock.advance(2s);
        EXPECT_FALSE(cursor.hidden) << "after move " << i;
    }
    EXPECT_EQ(cursor.hides, 1);
    EXPECT_EQ(clock.pendingCount(), 1u);

    // Then three seconds of stillness after the last move hide it.
    clock.advance(999ms);
    EXPECT_FALSE(cursor.hidden);
    clock.advance(1ms);
    EXPECT_TRUE(cursor.hidden);
    EXPECT_EQ(cursor.hides, 2);
}

TEST_F(CursorHideControllerTest, HoverWhileWindowedOrLeavingTheViewChangesNothing)
{
    for (int i = 0; i < 5; ++i)
        controller.pointerHovered(true);
    EXPECT_EQ(cursor.shows, 0);
    EXPECT_FALSE(controller.hasPendingHide());
    clock.advance(10s);
    EXPECT_EQ(cursor.hides, 0);

    controller.windowEnteredFullScreen(&mainWindow);
    clock.advance(2s);
    controller.pointerHovered(false); // the pointer left: the running delay is kept
    clock.advance(1s);
    EXPECT_TRUE(cursor.hidden);
    EXPECT_EQ(cursor.shows, 0);
}

TEST_F(CursorHideControllerTest, LeavingFullScreenCancelsThePendingHideAndShowsThePointer)
{
    controller.windowEnteredFullScreen(&mainWindow);
    moveMouse();
    clock.advance(2500ms);
    controller.windowLeftFullScreen(&mainWindow);
    EXPECT_FALSE(controller.isFullScreen());
    EXPECT_FALSE(controller.hasPendingHide());
    EXPECT_EQ(cursor.shows, 2); // the move, then the exit
    clock.advance(1min);
    EXPECT_FALSE(cursor.hidden);
    EXPECT_EQ(cursor.hides, 0);

    // Once windowed again, movement never hides it.
    moveMouse();
    clock.advance(1min);
    EXPECT_EQ(cursor.hides, 0);
    EXPECT_EQ(changes, (std::vector<bool>{true, false}));
}

TEST_F(CursorHideControllerTest, AnotherWindowLeavingFullScreenResetsOnlyWhileFullScreen)
{
    controller.windowLeftFullScreen(&otherWindow);
    EXPECT_EQ(cursor.shows, 0);

    controller.windowEnteredFullScreen(&mainWindow);
    clock.advance(3s);
    ASSERT_TRUE(cursor.hidden);

    QObject notAWindow;
    controller.windowLeftFullScreen(&notAWindow);
    EXPECT_TRUE(controller.isFullScreen());

    controller.windowLeftFullScreen(&otherWindow);
    EXPECT_FALSE(controller.isFullScreen());
    EXPECT_FALSE(cursor.hidden);
}

TEST_F(CursorHideControllerTest, AppearingAndDisappearingView)
{
    controller.viewShown(false);
    EXPECT_FALSE(controller.isFullScreen());
    EXPECT_FALSE(controller.hasPendingHide());
    EXPECT_TRUE(changes.empty());

    // A window restored straight into full screen starts the delay on its own.
    controller.viewShown(true);
    EXPECT_TRUE(controller.isFullScreen());
    clock.advance(3s);
    EXPECT_TRUE(cursor.hidden);

    moveMouse();
    clock.advance(1s);
    controller.viewRemoved();
    EXPECT_FALSE(controller.hasPendingHide());
    EXPECT_FALSE(cursor.hidden);
    clock.advance(10s);
    EXPECT_FALSE(cursor.hidden);
}

} // namespace
