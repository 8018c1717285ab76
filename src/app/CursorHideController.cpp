#include "app/CursorHideController.h"

#include <QWindow>

namespace {

bool isWindow(QObject* object)
{
    return qobject_cast<QWindow*>(object) != nullptr;
}

} // namespace

CursorHideController::CursorHideController(CursorVisibility& cursor, TaskScheduler& scheduler,
                                           const WindowRoles& windows)
    : m_cursor(cursor), m_scheduler(scheduler), m_windows(windows)
{
}

CursorHideController::~CursorHideController() = default;

void CursorHideController::scheduleCursorHide()
{
    cancelPendingHide();
    if (!m_isFullScreen)
        return;
    m_cursorHideTask = m_scheduler.schedule(hideDelay, [this] {
        // The handle is released first: hiding must not count as pending any more.
        m_cursorHideTask.reset();
        if (m_isFullScreen)
            m_cursor.hideUntilMoved();
    });
}

void CursorHideController::pointerHovered(bool insideView)
{
    if (!m_isFullScreen || !insideView)
        return;
    m_cursor.show();
    scheduleCursorHide();
}

void CursorHideController::windowEnteredFullScreen(QObject* window)
{
    if (!isWindow(window))
        return;
    if (window != m_windows.mainWindow() && window != m_windows.keyWindow())
        return;
    setFullScreen(true);
    scheduleCursorHide();
}

void CursorHideController::windowLeftFullScreen(QObject* window)
{
    if (!isWindow(window))
        return;
    // Another window leaving full screen still ends ours: whichever window put
    // us into full screen, the pointer must never stay hidden on the desktop.
    if (window != m_windows.mainWindow() && !m_isFullScreen)
        return;
    setFullScreen(false);
    cancelPendingHide();
    m_cursor.show();
}

void CursorHideController::viewShown(bool mainWindowIsFullScreen)
{
    setFullScreen(mainWindowIsFullScreen);
    if (m_isFullScreen)
        scheduleCursorHide();
}

void CursorHideController::viewRemoved()
{
    cancelPendingHide();
    m_cursor.show();
}

void CursorHideController::setFullScreen(bool value)
{
    if (m_isFullScreen == value)
        return;
    m_isFullScreen = value;
    if (fullScreenChanged)
        fullScreenChanged(value);
}

void CursorHideController::cancelPendingHide()
{
    m_cursorHideTask.reset();
}
