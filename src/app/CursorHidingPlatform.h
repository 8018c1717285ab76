#pragma once

#include "app/CursorHideController.h"

#include <QObject>
#include <QPointer>
#include <QWindow>

// The Qt side of pointer hiding: a blank override cursor that the next mouse
// movement in any of our windows removes, single-shot precise timers, and the
// application's windows.

class OverrideCursorVisibility : public QObject, public CursorVisibility {
    Q_OBJECT
public:
    explicit OverrideCursorVisibility(QObject* parent = nullptr);
    ~OverrideCursorVisibility() override;

    void hideUntilMoved() override;
    void show() override;
    bool isHidden() const { return m_hidden; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool m_hidden = false;
};

class TimerTaskScheduler : public TaskScheduler {
public:
    std::unique_ptr<DelayedTask> schedule(std::chrono::milliseconds delay, std::function<void()> work) override;
};

class ApplicationWindowRoles : public WindowRoles {
public:
    void setMainWindow(QWindow* window) { m_main = window; }
    QObject* mainWindow() const override { return m_main.data(); }
    QObject* keyWindow() const override;

private:
    QPointer<QWindow> m_main;
};
