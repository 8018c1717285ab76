#include "app/CursorHideController.h"

#include <QObject>
#include <QWindow>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace std::chrono_literals;

namespace {

// Runs delayed work when the test moves its clock on.
class ManualScheduler : public TaskScheduler {
public:
    std::unique_ptr<DelayedTask> schedule(std::chrono::milliseconds delay, std::function<void()> work) override
    {
        auto task = std::make_unique<Task>(*this, m_now + delay, std::move(work));
        m_pending.insert(task.get());
        return task;
    }

    void advance(std::chrono::milliseconds step)
    {
        const auto end = m_now + step;
        const auto byDue = [](const Task* a, const Task* b) { return a->due < b->due; };
        while (!m_pending.empty()) {
            Task* next = *std::min_element(m_pending.begin(), m_pending.end(), byDue);
            if (next->due > end)
                break;
            m_now = next->due;
            m_pending.erase(next);
            auto work = std::move(next->work); // the work may destroy its own handle
            work();
        }
        m_now = end;
    }

    std::size_t pendingCount() const { return m_pending.size(); }

private:
    struct Task : DelayedTask {
        Task(ManualScheduler& s, std::chrono::milliseconds due, std::function<void()> work)
            : scheduler(s), due(due), work(std::move(work)) {}
        ~Task() override { scheduler.m_pending.erase(this); }
        ManualScheduler& scheduler;
        std::chrono::milliseconds due;
        std::function<void()> work;
    };

    std::chrono::milliseconds m_now{0};
    std::set<Task*> m_pending;
};

// A pointer that, like the desktop's, reappears by itself when the mouse moves.
class FakeCursor : public CursorVisibility {
public:
    void hideUntilMoved() override { hidden = true, ++hides; }
    void show() override { hidden = false, ++shows; }
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
    QObject notAWindow;
    FakeCursor cursor;
    ManualScheduler clock;
    FakeRoles roles;
    CursorHideController controller{cursor, clock, roles};
    std::vector<bool> changes;
};

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
    EXPECT_EQ(clock.pendingCount(), 1u);
    // The pointer leaving the view keeps the running delay.
    controller.pointerHovered(false);
    clock.advance(999ms);
    EXPECT_FALSE(cursor.hidden);
    clock.advance(1ms);
    EXPECT_TRUE(cursor.hidden);
    EXPECT_EQ(cursor.hides, 2);
}

TEST_F(CursorHideControllerTest, OnlyTheMainOrKeyWindowEntersAndWindowedHoverDoesNothing)
{
    controller.windowEnteredFullScreen(&notAWindow);
    controller.windowEnteredFullScreen(nullptr);
    controller.windowEnteredFullScreen(&otherWindow);
    for (int i = 0; i < 5; ++i)
        controller.pointerHovered(true);
    EXPECT_FALSE(controller.isFullScreen());
    EXPECT_FALSE(controller.hasPendingHide());
    EXPECT_EQ(cursor.shows, 0);

    roles.key = &otherWindow;
    controller.windowEnteredFullScreen(&otherWindow);
    EXPECT_TRUE(controller.isFullScreen());
    clock.advance(3s);
    EXPECT_TRUE(cursor.hidden);
    EXPECT_EQ(changes, std::vector<bool>{true});
}

TEST_F(CursorHideControllerTest, LeavingFullScreenCancelsThePendingHideAndShowsThePointer)
{
    controller.windowEnteredFullScreen(&mainWindow);
    moveMouse();
    clock.advance(2500ms);
    controller.windowLeftFullScreen(&mainWindow);
    EXPECT_FALSE(controller.hasPendingHide());
    EXPECT_EQ(cursor.shows, 2); // the move, then the exit
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
    controller.windowLeftFullScreen(&notAWindow);
    EXPECT_TRUE(controller.isFullScreen());
    controller.windowLeftFullScreen(&otherWindow);
    EXPECT_FALSE(controller.isFullScreen());
    EXPECT_FALSE(cursor.hidden);
}

TEST_F(CursorHideControllerTest, AppearingAndDisappearingView)
{
    controller.viewShown(false);
    EXPECT_FALSE(controller.hasPendingHide());
    EXPECT_TRUE(changes.empty());

    // A window restored straight into full screen starts the delay on its own.
    controller.viewShown(true);
    EXPECT_TRUE(controller.isFullScreen());
    clock.advance(3s);
    EXPECT_TRUE(cursor.hidden);

    controller.viewRemoved();
    EXPECT_FALSE(cursor.hidden);
    moveMouse();
    controller.viewRemoved();
    clock.advance(10s);
    EXPECT_FALSE(cursor.hidden) << "a hide outlived the view";
}

} // namespace
