#include "app/ContentView.h"

#include "app/SLMMixerWindowController.h"
#include "control/SLMAudioPresetManager.h"
#include "engine/SLMAudioEngine.h"
#include "engine/SLMSleepTimer.h"

#include <QDateTime>
#include <QQuickWindow>

ContentView::ContentView(const EngineFactory& makeEngine, QQmlEngine& qml, QObject* parent)
    : QObject(parent),
      m_audioEngine(makeEngine()),
      m_presetManager(m_audioEngine ? std::make_unique<SLMAudioPresetManager>(m_audioEngine->parameters()) : nullptr),
      m_mixerWindowController(std::make_unique<SLMMixerWindowController>(qml))
{
    // The mix the listener left: in the parameters before the start-up fade
    // lets the first sample through, so the CUSTOM lamp (or STORM's) is true.
    if (m_presetManager)
        m_presetManager->restoreRemembered();

    m_cursorHide.fullScreenChanged = [this](bool) { emit isFullScreenChanged(); };
    if (m_audioEngine) {
        connect(m_audioEngine.get(), &SLMAudioEngine::isPlayingChanged, this, &ContentView::isPlayingChanged);
        SLMSleepTimer* timer = m_audioEngine->sleepTimer();
        connect(timer, &SLMSleepTimer::isActiveChanged, this, &ContentView::sleepTimerChanged);
        connect(timer, &SLMSleepTimer::remainingSecondsChanged, this, &ContentView::sleepTimerChanged);
    }
    connect(&m_fullScreenWatcher, &FullScreenWatcher::windowEnteredFullScreen, this,
            [this](QWindow* window) { m_cursorHide.windowEnteredFullScreen(window); });
    connect(&m_fullScreenWatcher, &FullScreenWatcher::windowLeftFullScreen, this,
            [this](QWindow* window) { m_cursorHide.windowLeftFullScreen(window); });

    // Precise: the chime follows the wall clock to the tenth of a second.
    m_audioClock.setTimerType(Qt::PreciseTimer);
    m_audioClock.setInterval(audioClockInterval);
    connect(&m_audioClock, &QTimer::timeout, this, &ContentView::tick);
    m_audioClock.start();
}

ContentView::~ContentView()
{
    m_audioClock.stop();
    m_cursorHide.viewRemoved();
    if (m_window)
        m_window->removeEventFilter(this);
}

void ContentView::attach(QQuickWindow* window)
{
    m_window = window;
    m_filteredWindow = window;
    m_windowRoles.setMainWindow(window);
    if (!window)
        return;
    m_fullScreenWatcher.watch(window);
    window->installEventFilter(this);
    if (window->isVisible())
        viewShown();
    else
        connect(window, &QWindow::visibleChanged, this, [this](bool visible) {
            if (visible && !m_shown)
                viewShown();
        });
}

void ContentView::viewShown()
{
    m_shown = true;
    tick();
    // After the window has been set up: a window restored straight into full
    // screen reports its state only once it is on screen.
    QMetaObject::invokeMethod(
        this,
        [this] {
            const bool full = m_window && (m_window->windowStates() & Qt::WindowFullScreen);
            m_cursorHide.viewShown(full);
        },
        Qt::QueuedConnection);
}

void ContentView::tick()
{
    if (m_audioEngine)
        m_audioEngine->updateWallClock(QDateTime::currentDateTime());
}

bool ContentView::isPlaying() const
{
    return m_audioEngine && m_audioEngine->isPlaying();
}

QString ContentView::sleepTimerTitle() const
{
    const SLMSleepTimer* timer = m_audioEngine ? m_audioEngine->sleepTimer() : nullptr;
    if (!timer || !timer->isActive())
        return QStringLiteral("Sleep timer");
    return QStringLiteral("Sleep timer \u2014 %1 left").arg(SLMSleepTimer::remainingText(timer->remainingSeconds()));
}

double ContentView::sleepTimerMinutes() const
{
    return m_audioEngine ? m_audioEngine->sleepTimer()->lengthMinutes() : 0.0;
}

QVariantList ContentView::sleepTimerChoices()
{
    QVariantList choices;
    for (int minutes : SLMSleepTimer::stepLengths()) {
        const QString label = minutes == 0 ? QStringLiteral("Off") : QStringLiteral("%1 minutes").arg(minutes);
        choices.append(QVariantMap{{QStringLiteral("minutes"), minutes}, {QStringLiteral("label"), label}});
    }
    return choices;
}

void ContentView::togglePlayPause()
{
    if (m_audioEngine)
        m_audioEngine->togglePlayPause();
}

void ContentView::setSleepTimer(double minutes)
{
    if (!m_audioEngine)
        return;
    if (minutes > 0.0)
        m_audioEngine->sleepTimer()->start(minutes);
    else
        m_audioEngine->sleepTimer()->cancel();
}

void ContentView::apply(const RemoteCommand& command)
{
    if (m_audioEngine) {
        switch (command.transport) {
        case RemoteCommand::Transport::unchanged:
            break;
        case RemoteCommand::Transport::play:
            m_audioEngine->play();
            break;
        case RemoteCommand::Transport::pause:
            m_audioEngine->pause();
            break;
        case RemoteCommand::Transport::toggle:
            m_audioEngine->togglePlayPause();
            break;
        }
    }
    if (command.preset && m_presetManager)
        m_presetManager->applyPreset(*command.preset);
    if (command.sleepMinutes)
        setSleepTimer(*command.sleepMinutes);
    if (command.toggleFullScreen)
        toggleFullScreen();
    if (command.openMixer)
        openMixer();
    if (command.quit)
        quit();
}

void ContentView::openMixer()
{
    m_mixerWindowController->show(m_audioEngine.get(), m_presetManager.get());
}

void ContentView::toggleFullScreen()
{
    if (!m_window)
        return;
    const Qt::WindowStates states = m_window->windowStates();
    m_window->setWindowStates(states ^ Qt::WindowFullScreen);
}

void ContentView::leaveFullScreen()
{
    if (m_window && (m_window->windowStates() & Qt::WindowFullScreen))
        m_window->setWindowStates(m_window->windowStates() & ~Qt::WindowFullScreen);
}

bool ContentView::eventFilter(QObject* watched, QEvent* event)
{
    // Real pointer motion only: Qt Quick synthesises hover every frame while
    // the clock animates, which must not keep the pointer awake.
    if (watched == m_filteredWindow) {
        if (event->type() == QEvent::MouseMove)
            m_cursorHide.pointerHovered(true);
        else if (event->type() == QEvent::Leave)
            m_cursorHide.pointerHovered(false);
    }
    return QObject::eventFilter(watched, event);
}
