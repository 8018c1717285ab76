#pragma once

#include "app/CursorHideController.h"
#include "app/CursorHidingPlatform.h"
#include "app/FullScreenWatcher.h"
#include "app/RemoteCommand.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>

class QQmlEngine;
class QQuickWindow;
class SLMAudioEngine;
class SLMAudioPresetManager;
class SLMMixerWindowController;
Q_MOC_INCLUDE("engine/SLMAudioEngine.h")
Q_MOC_INCLUDE("app/SLMMixerWindowController.h")
Q_MOC_INCLUDE("control/SLMAudioPresetManager.h")

// The main window's content: owns the sound engine and the mixer window
// controller for the life of the window, feeds the engine the wall clock ten
// times a second and hides the pointer after three still seconds in full
// screen. The window's QML binds to it; it holds all the behaviour.
class ContentView : public QObject {
    Q_OBJECT
    Q_PROPERTY(SLMAudioEngine* audioEngine READ audioEngine CONSTANT)
    Q_PROPERTY(SLMMixerWindowController* mixerWindowController READ mixerWindowController CONSTANT)
    Q_PROPERTY(SLMAudioPresetManager* presetManager READ presetManager CONSTANT)
    Q_PROPERTY(bool isFullScreen READ isFullScreen NOTIFY isFullScreenChanged)
    Q_PROPERTY(bool isPlaying READ isPlaying NOTIFY isPlayingChanged)
    // The context menu's sleep-timer entry: "Sleep timer", or with the time left.
    Q_PROPERTY(QString sleepTimerTitle READ sleepTimerTitle NOTIFY sleepTimerChanged)
    // The running timer's length in minutes; 0 when off.
    Q_PROPERTY(double sleepTimerMinutes READ sleepTimerMinutes NOTIFY sleepTimerChanged)
    // The lengths the menu offers, each {minutes, label}; 0 is off.
    Q_PROPERTY(QVariantList sleepTimerChoices READ sleepTimerChoices CONSTANT)

public:
    using EngineFactory = std::function<std::unique_ptr<SLMAudioEngine>()>;
    static constexpr std::chrono::milliseconds audioClockInterval{100};

    ContentView(const EngineFactory& makeEngine, QQmlEngine& qml, QObject* parent = nullptr);
    // Cancels a pending hide and shows the pointer before the engine goes.
    ~ContentView() override;

    // Binds to the main window that shows this content.
    void attach(QQuickWindow* window);

    SLMAudioEngine* audioEngine() const { return m_audioEngine.get(); }
    SLMMixerWindowController* mixerWindowController() const { return m_mixerWindowController.get(); }
    // Made with the engine at start, so the remembered mix plays from the
    // first sample; the console shows and changes this same one.
    SLMAudioPresetManager* presetManager() const { return m_presetManager.get(); }
    bool isFullScreen() const { return m_cursorHide.isFullScreen(); }
    bool isPointerHidden() const { return m_cursor.isHidden(); }

    bool isPlaying() const;
    QString sleepTimerTitle() const;
    double sleepTimerMinutes() const;
    static QVariantList sleepTimerChoices();

    Q_INVOKABLE void openMixer();
    Q_INVOKABLE void toggleFullScreen();
    Q_INVOKABLE void leaveFullScreen();
    Q_INVOKABLE void togglePlayPause();
    // Minutes, 0 for off.
    Q_INVOKABLE void setSleepTimer(double minutes);
    Q_INVOKABLE void quit() { emit quitRequested(); }

    // A command-line remote's request, from this launch or a later one.
    void apply(const RemoteCommand& command);

signals:
    void isFullScreenChanged();
    void isPlayingChanged();
    void sleepTimerChanged();
    void quitRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void viewShown();
    void tick();

    // Declared in teardown order: the mixer window goes before the engine it shows.
    std::unique_ptr<SLMAudioEngine> m_audioEngine;
    std::unique_ptr<SLMAudioPresetManager> m_presetManager;
    std::unique_ptr<SLMMixerWindowController> m_mixerWindowController;
    OverrideCursorVisibility m_cursor;
    TimerTaskScheduler m_scheduler;
    ApplicationWindowRoles m_windowRoles;
    CursorHideController m_cursorHide{m_cursor, m_scheduler, m_windowRoles};
    FullScreenWatcher m_fullScreenWatcher;
    QTimer m_audioClock;
    QPointer<QQuickWindow> m_window;
    // The same window as a plain object, for the event filter: it still sees
    // events while the window is being destroyed, when it is no longer a
    // QQuickWindow and the typed pointer must not be read.
    QPointer<QObject> m_filteredWindow;
    bool m_shown = false;
};
