#pragma once

#include <chrono>
#include <functional>
#include <memory>

class QObject;

// Hides the pointer until the mouse next moves, or shows it again at once.
class CursorVisibility {
public:
    virtual ~CursorVisibility() = default;
    virtual void hideUntilMoved() = 0;
    virtual void show() = 0;
};

// A pending call on the main thread. Destroying the handle cancels the call.
class DelayedTask {
public:
    virtual ~DelayedTask() = default;
};

class TaskScheduler {
public:
    virtual ~TaskScheduler() = default;
    virtual std::unique_ptr<DelayedTask> schedule(std::chrono::milliseconds delay, std::function<void()> work) = 0;
};

// The application's main window and the window that has keyboard focus.
class WindowRoles {
public:
    virtual ~WindowRoles() = default;
    virtual QObject* mainWindow() const = 0;
    virtual QObject* keyWindow() const = 0;
};

// Hides the pointer after three seconds of stillness while the main window is
// full screen. Fed with pointer movement, the windows' full-screen transitions
// and the view's appearance; main thread only.
class CursorHideController {
public:
    static constexpr std::chrono::milliseconds hideDelay{3000};

    CursorHideController(CursorVisibility& cursor, TaskScheduler& scheduler, const WindowRoles& windows);
    ~CursorHideController();

    bool isFullScreen() const { return m_isFullScreen; }
    bool hasPendingHide() const { return m_cursorHideTask != nullptr; }

    void scheduleCursorHide();

    // Every pointer movement over the view (`insideView` true), and once when
    // the pointer leaves it (false).
    void pointerHovered(bool insideView);

    // `window` may be anything; only windows count.
    void windowEnteredFullScreen(QObject* window);
    void windowLeftFullScreen(QObject* window);

    // After the window has been set up, with whether the main window is full screen.
    void viewShown(bool mainWindowIsFullScreen);
    void viewRemoved();

    // Called whenever isFullScreen changes.
    std::function<void(bool)> fullScreenChanged;

private:
    void setFullScreen(bool value);
    void cancelPendingHide();

    CursorVisibility& m_cursor;
    TaskScheduler& m_scheduler;
    const WindowRoles& m_windows;
    bool m_isFullScreen = false;
    std::unique_ptr<DelayedTask> m_cursorHideTask;
};
