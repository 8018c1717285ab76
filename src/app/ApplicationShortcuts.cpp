#include "app/ApplicationShortcuts.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QWindow>

ApplicationShortcuts::ApplicationShortcuts(std::function<void()> quit, std::function<void()> openMixer,
                                           QObject* parent)
    : QObject(parent), m_quit(std::move(quit)), m_openMixer(std::move(openMixer))
{
    qApp->installEventFilter(this);
}

ApplicationShortcuts::~ApplicationShortcuts()
{
    qApp->removeEventFilter(this);
}

bool ApplicationShortcuts::eventFilter(QObject* watched, QEvent* event)
{
    // Key presses reach the window first, then its items; taking them at the
    // window makes the shortcuts independent of which window or item has focus.
    if (event->type() != QEvent::KeyPress || !qobject_cast<QWindow*>(watched))
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->isAutoRepeat())
        return false;
    if (key->matches(QKeySequence::Quit)) {
        m_quit();
        return true;
    }
    if (key->keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_M)) {
        m_openMixer();
        return true;
    }
    return false;
}
