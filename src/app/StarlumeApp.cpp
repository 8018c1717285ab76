#include "app/StarlumeApp.h"

#include "app/ApplicationShortcuts.h"
#include "app/GraphicsBackend.h"
#include "app/MainWindow.h"
#include "app/ScreenSaverInhibitor.h"
#include "app/SingleInstance.h"
#include "app/WindowActivation.h"

#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QQmlEngine>
#include <QQuickWindow>

#include <atomic>
#include <cstdio>
#include <memory>
#include <ctime>
#include <unistd.h>

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

} // namespace

int StarlumeApp::run(int argc, char** argv, const ContentView::EngineFactory& makeEngine)
{
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
    switch (instance.claim()) {
    case SingleInstance::Claim::primary:
        break;
    case SingleInstance::Claim::raisedOther:
        std::fprintf(stderr, "%s\n", qPrintable(instance.message()));
        return 0;
    case SingleInstance::Claim::otherDidNotAnswer:
    case SingleInstance::Claim::heldByOther:
        std::fprintf(stderr, "%s\n", qPrintable(instance.message()));
        return 1;
    }

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

    ScreenSaverInhibitor inhibitor(QDBusConnection::sessionBus(), QStringLiteral("Showing the chaos clock full screen"));
    QObject::connect(window, &QWindow::windowStateChanged, &inhibitor, [&inhibitor](Qt::WindowState state) {
        inhibitor.setInhibited(state == Qt::WindowFullScreen);
    });

    ApplicationShortcuts shortcuts([] { QCoreApplication::exit(0); }, [&contentView] { contentView.openMixer(); });

    contentView.attach(window);
    reportFirstFrame(*window);
    window->show();

    const int status = app.exec();
    // The window binds to the content: it goes first, then the content with its
    // mixer window and engine, whose teardown stops the sound.
    root.reset();
    return status;
}
