#include "app/CursorHidingPlatform.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QTimer>

OverrideCursorVisibility::OverrideCursorVisibility(QObject* parent) : QObject(parent) {}

OverrideCursorVisibility::~OverrideCursorVisibility()
{
    show();
}

void OverrideCursorVisibility::hideUntilMoved()
{
    if (m_hidden)
        return;
    m_hidden = true;
    QGuiApplication::setOverrideCursor(QCursor(Qt::BlankCursor));
    qApp->installEventFilter(this);
}

void OverrideCursorVisibility::show()
{
    if (!m_hidden)
        return;
    m_hidden = false;
    qApp->removeEventFilter(this);
    QGuiApplication::restoreOverrideCursor();
}

bool OverrideCursorVisibility::eventFilter(QObject* watched, QEvent* event)
{
    // Only real pointer motion delivered to a window counts; Qt Quick's own
    // per-frame hover synthesis never passes through here.
    switch (event->type()) {
    case QEvent::MouseMove:
    case QEvent::TabletMove:
        if (qobject_cast<QWindow*>(watched))
            show();
        break;
    default:
        break;
    }
    return false;
}

namespace {

class TimerTask : public DelayedTask {
public:
    TimerTask(std::chrono::milliseconds delay, std::function<void()> work)
    {
        m_timer.setSingleShot(true);
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, std::move(work));
        m_timer.start(delay);
    }

private:
    QTimer m_timer;
};

} // namespace

std::unique_ptr<DelayedTask> TimerTaskScheduler::schedule(std::chrono::milliseconds delay, std::function<void()> work)
{
    return std::make_unique<TimerTask>(delay, std::move(work));
}

QObject* ApplicationWindowRoles::keyWindow() const
{
    return QGuiApplication::focusWindow();
}
