#include "app/StarlumeApp.h"

#include "app/ApplicationShortcuts.h"
#include "app/ClockFrameReport.h"
#include "app/ClockQualitySetting.h"
#include "app/GraphicsBackend.h"
#include "app/MainWindow.h"
#include "app/MprisService.h"
#include "app/RemoteCommand.h"
#include "app/ScreenAwakePolicy.h"
#include "app/ScreenSaverInhibitor.h"
#include "app/SingleInstance.h"
#include "app/TerminationSignals.h"
#include "control/StreamVolume.h"
#include "app/WindowActivation.h"
#include "clock/gl/ChaosClockItem.h"
#include "engine/SLMAudioEngine.h"
#include "engine/SLMSleepTimer.h"

#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QLoggingCategory>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <QQmlEngine>
#include <QQuickWindow>

#include <atomic>
#include <cstdio>
#include <memory>
#include <ctime>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcApp, "starlume.app")

namespace {

QString runtimeLockPath()
{
    QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (dir.isEmpty())
        dir = QDir::tempPath() + QStringLiteral("/starlume-%1").arg(getuid());
    return dir + QStringLiteral("/starlume.lock");
}

// Milliseconds since this process was started (forked), from the kernel's
// own record of its start; clock-tick resolution (10 ms).
double millisecondsSinceProcessStart()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    // Field 22 (starttime) counts from the field after the command's closing parenthesis.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 20)
        return -1;
    const double startSeconds = fields[19].toDouble() / static_cast<double>(sysconf(_SC_CLK_TCK));
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return (static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9 - startSeconds) * 1000.0;
}

// For launch-time measurements: how long the first frame took to reach the screen.
void reportFirstFrame(QQuickWindow& window)
{
    if (qEnvironmentVariableIsEmpty("STARLUME_REPORT_FIRST_FRAME"))
        return;
    auto reported = std::make_shared<std::atomic<bool>>(false);
    QObject::connect(
        &window, &QQuickWindow::frameSwapped, &window,
        [reported] {
            if (reported->exchange(true))
                return;
            std::fprintf(stderr, "Starlume: first frame on screen %.0f ms after process start\n",
                         millisecondsSinceProcessStart());
            std::fflush(stderr);
        },
        Qt::DirectConnection);
}

// The installed icon as a file:// URL for media-player art, or empty.
QString installedIconUrl()
{
    const QString relative = QStringLiteral("icons/hicolor/scalable/apps/%1.svg").arg(StarlumeApp::iconName);
    QString path = QStandardPaths::locate(QStandardPaths::GenericDataLocation, relative);
    if (path.isEmpty() && QFile::exists(QStringLiteral(STARLUME_DATADIR "/") + relative))
        path = QStringLiteral(STARLUME_DATADIR "/") + relative;
    return path.isEmpty() ? QString() : QUrl::fromLocalFile(path).toString();
}

QList<SingleInstance::Action> actionsOf(const RemoteCommand& command)
{
    QList<SingleInstance::Action> actions;
    for (const RemoteCommand::Action& action : command.toActions())
        actions.append({action.name, action.parameter});
    return actions;
}

void exitSoon()
{
    // Queued, so that whoever asked (a menu, a bus call) is answered first.
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
}

} // namespace

int StarlumeApp::run(int argc, char** argv, const ContentView::EngineFactory& makeEngine,
                     const StreamVolumeLink& linkStreamVolume)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const ParsedCommandLine parsed = parseCommandLine(arguments);
    switch (parsed.outcome) {
    case ParsedCommandLine::Outcome::help:
        std::fputs(qPrintable(commandLineHelp()), stdout);
        return 0;
    case ParsedCommandLine::Outcome::version:
        std::printf("Starlume %s\n", STARLUME_VERSION);
        return 0;
    case ParsedCommandLine::Outcome::error:
        std::fprintf(stderr, "%s\n", qPrintable(parsed.error));
        return 2;
    case ParsedCommandLine::Outcome::run:
        break;
    }
    const RemoteCommand& command = parsed.command;

    if (!hasDisplayEnvironment()) {
        std::fprintf(stderr, "Starlume needs a graphical session: neither DISPLAY nor WAYLAND_DISPLAY is set. "
                             "Start it from your desktop, or set DISPLAY.\n");
        return 1;
    }

    QGuiApplication::setApplicationName(applicationName);
    QGuiApplication::setOrganizationName(applicationName);
    QGuiApplication::setDesktopFileName(applicationId);
    QGuiApplication app(argc, argv);
    QGuiApplication::setWindowIcon(QIcon::fromTheme(iconName, QIcon(QStringLiteral(":/starlume/icons/starlume.svg"))));

    SingleInstance instance(applicationId, QDBusConnection::sessionBus(), runtimeLockPath());
    switch (instance.claim(actionsOf(command))) {
    case SingleInstance::Claim::primary:
        break;
    case SingleInstance::Claim::handedOver:
        return 0;
    case SingleInstance::Claim::raisedOther:
        std::fprintf(stderr, "%s\n", qPrintable(instance.message()));
        return 0;
    case SingleInstance::Claim::otherDidNotAnswer:
    case SingleInstance::Claim::heldByOther:
        std::fprintf(stderr, "%s\n", qPrintable(instance.message()));
        return 1;
    }

    // Nothing runs that could be asked to quit.
    if (command.quit)
        return 0;

    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &app, exitSoon);

    if (selectGraphicsBackend() == GraphicsBackend::software && qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND"))
        std::fprintf(stderr, "Starlume: no OpenGL available; drawing the clock in software.\n");

    QQmlEngine qml;

    // The content comes first: it owns the engine, which starts sounding at once.
    ContentView contentView(makeEngine, qml);

    QString error;
    std::unique_ptr<QQuickWindow> root = createMainWindow(qml, contentView, error);
    if (!root) {
        std::fprintf(stderr, "Starlume: the main window could not be created: %s\n", qPrintable(error));
        return 1;
    }
    QQuickWindow* window = root.get();

    // Closing the main window ends the program, even with the mixer window open.
    // exit(), not quit(): quit() first asks every window to close, and the
    // mixer window declines (it only hides).
    QObject::connect(
        window, &QWindow::visibilityChanged, &app,
        [](QWindow::Visibility visibility) {
            if (visibility == QWindow::Hidden)
                QCoreApplication::exit(0);
        },
        Qt::QueuedConnection);
    QObject::connect(&instance, &SingleInstance::activationRequested, window, [window] { bringForward(*window); });
    QObject::connect(&instance, &SingleInstance::actionRequested, &contentView,
                     [&contentView](const QString& name, const QVariantList& parameter) {
                         RemoteCommand remote;
                         if (remote.addAction(name, parameter))
                             contentView.apply(remote);
                         else
                             qCWarning(lcApp) << "ignoring an unknown or malformed action" << name << parameter;
                     });
    QObject::connect(&contentView, &ContentView::quitRequested, &app, exitSoon);

    // The display stays awake while the clock is full screen, until the sleep timer puts the sound to sleep.
    ScreenSaverInhibitor inhibitor(QDBusConnection::sessionBus(), QStringLiteral("Showing the chaos clock full screen"));
    ScreenAwakePolicy awake;
    awake.changed = [&inhibitor](bool keepAwake) { inhibitor.setInhibited(keepAwake); };
    QObject::connect(window, &QWindow::windowStateChanged, &inhibitor,
                     [&awake](Qt::WindowState state) { awake.setFullScreen(state == Qt::WindowFullScreen); });
    SLMAudioEngine* engine = contentView.audioEngine();
    if (engine) {
        QObject::connect(engine->sleepTimer(), &SLMSleepTimer::expired, &inhibitor, [&awake] { awake.sleepTimerExpired(); });
        QObject::connect(engine, &SLMAudioEngine::isPlayingChanged, &inhibitor,
                         [&awake, engine] { awake.playingChanged(engine->isPlaying()); });
    }

    StreamVolume streamVolume;
    const std::unique_ptr<QObject> streamVolumeLink = linkStreamVolume ? linkStreamVolume(streamVolume) : nullptr;
    std::unique_ptr<MprisService> mpris;
    if (engine && contentView.presetManager() && !instance.usesLockFile()) {
        mpris = std::make_unique<MprisService>(
            *engine, *contentView.presetManager(), streamVolume,
            MprisService::Identity{applicationId, SingleInstance::objectPathFor(applicationId), installedIconUrl()},
            MprisService::Hooks{[window] { bringForward(*window); }, exitSoon});
        mpris->publish(QDBusConnection::sessionBus());
    }

    auto* clock = window->findChild<ChaosClockItem*>(QStringLiteral("chaosClock"));
    std::unique_ptr<ClockFrameReporter> frameReporter;
    if (clock) {
        clock->setQualityMode(requestedClockQuality());
        if (ClockFrameReporter::isRequested())
            frameReporter = std::make_unique<ClockFrameReporter>(*clock);
    }

    ApplicationShortcuts shortcuts([] { QCoreApplication::exit(0); }, [&contentView] { contentView.openMixer(); });

    contentView.attach(window);
    reportFirstFrame(*window);
    window->show();
    contentView.apply(command);

    const int status = app.exec();
    // The window binds to the content: it goes first, then the content with its
    // mixer window and engine, whose teardown stops the sound.
    mpris.reset();
    frameReporter.reset();
    root.reset();
    return status;
}
