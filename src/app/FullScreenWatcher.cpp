#include "app/FullScreenWatcher.h"

#include <QGuiApplication>
#include <QWindow>

FullScreenWatcher::FullScreenWatcher(QObject* parent) : QObject(parent)
{
    for (QWindow* window : QGuiApplication::allWindows())
        watch(window);
    // Windows made later are picked up when they are first shown.
    qApp->installEventFilter(this);
}

FullScreenWatcher::~FullScreenWatcher()
{
    qApp->removeEventFilter(this);
}

void FullScreenWatcher::watch(QWindow* window)
{
    if (!window)
        return;
    connect(window, &QWindow::windowStateChanged, this, &FullScreenWatcher::onWindowStateChanged,
            Qt::UniqueConnection);
    connect(window, &QObject::destroyed, this, &FullScreenWatcher::onWindowDestroyed, Qt::UniqueConnection);
    if (window->windowStates() & Qt::WindowFullScreen)
        m_fullScreen.insert(window);
}

bool FullScreenWatcher::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show) {
        if (auto* window = qobject_cast<QWindow*>(watched))
            watch(window);
    }
    return false;
}

void FullScreenWatcher::onWindowStateChanged(Qt::WindowState state)
{
    auto* window = qobject_cast<QWindow*>(sender());
    if (!window)
        return;
    const bool isFull = state == Qt::WindowFullScreen;
    const bool wasFull = m_fullScreen.contains(window);
    if (isFull == wasFull)
        return;
    if (isFull) {
        m_fullScreen.insert(window);
        emit windowEnteredFullScreen(window);
    } else {
        m_fullScreen.remove(window);
        emit windowLeftFullScreen(window);
    }
}

void FullScreenWatcher::onWindowDestroyed(QObject* window)
{
    m_fullScreen.remove(window);
}
